#include "player/playback_loop.h"

#include <cstddef>

#include "player/click_fidelity.h"
#include "player/pass_gap.h"
#include "player/window_follow.h"
#include "script/screen_wait.h"
#include "script/window_table.h"

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

enum class WaitResult { Due, Stopped, Refused };

// A pause moves target on by the time it lasted: the part of the gap waited before it counts, and
// the events after it keep their gaps (followed windows are looked up at each event anyway); sent
// has the refusal of pressing held input again after it.
WaitResult waitUntil(const PlaybackClockSeam& clock, double& target, const std::atomic<bool>& stopRequested,
                     PauseGate* pause, SendResult& sent)
{
    for (;;) {
        const PauseHold held = holdIfPaused(pause);
        if (held.stopped) {
            return WaitResult::Stopped;
        }
        if (held.sent.refused) {
            sent = held.sent;
            return WaitResult::Refused;
        }
        target += held.pausedSeconds;
        const double remaining = target - clock.now(clock.context);
        if (!(remaining > 0.0)) {
            return WaitResult::Due;
        }
        if (remaining > kFineWaitSeconds) {
            clock.sleepMilliseconds(clock.context, kCoarseSleepMilliseconds);
        } else {
            preciseSleep(clock, remaining);
        }
        if (stopRequested.load()) {
            return WaitResult::Stopped;
        }
    }
}

// The shifts of the last few presses and wheel turns whose windows were found: the events
// anchored to one (its approach and its drag) move with it.
class RecentShifts {
public:
    void remember(int32_t anchor, PointShift shift)
    {
        // An anchor looked for again (its press, after the way to it) keeps one slot, the latest shift.
        for (Slot& slot : slots_) {
            if (slot.anchor == anchor) {
                slot.shift = shift;
                return;
            }
        }
        slots_[next_] = Slot{anchor, shift};
        next_ = (next_ + 1) % kSlots;
    }
    // The shift of the anchor, or none when its window was not looked for.
    PointShift of(int32_t anchor) const
    {
        for (const Slot& slot : slots_) {
            if (slot.anchor == anchor) {
                return slot.shift;
            }
        }
        return PointShift{};
    }

private:
    static constexpr size_t kSlots = 4;
    struct Slot {
        int32_t anchor = -1;
        PointShift shift;
    };
    Slot slots_[kSlots];
    size_t next_ = 0;
};

