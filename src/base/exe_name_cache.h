#pragma once
// The executable names of the processes behind a few windows, so that the costly lookup (opening
// the process and asking for its image) runs once per window, not once per event.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ExeNameCache {
public:
    // The lookup of a process's executable name; "" when the process cannot be asked.
    using LookupFn = std::string (*)(uint32_t processId);
    static constexpr size_t kEntries = 32;

    explicit ExeNameCache(LookupFn lookup) : lookup_(lookup) {}

    // The name for the window of the process; looked up when this pair is not remembered (a
    // window handle used again by another process is a new pair). The oldest pair makes room.
    const std::string& nameFor(uintptr_t window, uint32_t processId);

private:
    struct Entry {
        uintptr_t window = 0;
        uint32_t processId = 0;
        std::string name;
    };
    LookupFn lookup_;
    std::vector<Entry> entries_;
    size_t oldest_ = 0;  // the entry replaced next once the cache is full
};

// The file name of an executable's path (after the last backslash or slash), in lower case for
// the letters A to Z.
std::wstring exeFileName(const std::wstring& path);
