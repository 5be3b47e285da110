#pragma once
// The wait between the end of one pass and the start of the next, with its countdown, free of
// the platform.

#include <atomic>
#include <cstdint>

#include "player/pause_gate.h"
#include "player/playback_clock.h"

// The bounds of the wait between passes, in whole seconds (0: none, as before).
constexpr int kMinPassGapSeconds = 0;
constexpr int kMaxPassGapSeconds = 3600;

// The whole seconds a countdown shows with this much left: rounded up, so that it shows the
// full gap at its start and 1 in its last second; 0 once nothing is left.
int countdownSeconds(double remainingSeconds);

enum class PassGapEnd { Done, Stopped, Refused };

// Who is told the countdown: tell(context, nextPass, seconds) at the start and whenever the shown
// seconds change.
struct PassGapTeller {
    void* context = nullptr;
    void (*tell)(void* context, int nextPass, int seconds) = nullptr;
};

// Waits gapSeconds before pass nextPass, noticing a stop within a few milliseconds; a pause
// (gate, may be null) stops the countdown for as long as it lasts. Refused: pressing held input
// again after a pause was refused (sent has the error).
PassGapEnd waitPassGap(const PlaybackClockSeam& clock, double gapSeconds, int nextPass,
                       const std::atomic<bool>& stopRequested, PauseGate* gate, const PassGapTeller& teller,
                       SendResult& sent);
