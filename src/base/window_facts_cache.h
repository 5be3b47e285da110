#pragma once
// What the recorder and the player need to know about windows of other programs, remembered so
// that the costly lookups run once per window, not once per event: the executable name of its
// process and its class (both fixed for a window's life) and the DPI of its monitor (kept while
// the window's client area stays where it was; a change of the display scale under a window
// that does not move is not noticed until it moves).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class WindowFactsCache {
public:
    // The lookups behind the cache: the executable name of a process ("" when it cannot be
    // asked), the class of a window, the DPI of a window's monitor.
    struct Lookups {
        std::string (*exeName)(uint32_t processId) = nullptr;
        std::string (*windowClass)(uintptr_t window) = nullptr;
        int32_t (*monitorDpi)(uintptr_t window) = nullptr;
    };
    static constexpr size_t kEntries = 128;

    explicit WindowFactsCache(const Lookups& lookups) : lookups_(lookups) {}

    // Each fact is looked up when the pair of window and process is not remembered (a window
    // handle used again by another process is a new pair); the oldest pair makes room.
    const std::string& exeName(uintptr_t window, uint32_t processId);
    const std::string& windowClass(uintptr_t window, uint32_t processId);
    // Looked up again when the client origin is not the one of the last lookup.
    int32_t monitorDpi(uintptr_t window, uint32_t processId, int32_t originX, int32_t originY);

private:
    struct Entry {
        uintptr_t window = 0;
        uint32_t processId = 0;
        bool exeKnown = false;
        std::string exe;
        bool classKnown = false;
        std::string windowClass;
        bool dpiKnown = false;
        int32_t dpiOriginX = 0;
        int32_t dpiOriginY = 0;
        int32_t dpi = 0;
    };
    Entry& entryFor(uintptr_t window, uint32_t processId);

    Lookups lookups_;
    std::vector<Entry> entries_;
    size_t oldest_ = 0;  // the entry replaced next once the cache is full
};

// The file name of an executable's path (after the last backslash or slash), in lower case for
// the letters A to Z.
std::wstring exeFileName(const std::wstring& path);
