#pragma once
// Pausing a running playback, free of the platform. Any wait of the playback thread (the gaps
// between events, a text step between two characters, the wait for a window, a pass gap, and
// waits that come later) calls PauseGate::hold() at each of its steps: it returns at once while
// no pause is asked for; otherwise it lets go of the input the playback holds, blocks until the
// pause is lifted or a stop is requested, presses again what it let go of, and tells the wait how
// long it was paused so that the wait can move its deadline on by as much.
//
//     for (;;) {
//         const PauseHold held = holdIfPaused(pause);  // pause may be null: never pauses
//         if (held.stopped) return Stopped;           // a stop during the pause
//         if (held.sent.refused) return Refused;      // pressing again was refused
//         deadline += held.pausedSeconds;             // the time paused does not count
//         ...one step of the wait...
//     }

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "player/input_injection.h"
#include "player/playback_clock.h"

// What a pause does to the world, filled by the player (Windows: SendInput and the cursor, the
// takeover watch), by tests with fakes.
struct PauseActions {
    void* context = nullptr;
    // At the start of a pause, before the gate blocks: let go of what the playback holds.
    void (*letGo)(void* context) = nullptr;
    // At the end of a pause that was not stopped: the pointer back and the held input pressed again.
    SendResult (*pressAgain)(void* context) = nullptr;
};

// What one call of hold() found.
struct PauseHold {
    bool stopped = false;        // a stop was requested while paused (nothing was pressed again)
    double pausedSeconds = 0.0;  // how long it blocked; 0 when no pause was asked for
    SendResult sent;             // the refusal of pressing again, if any
};

class PauseGate {
public:
    PauseGate() = default;
    PauseGate(const PauseGate&) = delete;
    PauseGate& operator=(const PauseGate&) = delete;

    // On the playback thread before its first wait: the clock the gate waits on, the stop request
    // that ends a pause, and what a pause does. A request made before it holds (clear it with
    // request(false) before the playback starts).
    void arm(const PlaybackClockSeam& clock, const std::atomic<bool>& stopRequested, const PauseActions& actions);

    // Any thread: asks for a pause (true) or its end (false).
    void request(bool paused) { requested_.store(paused); }
    bool requested() const { return requested_.load(); }
    // Whether the playback thread sits in a pause now (it let go of its input).
    bool holding() const { return holding_.load(); }

    // Playback thread, at each step of any wait: see the top of this file.
    PauseHold hold();

private:
    PlaybackClockSeam clock_;
    const std::atomic<bool>* stopRequested_ = nullptr;
    PauseActions actions_;
    std::atomic<bool> requested_{false};
    std::atomic<bool> holding_{false};
};

// hold() of a gate that may be absent (a playback that cannot be paused).
inline PauseHold holdIfPaused(PauseGate* gate)
{
    return gate != nullptr ? gate->hold() : PauseHold{};
}

// While a pause blocks, it looks for the end of the pause or a stop this often.
constexpr uint32_t kPauseStepMilliseconds = 5;

// What a pause let go of: the buttons and keys of the held lists in the order they were pressed,
// and where the playback had the pointer.
struct LetGoInput {
    std::vector<MouseButton> buttons;
    std::vector<std::string> keys;
    int32_t pointerX = 0;
    int32_t pointerY = 0;
};

// The start of a pause: takes every button and key out of the held lists, and releases each one
// the system reports down (each key once; what is up is left alone, as at the end of a playback).
// The pointer is where the playback had it (the caller reads it from the system).
LetGoInput letGoOfHeld(const InputSeam& seam, HeldInput& held, int32_t pointerX, int32_t pointerY);
// The end of a pause: the pointer back where the playback had it, then every button and key that
// was let go of pressed again in its order, each back in the held lists. The first refusal ends
// it and is reported; what was pressed until then is held.
SendResult pressAgain(const InputSeam& seam, HeldInput& held, const LetGoInput& input);
