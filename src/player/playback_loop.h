#pragma once
// The body of a playback thread, free of the platform: waits out each event's time on a clock,
// injects it, repeats the passes and reports them, and releases held input at the end.

#include <atomic>
#include <cstdint>
#include <vector>

#include "player/input_injection.h"
#include "player/pause_gate.h"
#include "player/playback_clock.h"
#include "player/screen_waits.h"
#include "player/text_typing.h"
#include "player/window_seam.h"
#include "script/event_window.h"
#include "script/macro_event.h"

// The bounds of a playback's settings, wherever they come from (the window, the command line).
constexpr double kMinPlaybackSpeed = 0.1;
constexpr double kMaxPlaybackSpeed = 10.0;
constexpr int kMinPlaybackLoops = 1;
constexpr int kMaxPlaybackLoops = 999;

// How a playback ended; the value is the wParam of WM_APP_PLAYBACK_ENDED.
enum class PlaybackEnd : uint32_t {
    Completed = 0,      // every pass ran to its end
    Stopped = 1,        // a stop request ended it
    Refused = 2,        // the system refused injected input; the rest of the script was not played
    WindowMissing = 3,  // a followed window did not appear within the wait; the rest was not played
    WaitTimedOut = 4,   // a wait step's time was up and it stops the replay; the rest was not played
};

// How far a playback has come, written by the playback thread and read by any thread.
struct PlaybackProgress {
    std::atomic<int> pass{0};
    std::atomic<int> limit{0};       // 0: endless
    std::atomic<uint32_t> step{0};   // the step played last, from 1
    std::atomic<uint32_t> steps{0};  // the steps of one pass
};

// Everything a playback needs from the outside world. Windows fills it with the clock above, the
// double-click time, SendInput and PostMessageW; tests and benchmarks with fakes.
struct PlaybackSeams {
    PlaybackClockSeam clock;
    void* context = nullptr;
    double (*doubleClickSeconds)(void* context) = nullptr;
    SendResult (*inject)(void* context, const MacroEvent& event) = nullptr;
    // A text step, character by character, looking at stopRequested between them.
    TypingResult (*typeText)(void* context, const MacroEvent& event, const std::atomic<bool>& stopRequested) = nullptr;
    // At the end: what is held and still down. At the start: the modifiers the user holds.
    void (*releaseHeld)(void* context) = nullptr;
    SendResult (*releaseModifiers)(void* context) = nullptr;
    void (*passStarted)(void* context, int pass, int limit) = nullptr;  // limit 0 means endless
    // error: the refused SendInput's GetLastError when end is Refused, the window table index of
    // the missing window when end is WindowMissing, the index of the wait step in the job's events
    // when end is WaitTimedOut, else 0.
    void (*ended)(void* context, PlaybackEnd end, uint32_t error) = nullptr;
    // The desktop, for a playback that follows windows; unused otherwise.
    WindowSeam windows;
    // Pausing (see pause_gate.h); null: the playback cannot be paused.
    PauseGate* pause = nullptr;
    // The countdown of the wait between passes: the pass that follows and the whole seconds left.
    void (*passGap)(void* context, int nextPass, int secondsLeft) = nullptr;
    // Where the pass and step reached are kept for the window; null: nowhere.
    PlaybackProgress* progress = nullptr;
    // The screen, for wait steps; without a capture the wait steps are passed over.
    ScreenSeam screen;
};

// What one playback plays, with speed and loop count already made valid.
struct PlaybackJob {
    std::vector<MacroEvent> events;
    double speed = 1.0;
    bool infinite = false;
    int loops = 1;
    bool clickFidelity = false;
    // Following windows: each press, wheel turn and key press with window information goes to
    // the window it was recorded in, waited for at most windowWaitSeconds.
    bool followWindows = false;
    double windowWaitSeconds = 10.0;
    // The wait between the end of one pass and the start of the next (none after the last).
    double passGapSeconds = 0.0;
};

// Copies the events; a speed of 0 or less (or not a number) becomes 1, loops are clamped to 1..999.
PlaybackJob makePlaybackJob(const std::vector<MacroEvent>& events, double speed, bool infinite, int loops,
                            bool clickFidelity);

// Waits the given time with sub-millisecond accuracy: sleeps until about 1.5 ms before the end,
// then yields the time slice, then spins for the last 0.3 ms.
void preciseSleep(const PlaybackClockSeam& clock, double seconds);

// Runs a whole playback on the calling thread. The first refused input ends it at once, as a
// stop does. The thread's priority is raised for the playback and back to normal before the end
// is reported. Clears playing as its last step before calling ended; returns how it ended.
PlaybackEnd runPlayback(const PlaybackJob& job, const PlaybackSeams& seams, std::atomic<bool>& playing,
                        const std::atomic<bool>& stopRequested);
