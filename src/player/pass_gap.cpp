#include "player/pass_gap.h"

#include <cmath>

namespace {

// The gap sleeps in steps this short, so that a stop or a pause is noticed at once.
constexpr uint32_t kGapStepMilliseconds = 5;

}  // namespace

int countdownSeconds(double remainingSeconds)
{
    if (!(remainingSeconds > 0.0)) {
        return 0;
    }
    // A hair of rounding error must not show one second more at the very start.
    const double shown = std::ceil(remainingSeconds - 1e-9);
    return shown < 1.0 ? 1 : static_cast<int>(shown);
}

PassGapEnd waitPassGap(const PlaybackClockSeam& clock, double gapSeconds, int nextPass,
                       const std::atomic<bool>& stopRequested, PauseGate* gate, const PassGapTeller& teller,
                       SendResult& sent)
{
    double end = clock.now(clock.context) + gapSeconds;
    int shown = -1;
    for (;;) {
        if (stopRequested.load()) {
            return PassGapEnd::Stopped;
        }
        const PauseHold held = holdIfPaused(gate);
        if (held.stopped) {
            return PassGapEnd::Stopped;
        }
        if (held.sent.refused) {
            sent = held.sent;
            return PassGapEnd::Refused;
        }
        end += held.pausedSeconds;
        const double remaining = end - clock.now(clock.context);
        const int seconds = countdownSeconds(remaining);
        if (seconds == 0) {
            return PassGapEnd::Done;
        }
        if (seconds != shown || held.pausedSeconds > 0.0) {
            shown = seconds;
            if (teller.tell != nullptr) {
                teller.tell(teller.context, nextPass, seconds);
            }
        }
        const double stepMs = remaining * 1000.0;
        clock.sleepMilliseconds(clock.context,
                                stepMs < kGapStepMilliseconds ? static_cast<uint32_t>(stepMs) : kGapStepMilliseconds);
    }
}
