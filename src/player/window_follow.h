#pragma once
// Following windows during a playback: which window of the desktop stands for a recorded one,
// where a press or wheel turn lands in it, which moves go along with it, and the wait for a
// window that is not there yet. Free of the platform: the desktop comes in through WindowSeam.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "player/pause_gate.h"
#include "player/playback_clock.h"
#include "player/window_seam.h"
#include "script/event_window.h"
#include "script/macro_event.h"

// The longest and default wait for a window, in whole seconds.
constexpr int kMinWindowWaitSeconds = 1;
constexpr int kMaxWindowWaitSeconds = 600;
constexpr int kDefaultWindowWaitSeconds = 10;
// A wait looks for its window at least this often.
constexpr uint32_t kWindowLookIntervalMilliseconds = 20;

// How each event of a script is played when windows are followed.
struct FollowStep {
    // The press or wheel turn whose offset moves this event (itself for a press or wheel turn);
    // -1: the event is played where it was recorded.
    int32_t anchor = -1;
    // The event whose window is looked for just before this one is played: for a key press or
    // text step itself (its window must be in front), for the first move of the way to a press or wheel
    // turn (or the press itself when no move leads to it) that press; -1: no wait.
    int32_t waitFor = -1;
};
// Events without window information get neither anchor nor wait. The moves before a press or
// wheel turn, since the previous press, release or wheel turn, take its anchor; the moves while
// a button is down, and the releases, take the anchor of the latest press.
std::vector<FollowStep> planFollow(const std::vector<MacroEvent>& events);

// A client-relative distance recorded at one DPI, at another: value * dpiNow / dpiRecorded,
// rounded to the nearest, halves away from zero. A DPI outside the usable range leaves it as is.
int32_t scaleForMonitor(int32_t value, int32_t dpiNow, int32_t dpiRecorded);

// How far the press or wheel turn (and the events anchored to it) moves from its recorded place:
// to the window's client origin plus its client-relative point scaled to the monitor's DPI.
struct PointShift {
    int32_t dx = 0;
    int32_t dy = 0;
};
PointShift shiftFor(const MacroEvent& anchor, const WindowPlace& place);
// The event moved by the shift (kept within the 32-bit range).
MacroEvent shiftedEvent(const MacroEvent& event, PointShift shift);

enum class WindowWaitEnd {
    Found,
    Stopped,
    TimedOut,
};

// One attempt of a wait: None when the input may go on, else what keeps it from its window.
struct WindowAttempt {
    void* context = nullptr;
    WindowProblem (*attempt)(void* context) = nullptr;
};

// Makes attempts for the entry's window until one succeeds, a stop is requested or limitSeconds
// pass, one every kWindowLookIntervalMilliseconds, noticing a stop within a few milliseconds.
// The status is told only when the first attempt fails. problem: what the last attempt met. A
// pause (pause may be null) stops the clock of the wait: it goes on with the time it had left.
WindowWaitEnd waitForWindow(const PlaybackClockSeam& clock, const WindowSeam& windows, int32_t index,
                            const WindowAttempt& attempt, double limitSeconds, const std::atomic<bool>& stopRequested,
                            WindowProblem& problem, PauseGate* pause = nullptr);

// Where the client area of the press's or wheel turn's window was when it was recorded.
WindowOrigin recordedOrigin(const MacroEvent& anchor);

// What the wait before an event makes sure of: its press's window is there (before the way to
// it), the press's point reaches the window (at the press itself), or its window is in front (a
// key press or text step).
enum class FollowCheck {
    Find,
    Point,
    Front,
};
struct FollowWait {
    WindowWaitEnd end = WindowWaitEnd::Found;
    WindowProblem problem = WindowProblem::None;  // what the last attempt met
    PointShift shift;                             // Find and Point: how far the event moves
};
// The wait for the window of the event (the one waited for), with waitForWindow.
FollowWait waitForEventWindow(const PlaybackClockSeam& clock, const WindowSeam& windows, const MacroEvent& event,
                              FollowCheck check, double limitSeconds, const std::atomic<bool>& stopRequested,
                              PauseGate* pause = nullptr);
