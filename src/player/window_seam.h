#pragma once
// The desktop as a playback that follows windows sees it: where a window is, and the seam through
// which the playback looks for windows (Windows fills it, tests fake a desktop).

#include <cstdint>

// Where a window is now: its client area's top-left corner on the screen and its monitor's DPI.
struct WindowPlace {
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t dpi = 96;
};

// What looking for a window found.
enum class WindowLook {
    Found,      // place is filled
    Restoring,  // only a minimised one, asked to restore (it counts once restored)
    Missing,
};

// The desktop, as the playback sees it. Windows fills it with EnumWindows and its friends,
// tests with a fake desktop; index is the window's entry in the script's window table.
struct WindowSeam {
    void* context = nullptr;
    WindowLook (*look)(void* context, int32_t index, WindowPlace& place) = nullptr;
    // Whether a window of the entry's program is the foreground window.
    bool (*isForeground)(void* context, int32_t index) = nullptr;
    // The status of a wait: called with the index when a wait begins, kNoWindow when it ends.
    void (*waiting)(void* context, int32_t index) = nullptr;
};
