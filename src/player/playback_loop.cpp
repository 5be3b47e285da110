#include "player/playback_loop.h"

#include <cstddef>

#include "player/click_fidelity.h"

namespace {

// While more than this remains, the wait sleeps in coarse steps so that a stop is noticed within
// a few milliseconds; the rest goes to preciseSleep.
constexpr double kFineWaitSeconds = 0.02;
constexpr uint32_t kCoarseSleepMilliseconds = 5;
// preciseSleep: sleep while more than 2.5 ms remain (waking about 1.5 ms early, the sleep's
// usual overshoot under a 1 ms timer), yield down to 0.3 ms, then spin.
constexpr double kSleepAboveMilliseconds = 2.5;
constexpr double kSleepMarginMilliseconds = 1.5;
constexpr double kYieldAboveMilliseconds = 0.3;

enum class WaitResult { Due, Stopped };

WaitResult waitUntil(const PlaybackSeams& seams, double target, const std::atomic<bool>& stopRequested)
{
    for (;;) {
        const double remaining = target - seams.now(seams.context);
        if (!(remaining > 0.0)) {
            return WaitResult::Due;
        }
        if (remaining > kFineWaitSeconds) {
            seams.sleepMilliseconds(seams.context, kCoarseSleepMilliseconds);
        } else {
            preciseSleep(seams, remaining);
        }
        if (stopRequested.load()) {
            return WaitResult::Stopped;
        }
    }
}

// One event. A text step lasts as long as its characters take: the events after it keep their
// gaps counted from its end (target moves there), or a long text would make them fire back to
// back.
SendResult playEvent(const PlaybackSeams& seams, const MacroEvent& event, const std::atomic<bool>& stopRequested,
                     double& target, bool& stopped)
{
    if (event.kind != EventKind::Text) {
        return seams.inject(seams.context, event);
    }
    const TypingResult typed = seams.typeText(seams.context, event, stopRequested);
    stopped = typed.stopped;
    target = seams.now(seams.context);
    return typed.sent;
}

}  // namespace

PlaybackJob makePlaybackJob(const std::vector<MacroEvent>& events, double speed, bool infinite, int loops,
                            bool clickFidelity)
{
    PlaybackJob job;
    job.events = events;
    job.speed = speed > 0.0 ? speed : 1.0;
    job.infinite = infinite;
    job.loops = loops < kMinPlaybackLoops ? kMinPlaybackLoops : (loops > kMaxPlaybackLoops ? kMaxPlaybackLoops : loops);
    job.clickFidelity = clickFidelity;
    return job;
}

void preciseSleep(const PlaybackSeams& seams, double seconds)
{
    if (!(seconds > 0.0)) {
        return;
    }
    const double start = seams.now(seams.context);
    for (;;) {
        const double remaining = seconds - (seams.now(seams.context) - start);
        if (!(remaining > 0.0)) {
            return;
        }
        const double remainingMs = remaining * 1000.0;
        if (remainingMs > kSleepAboveMilliseconds) {
            seams.sleepMilliseconds(seams.context, static_cast<uint32_t>(remainingMs - kSleepMarginMilliseconds));
        } else if (remainingMs > kYieldAboveMilliseconds) {
            seams.sleepMilliseconds(seams.context, 0);
        } else {
            seams.pause(seams.context);
        }
    }
}

PlaybackEnd runPlayback(const PlaybackJob& job, const PlaybackSeams& seams, std::atomic<bool>& playing,
                        const std::atomic<bool>& stopRequested)
{
    // A modifier the user still holds would turn injected keys and clicks into shortcuts.
    SendResult sent = seams.releaseModifiers(seams.context);
    PlaybackEnd end = sent.refused ? PlaybackEnd::Refused : PlaybackEnd::Completed;

    const double doubleClick = job.clickFidelity ? seams.doubleClickSeconds(seams.context) : 0.0;
    const std::vector<double> scaledDelays = computeScaledDelays(job.events, job.speed, job.clickFidelity, doubleClick);

    const int limit = job.infinite ? 0 : job.loops;
    for (int pass = 1; end == PlaybackEnd::Completed; ++pass) {
        // The loop limit is tested before the stop request, so that a stop that arrives while
        // the last event is injected still counts as a completed playback.
        if (limit != 0 && pass > limit) {
            break;
        }
        if (stopRequested.load()) {
            end = PlaybackEnd::Stopped;
            break;
        }
        seams.passStarted(seams.context, pass, limit);
        // Targets accumulate from the pass start, not from each injection, so a late event does
        // not push the later ones back and errors do not add up over a long script.
        double target = seams.now(seams.context);
        for (size_t i = 0; i < job.events.size(); ++i) {
            if (stopRequested.load()) {
                end = PlaybackEnd::Stopped;
                break;
            }
            target += scaledDelays[i];
            if (stopRequested.load() || waitUntil(seams, target, stopRequested) == WaitResult::Stopped) {
                end = PlaybackEnd::Stopped;
                break;
            }
            bool stopped = false;
            sent = playEvent(seams, job.events[i], stopRequested, target, stopped);
            // Input the system refuses once it refuses again (the program in front runs with
            // higher rights): playing on would report a playback that never reached its target.
            if (sent.refused) {
                end = PlaybackEnd::Refused;
                break;
            }
            if (stopped) {
                end = PlaybackEnd::Stopped;
                break;
            }
        }
    }

    // Held input and whatever else is still down, each released once; nothing that is up.
    seams.releaseHeld(seams.context);
    playing.exchange(false);
    seams.ended(seams.context, end, end == PlaybackEnd::Refused ? sent.error : 0);
    return end;
}
