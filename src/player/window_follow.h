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

// Whether a window of the given executable name and class may stand for the recorded one: the
// same class and the same executable name, or any executable when the recorded one is empty.
bool sameProgram(const WindowIdentity& wanted, const std::string& exe, const std::string& windowClass);

// A visible top-level window of the wanted program, as the finder met it.
struct WindowCandidate {
    std::string title;
    bool minimised = false;
};

// Which candidate to use (candidates topmost first): of those not minimised the first with the
// recorded title, else the topmost. When every candidate is minimised, none is used and the
// one to restore is chosen by the same preference. -1 where there is none.
struct WindowChoice {
    int32_t use = -1;
    int32_t restore = -1;
};
WindowChoice chooseWindow(const WindowIdentity& wanted, const std::vector<WindowCandidate>& candidates);

// How each event of a script is played when windows are followed.
struct FollowStep {
    // The press or wheel turn whose offset moves this event (itself for a press or wheel turn);
    // -1: the event is played where it was recorded (or, a release, where the cursor is).
    int32_t anchor = -1;
    // The event whose window is looked for just before this one is played: for a key press or
    // text step itself (its window must be in front), for the first move of the way to a press or wheel
    // turn (or the press itself when no move leads to it) that press; -1: no wait.
    int32_t waitFor = -1;
};
// Events without window information get neither anchor nor wait. The moves before a press or
// wheel turn, since the previous press, release or wheel turn, take its anchor; the moves while
// a button is down take the anchor of the latest press.
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

// Looks for the entry's window (foreground: waits for it to be in front instead) until it is
// there, a stop is requested or limitSeconds pass, looking every kWindowLookIntervalMilliseconds
// and noticing a stop within a few milliseconds. The status is told only when the first look
// finds nothing. On Found a place is filled (unless foreground). A pause (pause may be null)
// stops the clock of the wait: it goes on with the time it had left.
WindowWaitEnd waitForWindow(const PlaybackClockSeam& clock, const WindowSeam& windows, int32_t index, bool foreground,
                            double limitSeconds, const std::atomic<bool>& stopRequested, WindowPlace& place,
                            PauseGate* pause = nullptr);
