#pragma once
// One owner type for every kind of handle the program touches: Owned closes its value exactly
// once, when it goes out of scope or is reset, and can be moved but not copied. The aliases for
// the Windows handles are in base/win_owners.h.

#include <cstdint>
#include <cstdio>
#include <type_traits>
#include <utility>

template <typename T, auto Close, std::intptr_t InvalidBits = 0>
class Owned {
public:
    static T invalid()
    {
        if constexpr (std::is_pointer_v<T>) {
            return reinterpret_cast<T>(InvalidBits);
        } else {
            return static_cast<T>(InvalidBits);
        }
    }

    Owned() : value_(invalid()) {}
    explicit Owned(T value) : value_(value) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : value_(std::exchange(other.value_, invalid())) {}
    Owned& operator=(Owned&& other) noexcept
    {
        if (this != &other) {
            reset(std::exchange(other.value_, invalid()));
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    T get() const { return value_; }
    explicit operator bool() const { return value_ != invalid(); }
    // Closes the current value (if any) and takes the new one.
    void reset(T value = invalid())
    {
        if (value_ != invalid()) {
            Close(value_);
        }
        value_ = value;
    }
    // Gives the value up without closing it.
    T release() { return std::exchange(value_, invalid()); }

private:
    T value_;
};

namespace OwnedClose {
inline void closeFile(std::FILE* file)
{
    std::fclose(file);
}
}  // namespace OwnedClose

// C runtime streams (the platform-free core uses them too).
using FileStream = Owned<std::FILE*, &OwnedClose::closeFile>;
