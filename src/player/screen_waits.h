#pragma once
// The waits of the wait steps during a playback: for a window, for a pixel's colour, for a
// picture (and the click where it was found). Free of the platform: the screen comes in through
// ScreenSeam, the time through the playback clock.

#include <atomic>
#include <cstdint>
#include <string>

#include "player/pause_gate.h"
#include "player/playback_clock.h"
#include "screen_match/pixels.h"
#include "screen_match/screen_area.h"
#include "script/macro_event.h"

// Looks are at least this far apart (a change is seen within 100 ms while a look costs at most
// 20 ms), and further apart when a look costs more: looking takes at most a quarter of the time,
// so a wait never takes more than a quarter of a core, however slow the screen is to copy.
constexpr double kLookIntervalSeconds = 0.05;
constexpr double kLookShareOfTime = 0.25;

// Whether a window of a table entry's program is there, and in front.
enum class WindowPresence { Missing, Shown, Front };

// The screen as a wait sees it. Windows fills it with GDI, WIC and the window finder; tests
// with a fake screen.
struct ScreenSeam {
    void* context = nullptr;
    // The pixels of area (inside the virtual screen) into pixels; false when the screen could not
    // be read (a locked desktop, a secure desktop in front).
    bool (*capture)(void* context, const ScreenRect& area, PixelBuffer& pixels) = nullptr;
    // The whole virtual screen.
    ScreenRect (*virtualScreen)(void* context) = nullptr;
    WindowPresence (*windowPresence)(void* context, int32_t index) = nullptr;
    // The client area on the screen of the entry's window and its monitor's DPI; false when no
    // window of it is there.
    bool (*clientArea)(void* context, int32_t index, ScreenRect& area, int32_t& dpi) = nullptr;
    // The picture of a PNG file; false when it cannot be decoded.
    bool (*decodePng)(void* context, const std::string& png, PixelBuffer& pixels) = nullptr;
    // A wait step began (its index in the job's events), or ended (-1).
    void (*waiting)(void* context, int32_t step) = nullptr;
};

enum class ScreenWaitEnd { Met, Stopped, TimedOut };

// How a wait step goes. followWindows: points anchored to a window (a colour's point, a search
// rectangle) go with the window; a search in a window's client area always looks for the window.
struct ScreenWaitResult {
    ScreenWaitEnd end = ScreenWaitEnd::Met;
    bool click = false;  // a picture was found and is to be clicked at (x, y)
    int32_t x = 0;
    int32_t y = 0;
};

// The place the step's search looks at now, inside the virtual screen (empty when there is
// nothing to look at yet: its window is missing, or the area lies off the screen).
ScreenRect screenWaitArea(const MacroEvent& step, const ScreenSeam& screen, bool followWindows);

// The rest between two looks: false when a stop came (looked at every few milliseconds).
// Every wait of a wait step passes here between its looks. A pause (pause may be null) holds it;
// pausedSeconds grows by the time paused, which the step's time does not count.
bool restBeforeNextLook(const PlaybackClockSeam& clock, double lookAt, const std::atomic<bool>& stopRequested,
                        PauseGate* pause, double& pausedSeconds);

// Runs the wait of one wait step: looks at once, then again until what it waits for is there,
// a stop is requested, or the step's time is up.
ScreenWaitResult runScreenWait(const MacroEvent& step, int32_t stepIndex, const PlaybackClockSeam& clock,
                               const ScreenSeam& screen, bool followWindows, const std::atomic<bool>& stopRequested,
                               PauseGate* pause = nullptr);
