#include "script/temporary_file.h"

#include <atomic>
#include <chrono>

#include "script/script_file_io.h"

namespace {

// Two programs (or two saves) that start at the same moment still get different tags: the
// counter separates saves of one process, the clock and the address of the counter (which moves
// with address-space layout randomisation) separate processes. Exclusive creation stays the
// guarantee; this only makes a retry rare.
uint32_t mixedTag()
{
    static std::atomic<uint64_t> counter{0};
    uint64_t z = counter.fetch_add(1) * 0x9E3779B97F4A7C15ull;
    z += static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    z ^= static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&counter)) << 7;
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
        FILE* file = createNewScriptFile(candidate, taken);
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
