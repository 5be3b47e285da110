#pragma once
// The screen as the wait steps of a playback see it, on the playback thread: GDI copies of only
// the area a wait looks at, the windows of the script's window table (there, in front, their
// client areas), and its pictures decoded through WIC. Fills a ScreenSeam.

#include <cstdint>
#include <vector>
#include <windows.h>

#include "base/win_owners.h"
#include "base/window_facts_cache.h"
#include "player/screen_waits.h"
#include "script/event_window.h"

class ScreenReader {
public:
    explicit ScreenReader(const std::vector<WindowIdentity>& table);

    // The seam over this reader; waiting goes to the given function (may be null).
    ScreenSeam seam(void (*waiting)(void* context, int32_t step), void* waitingContext);

    bool capture(const ScreenRect& area, PixelBuffer& pixels);
    WindowPresence presence(int32_t index);
    bool clientArea(int32_t index, ScreenRect& area, int32_t& dpi);

private:
    // The top-level windows of the entry's program, topmost first (minimised ones too).
    std::vector<HWND> programWindows(int32_t index);

    const std::vector<WindowIdentity>& table_;
    WindowFactsCache facts_;
    // The copy of the last area's size, kept for the next look at the same area.
    MemoryDc dc_;
    BitmapHandle bitmap_;
    void* bits_ = nullptr;
    int32_t bitmapWidth_ = 0;
    int32_t bitmapHeight_ = 0;
    void (*waiting_)(void* context, int32_t step) = nullptr;
    void* waitingContext_ = nullptr;
};
