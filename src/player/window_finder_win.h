#pragma once
// The desktop for a playback that follows windows: fills the rules of window_target.h from the
// system, on the playback thread. The only message it sends to another program is WM_NULL, to see
// whether it responds, with a time-out of 100 ms that a hung program ends at once; a minimised match
// is restored with ShowWindowAsync and a covered one brought forward with SetForegroundWindow,
// neither of which waits on the window's program.

#include <cstdint>
#include <vector>
#include <windows.h>

#include "base/window_facts_cache.h"
#include "player/window_seam.h"
#include "player/window_target.h"
#include "script/event_window.h"

class WindowFinder {
public:
    explicit WindowFinder(const std::vector<WindowIdentity>& table);
    WindowFinder(const WindowFinder&) = delete;
    WindowFinder& operator=(const WindowFinder&) = delete;

    WindowProblem look(int32_t index, const WindowOrigin* recorded, WindowPlace& place)
    {
        return targets_.look(index, recorded, place);
    }
    WindowProblem checkPoint(int32_t index, int32_t x, int32_t y) { return targets_.checkPoint(index, x, y); }
    WindowProblem checkFront(int32_t index) { return targets_.checkFront(index); }

private:
    static DesktopSeam desktopSeam(WindowFinder* finder);

    // The table with each executable name in lower case as the system's are (any letters).
    std::vector<WindowIdentity> table_;
    WindowFactsCache facts_;  // class, executable name and monitor DPI of the windows met
    WindowTargets targets_;
};
