#pragma once
// The hook's lookups of the window an event was meant for: the top-level window under a press
// or wheel turn with the point in its client area, or the foreground window of a key press.
// Each lookup asks the window manager only (no message to the window's program, no wait on it);
// the executable name and the class are looked up once per window, the monitor's DPI again only
// when the window moved.

#include <windows.h>

#include "base/window_facts_cache.h"
#include "script/event_window.h"

class WindowCapture {
public:
    WindowCapture();

    // For a press or wheel turn at the screen point, given the window at the point: the
    // identity of its top-level window, and the point relative to that window's client area with
    // its monitor's DPI. False when there is no window there.
    bool atPoint(HWND windowAtPoint, POINT point, WindowIdentity& identity, EventWindow& window);
    // For a key press: the identity of the foreground window's top-level window. False when
    // nothing is in front.
    bool inFront(HWND foreground, WindowIdentity& identity);

private:
    void identify(HWND topLevel, uint32_t processId, WindowIdentity& identity);

    WindowFactsCache facts_;
};

// The two lookups as the hook calls them: WindowCapture's own unless replaced (the capture
// benchmark measures the step without them). Replace it only while no recording runs.
struct WindowCaptureSeam {
    bool (*atPoint)(WindowCapture& capture, HWND windowAtPoint, POINT point, WindowIdentity& identity,
                    EventWindow& window) = nullptr;
    bool (*inFront)(WindowCapture& capture, HWND foreground, WindowIdentity& identity) = nullptr;
};
extern WindowCaptureSeam windowCaptureSeam;
