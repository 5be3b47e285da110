#pragma once
// The desktop for a playback that follows windows: finds the top-level windows that stand for
// the entries of a script's window table, on the playback thread. Nothing here sends a message
// to another program or waits on one; a minimised match is restored with ShowWindowAsync.

#include <cstdint>
#include <vector>
#include <windows.h>

#include "base/window_facts_cache.h"
#include "player/window_follow.h"
#include "script/event_window.h"

class WindowFinder {
public:
    explicit WindowFinder(const std::vector<WindowIdentity>& table);

    // A visible, not minimised window of the entry's program (see chooseWindow); the window
    // matched before is kept while it exists and stays usable.
    WindowLook look(int32_t index, WindowPlace& place);
    // Whether the foreground window is one of the entry's program.
    bool isForeground(int32_t index);

private:
    bool isProgramWindow(HWND window, const WindowIdentity& wanted);
    WindowLook placeOf(HWND window, WindowPlace& place);

    const std::vector<WindowIdentity>& table_;
    std::vector<HWND> matched_;     // per entry: the window it was matched to, or null
    std::vector<HWND> foreground_;  // per entry: the last foreground window found to be of its program
    std::vector<HWND> restoring_;   // per entry: the minimised window asked to restore, or null
    WindowFactsCache facts_;        // class, executable name and monitor DPI of the windows met
};
