#pragma once
// Replaces a process-wide seam (a function pointer or a struct of them) for one scope and puts
// the original back when the scope ends, however the test leaves it.

#include <utility>

template <typename Seam>
class ScopedSeam {
public:
    ScopedSeam(Seam& seam, Seam replacement) : seam_(seam), original_(seam) { seam_ = std::move(replacement); }
    ~ScopedSeam() { seam_ = original_; }
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;

private:
    Seam& seam_;
    Seam original_;
};

template <typename Seam, typename Replacement>
ScopedSeam(Seam&, Replacement) -> ScopedSeam<Seam>;
