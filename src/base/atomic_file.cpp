#include "base/atomic_file.h"

#include <atomic>
#include <chrono>

namespace {

// Counts the temporary names this process has made.
std::atomic<uint64_t> tagCounter{0};

// Two programs (or two saves) that start at the same moment still get different tags: the
// counter separates saves of one process, the clock and the address of the counter (which moves
// with address-space layout randomisation) separate processes. Exclusive creation stays the
// guarantee; this only makes a retry rare.
uint32_t mixedTag()
{
    uint64_t z = tagCounter.fetch_add(1) * 0x9E3779B97F4A7C15ull;
    z += static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    z ^= static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&tagCounter)) << 7;
    // splitmix64's finaliser spreads every input bit over the result.
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>(z ^ (z >> 31));
}

std::wstring temporaryName(const std::wstring& target, uint32_t tag)
{
    static const wchar_t kHex[] = L"0123456789abcdef";
    std::wstring name = target;
    name += L'.';
    for (int shift = 28; shift >= 0; shift -= 4) {
        name += kHex[(tag >> shift) & 0xF];
    }
    name += L".saving";
    return name;
}

}  // namespace

TemporaryTagFn temporaryTagSeam = &mixedTag;

FILE* createTemporaryBeside(const std::wstring& target, std::wstring& temporaryPath)
{
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        const std::wstring candidate = temporaryName(target, temporaryTagSeam());
        bool taken = false;
        FILE* file = createNewFile(candidate, taken);
        if (file != nullptr) {
            temporaryPath = candidate;
            return file;
        }
        if (!taken) {
            return nullptr;
        }
    }
    return nullptr;
}

FileWriteFailure writeFileAtomically(const std::wstring& target, const std::string& bytes, FinalName mode,
                                     unsigned long& systemError)
{
    systemError = 0;
    std::wstring temporary;
    FILE* file = createTemporaryBeside(target, temporary);
    if (file == nullptr) {
        systemError = lastSystemError();
        return FileWriteFailure::Create;
    }
    const size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file);
    bool complete = written == bytes.size() && std::fflush(file) == 0 && commitFile(file);
    if (!complete) {
        systemError = lastSystemError();
    }
    complete = std::fclose(file) == 0 && complete;
    if (!complete) {
        if (systemError == 0) {
            systemError = lastSystemError();
        }
        removeFile(temporary);
        return FileWriteFailure::Write;
    }
    if (!placeFile(temporary, target, mode, systemError)) {
        removeFile(temporary);
        return FileWriteFailure::Place;
    }
    return FileWriteFailure::None;
}