bool anyEventHasWindow(const std::vector<MacroEvent>& events)
{
    for (const MacroEvent& event : events) {
        if (event.window.index != kNoWindow) {
            return true;
        }
    }
    return false;
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
    // A pause between two characters has moved the end as well: the events after the step keep
    // their gaps counted from it.
    target = seams.clock.now(seams.clock.context);
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

void preciseSleep(const PlaybackClockSeam& clock, double seconds)
{
    if (!(seconds > 0.0)) {
        return;
    }
    const double start = clock.now(clock.context);
    for (;;) {
        const double remaining = seconds - (clock.now(clock.context) - start);
        if (!(remaining > 0.0)) {
            return;
        }
        const double remainingMs = remaining * 1000.0;
        if (remainingMs > kSleepAboveMilliseconds) {
            clock.sleepMilliseconds(clock.context, static_cast<uint32_t>(remainingMs - kSleepMarginMilliseconds));
        } else if (remainingMs > kYieldAboveMilliseconds) {
            clock.sleepMilliseconds(clock.context, 0);
        } else {
            clock.pause(clock.context);
        }
    }
}

namespace {

// One playback: what stays the same for every pass, and what its events leave for the ones after.
struct PlaybackRun {
    PlaybackRun(const PlaybackJob& playbackJob, const PlaybackSeams& playbackSeams,
                const std::atomic<bool>& stopRequest)
        : job(playbackJob), seams(playbackSeams), stopRequested(stopRequest),
          scaledDelays(computeScaledDelays(job.events, job.speed, job.clickFidelity,
                                           job.clickFidelity ? seams.doubleClickSeconds(seams.context) : 0.0)),
          // Events without window information (older scripts) play at their places, also when
          // windows are followed.
          follow(job.followWindows && seams.windows.look != nullptr && anyEventHasWindow(job.events)),
          steps(follow ? planFollow(job.events) : std::vector<FollowStep>())
    {}

    const PlaybackJob& job;
    const PlaybackSeams& seams;
    const std::atomic<bool>& stopRequested;
    const std::vector<double> scaledDelays;
    const bool follow;
    const std::vector<FollowStep> steps;
    RecentShifts shifts;
    SendResult sent;             // the last injection's result
    uint32_t missingWindow = 0;  // the window table entry a WindowMissing end waited for
    uint32_t timedOutStep = 0;   // the wait step a WaitTimedOut end waited in
};

// The click on a found picture: the pointer goes there, then one press and release (two for a
// double click), each through the injection as recorded clicks go.
SendResult clickFoundPicture(const PlaybackSeams& seams, FoundClick click, int32_t x, int32_t y)
{
    MacroEvent event;
    event.x = x;
    event.y = y;
    SendResult sent = seams.inject(seams.context, event);
    event.kind = EventKind::Click;
    event.button = click == FoundClick::Right ? MouseButton::Right : MouseButton::Left;
    for (int press = 0; press < (click == FoundClick::Double ? 4 : 2) && !sent.refused; ++press) {
        event.pressed = press % 2 == 0;
        sent = seams.inject(seams.context, event);
    }
    return sent;
}

// A wait step, once it is due: Completed when what it waits for came (and a found picture was
// clicked), or when its time was up and it goes on; else how the playback ends. Like a window's
// wait, it does not eat the script's timing.
PlaybackEnd playScreenWait(PlaybackRun& run, size_t index, double& target)
{
    const PlaybackSeams& seams = run.seams;
    const MacroEvent& step = run.job.events[index];
    if (seams.screen.capture == nullptr || step.wait == nullptr) {
        return PlaybackEnd::Completed;
    }
    const double waitStart = seams.clock.now(seams.clock.context);
    const ScreenWaitResult waited = runScreenWait(step, static_cast<int32_t>(index), seams.clock, seams.screen,
                                                  run.job.followWindows, run.stopRequested, seams.pause);
    target += seams.clock.now(seams.clock.context) - waitStart;
    switch (waited.end) {
    case ScreenWaitEnd::Stopped: return PlaybackEnd::Stopped;
    case ScreenWaitEnd::TimedOut:
        if (step.wait->onTimeout == TimeoutAction::Go) {
            return PlaybackEnd::Completed;
        }
        run.timedOutStep = static_cast<uint32_t>(index);
        return PlaybackEnd::WaitTimedOut;
    case ScreenWaitEnd::Met: break;
    }
    if (waited.click) {
        run.sent = clickFoundPicture(seams, step.wait->click, waited.x, waited.y);
        if (run.sent.refused) {
            return PlaybackEnd::Refused;
        }
    }
    return PlaybackEnd::Completed;
}

// The wait, once an event is due, for the window of the event waitFor (see FollowStep and
// FollowCheck): Completed when nothing keeps the input from it, with target moved on by the wait
// and the shift of a press or wheel turn remembered; else how the playback ends.
PlaybackEnd waitForFollowedWindow(PlaybackRun& run, int32_t waitFor, FollowCheck check, double& target)
{
    const PlaybackClockSeam& clock = run.seams.clock;
    const MacroEvent& waitedFor = run.job.events[static_cast<size_t>(waitFor)];
    const double waitStart = clock.now(clock.context);
    const FollowWait wait = waitForEventWindow(clock, run.seams.windows, waitedFor, check, run.job.windowWaitSeconds,
                                               run.stopRequested, run.seams.pause);
    if (wait.end != WindowWaitEnd::Found) {
        run.missingWindow = static_cast<uint32_t>(waitedFor.window.index);
        if (wait.end == WindowWaitEnd::Stopped) {
            return PlaybackEnd::Stopped;
        }
        if (run.seams.windows.gaveUp != nullptr) {
            run.seams.windows.gaveUp(run.seams.windows.context, waitedFor.window.index, wait.problem);
        }
        return PlaybackEnd::WindowMissing;
    }
    // The wait does not eat the script's timing: the events after it keep their gaps.
    target += clock.now(clock.context) - waitStart;
    if (check != FollowCheck::Front) {
        run.shifts.remember(waitFor, wait.shift);
    }
    return PlaybackEnd::Completed;
}

// The waits before event i when windows are followed: for the window it waits for, then, at a
// press or wheel turn of a followed window, for its point to reach that window.
PlaybackEnd waitForWindows(PlaybackRun& run, size_t i, double& target)
{
    const FollowStep step = run.steps[i];
    const auto self = static_cast<int32_t>(i);
    const bool atPress = step.anchor == self;
    if (step.waitFor >= 0 && !(atPress && step.waitFor == self)) {
        const MacroEvent& waitedFor = run.job.events[static_cast<size_t>(step.waitFor)];
        const bool foreground = windowInfoFor(waitedFor.kind, waitedFor.pressed) == WindowInfo::Identity;
        const PlaybackEnd waited =
            waitForFollowedWindow(run, step.waitFor, foreground ? FollowCheck::Front : FollowCheck::Find, target);
        if (waited != PlaybackEnd::Completed) {
            return waited;
        }
    }
    return atPress ? waitForFollowedWindow(run, self, FollowCheck::Point, target) : PlaybackEnd::Completed;
}

// One pass over the events. Targets accumulate from the pass start, not from each injection, so
// a late event does not push the later ones back and errors do not add up over a long script.
PlaybackEnd playPass(PlaybackRun& run)
{
    const PlaybackSeams& seams = run.seams;
    double target = seams.clock.now(seams.clock.context);
    for (size_t i = 0; i < run.job.events.size(); ++i) {
        if (run.stopRequested.load()) {
            return PlaybackEnd::Stopped;
        }
        target += run.scaledDelays[i];
        const WaitResult due = waitUntil(seams.clock, target, run.stopRequested, seams.pause, run.sent);
        if (due != WaitResult::Due) {
            return due == WaitResult::Refused ? PlaybackEnd::Refused : PlaybackEnd::Stopped;
        }
        if (seams.progress != nullptr) {
            seams.progress->step.store(static_cast<uint32_t>(i + 1));
        }
        if (run.follow) {
            const PlaybackEnd waited = waitForWindows(run, i, target);
            if (waited != PlaybackEnd::Completed) {
                return waited;
            }
        }
        if (isScreenWait(run.job.events[i].kind)) {
            const PlaybackEnd waited = playScreenWait(run, i, target);
            if (waited != PlaybackEnd::Completed) {
                return waited;
            }
            continue;
        }
        bool stopped = false;
        const int32_t anchor = run.follow ? run.steps[i].anchor : -1;
        if (anchor >= 0) {
            run.sent = seams.inject(seams.context, shiftedEvent(run.job.events[i], run.shifts.of(anchor)));
        } else {
            run.sent = playEvent(seams, run.job.events[i], run.stopRequested, target, stopped);
        }
        // Input the system refuses once it refuses again (the program in front runs with
        // higher rights): playing on would report a playback that never reached its target.
        if (run.sent.refused) {
            return PlaybackEnd::Refused;
        }
        if (stopped) {
            return PlaybackEnd::Stopped;
        }
    }
    return PlaybackEnd::Completed;
}

// The wait before pass nextPass.
PlaybackEnd waitBetweenPasses(PlaybackRun& run, int nextPass)
{
    PassGapTeller teller;
    teller.context = run.seams.context;
    teller.tell = run.seams.passGap;
    switch (waitPassGap(run.seams.clock, run.job.passGapSeconds, nextPass, run.stopRequested, run.seams.pause, teller,
                        run.sent)) {
    case PassGapEnd::Done: return PlaybackEnd::Completed;
    case PassGapEnd::Refused: return PlaybackEnd::Refused;
    case PassGapEnd::Stopped: break;
    }
    return PlaybackEnd::Stopped;
}

}  // namespace

PlaybackEnd runPlayback(const PlaybackJob& job, const PlaybackSeams& seams, std::atomic<bool>& playing,
                        const std::atomic<bool>& stopRequested)
{
    // Ahead of normal work for the whole playback: on a busy machine a thread of normal priority
    // wakes milliseconds late.
    seams.clock.setPriority(seams.clock.context, PlaybackPriority::Raised);
    // A modifier the user still holds would turn injected keys and clicks into shortcuts.
    PlaybackRun run(job, seams, stopRequested);
    run.sent = seams.releaseModifiers(seams.context);
    PlaybackEnd end = run.sent.refused ? PlaybackEnd::Refused : PlaybackEnd::Completed;

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
        if (pass > 1 && job.passGapSeconds > 0.0) {
            end = waitBetweenPasses(run, pass);
            if (end != PlaybackEnd::Completed) {
                break;
            }
        }
        if (seams.progress != nullptr) {
            seams.progress->pass.store(pass);
            seams.progress->limit.store(limit);
            seams.progress->steps.store(static_cast<uint32_t>(job.events.size()));
        }
        seams.passStarted(seams.context, pass, limit);
        end = playPass(run);
    }

    // Held input and whatever else is still down, each released once; nothing that is up.
    seams.releaseHeld(seams.context);
    seams.clock.setPriority(seams.clock.context, PlaybackPriority::Normal);
    playing.exchange(false);
    const uint32_t detail = end == PlaybackEnd::Refused         ? run.sent.error
                            : end == PlaybackEnd::WindowMissing ? run.missingWindow
                            : end == PlaybackEnd::WaitTimedOut  ? run.timedOutStep
                                                                : 0;
    seams.ended(seams.context, end, detail);
    return end;
}
