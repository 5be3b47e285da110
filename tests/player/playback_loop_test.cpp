#include "player/playback_loop.h"

#include <atomic>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_input.h"

namespace {

// A simulated playback thread: time moves only when the loop sleeps, yields or spins, so every
// run is exact and instant. Hooks let a test request a stop at a chosen moment.
struct FakeWorld {
    double time = 100.0;
    double yieldSeconds = 0.0001;
    double pauseSeconds = 0.00001;
    double injectSeconds = 0.0;  // how long an injection takes
    double typeSeconds = 0.0;    // how long a text step takes
    std::vector<uint32_t> sleeps;
    int pauses = 0;
    std::atomic<bool> playing{true};
    std::atomic<bool> stop{false};
    std::vector<std::string> log;  // passes, injections, releases and the end, in order
    std::vector<double> injectedAt;
    std::function<void()> onInject;
    std::function<void(int)> onPass;
    std::function<void()> onSleep;
    bool playingAtEnd = true;
    FakeInput input;
    HeldInput held;

    PlaybackClockSeam clock()
    {
        PlaybackClockSeam s;
        s.context = this;
        s.now = [](void* c) { return self(c).time; };
        s.sleepMilliseconds = [](void* c, uint32_t ms) {
            FakeWorld& w = self(c);
            w.sleeps.push_back(ms);
            w.time += ms == 0 ? w.yieldSeconds : ms / 1000.0;
            if (w.onSleep) {
                w.onSleep();
            }
        };
        s.pause = [](void* c) {
            self(c).pauses++;
            self(c).time += self(c).pauseSeconds;
        };
        s.setPriority = [](void* c, PlaybackPriority priority) {
            self(c).log.push_back(priority == PlaybackPriority::Raised ? "raised" : "normal");
        };
        return s;
    }

    PlaybackSeams seams()
    {
        PlaybackSeams s;
        s.clock = clock();
        s.context = this;
        s.doubleClickSeconds = [](void*) { return 0.5; };
        s.inject = [](void* c, const MacroEvent& e) {
            FakeWorld& w = self(c);
            w.log.push_back("inject " + std::to_string(e.x));
            w.injectedAt.push_back(w.time);
            const SendResult result = injectEvent(w.input.seam(), w.held, e);
            w.time += w.injectSeconds;
            if (w.onInject) {
                w.onInject();
            }
            return result;
        };
        s.typeText = [](void* c, const MacroEvent& e, const std::atomic<bool>& stopRequested) {
            FakeWorld& w = self(c);
            w.log.push_back("type " + e.keyOrText);
            w.injectedAt.push_back(w.time);
            const TypingResult result = typeText(w.input.seam(), w.held, e.keyOrText, stopRequested);
            w.time += w.typeSeconds;
            return result;
        };
        s.releaseHeld = [](void* c) {
            self(c).log.push_back("releaseHeld");
            releaseHeld(self(c).input.seam(), self(c).held);
        };
        s.releaseModifiers = [](void* c) {
            self(c).log.push_back("releaseModifiers");
            return releaseModifiers(self(c).input.seam());
        };
        s.passStarted = [](void* c, int pass, int limit) {
            self(c).log.push_back("pass " + std::to_string(pass) + "/" + std::to_string(limit));
            if (self(c).onPass) {
                self(c).onPass(pass);
            }
        };
        s.ended = [](void* c, PlaybackEnd how, uint32_t error) {
            self(c).playingAtEnd = self(c).playing.load();
            self(c).log.push_back("ended " + std::to_string(static_cast<uint32_t>(how)) +
                                  (error != 0 ? " error " + std::to_string(error) : ""));
        };
        return s;
    }

    // True when the playback ended on a stop request.
    bool run(const PlaybackJob& job)
    {
        return (end = runPlayback(job, seams(), playing, stop)) == PlaybackEnd::Stopped;
    }
    PlaybackEnd end = PlaybackEnd::Completed;

    static FakeWorld& self(void* c) { return *static_cast<FakeWorld*>(c); }
};

// Moves numbered by their x, so the log shows which event was injected.
std::vector<MacroEvent> moves(const std::vector<double>& delays)
{
    std::vector<MacroEvent> events;
    for (size_t i = 0; i < delays.size(); ++i) {
        MacroEvent e;
        e.kind = EventKind::Move;
        e.delay = delays[i];
        e.x = static_cast<int32_t>(i);
        events.push_back(e);
    }
    return events;
}

using Log = std::vector<std::string>;

}  // namespace

TEST(PlaybackJob, NormalisesSpeedAndLoops)
{
    const struct {
        double speed;
        int loops;
        double expectedSpeed;
        int expectedLoops;
    } cases[] = {
        {2.0, 3, 2.0, 3},        {0.0, 0, 1.0, 1},      {-3.0, -7, 1.0, 1},        {0.1, 999, 0.1, 999},
        {10.0, 1000, 10.0, 999}, {1.0, 5000, 1.0, 999}, {std::nan(""), 1, 1.0, 1},
    };
    for (const auto& c : cases) {
        const PlaybackJob job = makePlaybackJob(moves({0.1}), c.speed, false, c.loops, true);
        EXPECT_DOUBLE_EQ(job.speed, c.expectedSpeed) << c.speed;
        EXPECT_EQ(job.loops, c.expectedLoops) << c.loops;
        EXPECT_EQ(job.events.size(), 1u);
        EXPECT_TRUE(job.clickFidelity);
    }
}

TEST(PlaybackLoop, ThreePassesThenCompleted)
{
    FakeWorld w;
    EXPECT_FALSE(w.run(makePlaybackJob(moves({0.01, 0.0}), 1.0, false, 3, false)));
    EXPECT_EQ(w.log, (Log{"raised", "releaseModifiers", "pass 1/3", "inject 0", "inject 1", "pass 2/3", "inject 0",
                          "inject 1", "pass 3/3", "inject 0", "inject 1", "releaseHeld", "normal", "ended 0"}));
    EXPECT_FALSE(w.playingAtEnd) << "playing must be cleared before the end is reported";
    EXPECT_FALSE(w.playing.load());
}

TEST(PlaybackLoop, LoopCountsOutsideTheRangeAreClamped)
{
    const struct {
        int loops;
        int passes;
    } cases[] = {{0, 1}, {-4, 1}, {5000, 999}};
    for (const auto& c : cases) {
        FakeWorld w;
        int passes = 0;
        w.onPass = [&](int pass) { passes = pass; };
        w.run(makePlaybackJob(moves({0.0}), 1.0, false, c.loops, false));
        const std::string last = "pass " + std::to_string(c.passes) + "/" + std::to_string(c.passes);
        EXPECT_EQ(passes, c.passes) << c.loops;
        EXPECT_EQ(w.log[w.log.size() - 5], last) << c.loops;
        EXPECT_EQ(w.injectedAt.size(), static_cast<size_t>(c.passes)) << c.loops;
        EXPECT_EQ(w.log.back(), "ended 0");
    }
}

TEST(PlaybackLoop, EndlessUntilStopped)
{
    FakeWorld w;
    w.onPass = [&](int pass) {
        if (pass == 3) {
            w.stop = true;
        }
    };
    // The loop count is ignored when endless.
    EXPECT_TRUE(w.run(makePlaybackJob(moves({0.001}), 1.0, true, 1, false)));
    EXPECT_EQ(w.log, (Log{"raised", "releaseModifiers", "pass 1/0", "inject 0", "pass 2/0", "inject 0", "pass 3/0",
                          "releaseHeld", "normal", "ended 1"}));
}

TEST(PlaybackLoop, StopWhileTheLastEventIsInjectedCountsAsCompleted)
{
    FakeWorld w;
    w.onInject = [&] {
        if (w.injectedAt.size() == 4) {
            w.stop = true;
        }
    };
    EXPECT_FALSE(w.run(makePlaybackJob(moves({0.0, 0.002}), 1.0, false, 2, false)));
    EXPECT_EQ(w.log.back(), "ended 0");
    // Stopping during an earlier event ends as stopped, before the next event.
    FakeWorld early;
    early.onInject = [&] { early.stop = true; };
    EXPECT_TRUE(early.run(makePlaybackJob(moves({0.0, 0.0}), 1.0, false, 2, false)));
    EXPECT_EQ(early.injectedAt.size(), 1u);
    EXPECT_EQ(early.log.back(), "ended 1");
}

TEST(PlaybackLoop, StopDuringALongWaitIsNoticedWithinFiveMilliseconds)
{
    FakeWorld w;
    const double start = w.time;
    double stopAt = 0.0;
    w.onSleep = [&] {
        if (stopAt == 0.0 && w.time - start >= 0.5) {
            stopAt = w.time;
            w.stop = true;
        }
    };
    EXPECT_TRUE(w.run(makePlaybackJob(moves({0.1, 10.0}), 1.0, false, 1, false)));
    EXPECT_EQ(w.injectedAt.size(), 1u) << "the event waited for must not be injected";
    EXPECT_LE(w.time - stopAt, 0.005 + 1e-9);
    // The long wait itself is spent in 5 ms steps (the fine wait before the first event may sleep longer).
    size_t coarseSteps = 0;
    for (size_t i = w.sleeps.size() - 20; i < w.sleeps.size(); ++i) {
        coarseSteps += w.sleeps[i] == 5u ? 1 : 0;
    }
    EXPECT_EQ(coarseSteps, 20u);
}

TEST(PlaybackLoop, StopDuringAFineWaitEndsTheWaitWithinTwentyMilliseconds)
{
    FakeWorld w;
    w.onSleep = [&] { w.stop = true; };
    EXPECT_TRUE(w.run(makePlaybackJob(moves({0.019}), 1.0, false, 1, false)));
    EXPECT_TRUE(w.injectedAt.empty());
    EXPECT_LE(w.time - 100.0, 0.02);
}

TEST(PlaybackLoop, TargetsAccumulateFromThePassStart)
{
    FakeWorld w;
    // The first injection takes 50 ms: the next two are overdue and go back to back, the fourth
    // is on its own time again.
    w.injectSeconds = 0.05;
    w.onInject = [&] { w.injectSeconds = 0.0; };
    w.run(makePlaybackJob(moves({0.01, 0.01, 0.01, 0.1}), 2.0, false, 1, false));
    ASSERT_EQ(w.injectedAt.size(), 4u);
    const double start = 100.0;
    EXPECT_NEAR(w.injectedAt[0], start + 0.005, 0.0002);
    EXPECT_NEAR(w.injectedAt[1], start + 0.055, 0.0002);
    EXPECT_NEAR(w.injectedAt[2], start + 0.055, 0.0002);
    EXPECT_NEAR(w.injectedAt[3], start + 0.065, 0.0002);
}

TEST(PlaybackLoop, EachPassWaitsItsFirstDelayAfterItsOwnStart)
{
    FakeWorld w;
    w.run(makePlaybackJob(moves({0.2}), 1.0, false, 2, false));
    ASSERT_EQ(w.injectedAt.size(), 2u);
    EXPECT_NEAR(w.injectedAt[0] - 100.0, 0.2, 0.0002);
    EXPECT_NEAR(w.injectedAt[1] - w.injectedAt[0], 0.2, 0.0002);
}

TEST(PlaybackLoop, ZeroDelaysNeverSleep)
{
    FakeWorld w;
    w.run(makePlaybackJob(moves({0.0, 0.0, 0.0}), 1.0, false, 2, false));
    EXPECT_EQ(w.injectedAt.size(), 6u);
    EXPECT_TRUE(w.sleeps.empty());
    EXPECT_EQ(w.pauses, 0);
}

TEST(PlaybackLoop, SpeedAndClickFidelityShapeTheWaits)
{
    // move 1.0; left press 0.5; left release 0.1; left press 0.15; left release 0.1; move 1.0 at speed 2.
    std::vector<MacroEvent> events = moves({1.0, 0.5, 0.1, 0.15, 0.1, 1.0});
    for (int i : {1, 3}) {
        events[i].kind = EventKind::Click;
        events[i].pressed = true;
    }
    for (int i : {2, 4}) {
        events[i].kind = EventKind::Click;
        events[i].pressed = false;
    }
    const struct {
        bool fidelity;
        std::vector<double> gaps;
    } cases[] = {
        {true, {0.5, 0.25, 0.1, 0.15, 0.1, 0.5}},
        {false, {0.5, 0.25, 0.05, 0.075, 0.05, 0.5}},
    };
    for (const auto& c : cases) {
        FakeWorld w;
        w.run(makePlaybackJob(events, 2.0, false, 1, c.fidelity));
        ASSERT_EQ(w.injectedAt.size(), 6u);
        double previousTarget = 100.0;
        for (size_t i = 0; i < 6; ++i) {
            previousTarget += c.gaps[i];
            // Never early; late by no more than one spin step.
            EXPECT_GE(w.injectedAt[i], previousTarget - 1e-9) << i;
            EXPECT_LE(w.injectedAt[i], previousTarget + 0.0001) << i;
        }
    }
}

TEST(PlaybackLoop, StopInADragReleasesTheButtonOnceBeforeTheEnd)
{
    FakeWorld w;
    // The user holds the left Shift throughout; the dragged button is reported down as well.
    w.input.down = {0xA0, kVirtualKeyLeftButton};
    std::vector<MacroEvent> events = moves({0.0, 0.0, 1.0});
    events[0].kind = EventKind::Click;
    events[0].pressed = true;
    events[0].x = 10;
    events[0].y = 20;
    w.onInject = [&] {
        if (w.injectedAt.size() == 2) {
            w.stop = true;
        }
    };
    EXPECT_TRUE(w.run(makePlaybackJob(events, 1.0, false, 1, false)));
    const std::vector<FakeInput::Call> expected = {
        recordCall(keyboardRecord(0xA0, kKeyFlagUp)),  // the user's Shift, at the start
        cursorCall(10, 20),
        recordCall(mouseRecord(kMouseFlagLeftDown)),
        cursorCall(1, 0),
        recordCall(mouseRecord(kMouseFlagLeftUp)),     // the held button, once
        recordCall(keyboardRecord(0xA0, kKeyFlagUp)),  // still reported down at the end
    };
    EXPECT_EQ(describeAll(w.input.calls), describeAll(expected));
    EXPECT_EQ(w.log.back(), "ended 1");
}

TEST(PreciseSleep, SleepsThenYieldsThenSpins)
{
    const struct {
        double seconds;
        std::vector<uint32_t> firstSleeps;
        bool spins;
    } cases[] = {
        {0.010, {8, 0}, true},  // 10 ms: sleep 8.5 -> 8, then 2 ms of yields, then the spin
        {0.0024, {0}, true},    // below the sleep threshold: yield at once
        {0.0002, {}, true},     // below 0.3 ms: spin only
        {0.0, {}, false},      {-1.0, {}, false}, {std::nan(""), {}, false},
    };
    for (const auto& c : cases) {
        FakeWorld w;
        const double start = w.time;
        preciseSleep(w.clock(), c.seconds);
        ASSERT_GE(w.sleeps.size(), c.firstSleeps.size()) << c.seconds;
        for (size_t i = 0; i < c.firstSleeps.size(); ++i) {
            EXPECT_EQ(w.sleeps[i], c.firstSleeps[i]) << c.seconds;
        }
        EXPECT_EQ(w.pauses > 0, c.spins) << c.seconds;
        if (c.seconds > 0) {
            EXPECT_GE(w.time - start, c.seconds - 1e-12);
            EXPECT_LE(w.time - start, c.seconds + w.pauseSeconds + 1e-12);
        } else {
            EXPECT_EQ(w.time, start);
        }
    }
}

namespace {

MacroEvent keyDown(const char* name, int32_t number)
{
    MacroEvent e;
    e.kind = EventKind::KeyDown;
    e.keyOrText = name;
    e.x = number;  // numbers the event in the log
    return e;
}

}  // namespace

TEST(PlaybackLoop, RefusedInputEndsThePlaybackAndReleasesWhatIsHeld)
{
    FakeWorld w;
    w.input.refuses = [](const InputRecord& r) { return r.virtualKey == 'B' && r.keyFlags == 0; };
    w.input.down = {kVirtualKeyLeftButton, 'A'};  // what the playback pressed
    std::vector<MacroEvent> events = moves({0.0});
    events[0].kind = EventKind::Click;
    events[0].pressed = true;
    events[0].x = 10;
    events[0].y = 20;
    events.push_back(keyDown("A", 1));
    events.push_back(keyDown("B", 2));
    events.push_back(keyDown("C", 3));
    EXPECT_FALSE(w.run(makePlaybackJob(events, 1.0, false, 3, false)));
    EXPECT_EQ(w.end, PlaybackEnd::Refused);
    EXPECT_EQ(w.log, (Log{"raised", "releaseModifiers", "pass 1/3", "inject 10", "inject 1", "inject 2", "releaseHeld",
                          "normal", "ended 2 error 5"}));
    const std::vector<FakeInput::Call> expected = {
        cursorCall(10, 20),
        recordCall(mouseRecord(kMouseFlagLeftDown)),
        recordCall(keyboardRecord('A', 0)),
        refusedCall(keyboardRecord('B', 0)),
        // What the playback holds is released; B, which never went down, is not.
        recordCall(mouseRecord(kMouseFlagLeftUp)),
        recordCall(keyboardRecord('A', kKeyFlagUp)),
    };
    EXPECT_EQ(describeAll(w.input.calls), describeAll(expected));
    EXPECT_FALSE(w.playingAtEnd);
}

TEST(PlaybackLoop, RefusedModifierReleaseAtTheStartPlaysNothing)
{
    FakeWorld w;
    w.input.down = {0xA2};
    w.input.refusalError = 1455;
    w.input.refuses = [](const InputRecord&) { return true; };
    EXPECT_FALSE(w.run(makePlaybackJob(moves({0.0, 0.1}), 1.0, true, 1, false)));
    EXPECT_EQ(w.end, PlaybackEnd::Refused);
    EXPECT_EQ(w.log, (Log{"raised", "releaseModifiers", "releaseHeld", "normal", "ended 2 error 1455"}));
    EXPECT_TRUE(w.injectedAt.empty());
}

TEST(PlaybackLoop, ARefusalOfTheLastEventIsNoCompletedPlayback)
{
    FakeWorld w;
    w.input.refuses = [](const InputRecord& r) { return r.virtualKey == 'Z'; };
    w.onInject = [&] { w.stop = true; };  // a stop arriving meanwhile does not hide the refusal
    EXPECT_FALSE(w.run(makePlaybackJob({keyDown("Z", 7)}, 1.0, false, 1, false)));
    EXPECT_EQ(w.end, PlaybackEnd::Refused);
    EXPECT_EQ(w.log.back(), "ended 2 error 5");
}

TEST(PlaybackLoop, EndsAreCompletedOrStoppedWithoutAnError)
{
    FakeWorld completed;
    completed.run(makePlaybackJob(moves({0.0}), 1.0, false, 1, false));
    EXPECT_EQ(completed.end, PlaybackEnd::Completed);
    EXPECT_EQ(completed.log.back(), "ended 0");
    FakeWorld stopped;
    stopped.stop = true;
    stopped.run(makePlaybackJob(moves({0.0}), 1.0, false, 1, false));
    EXPECT_EQ(stopped.end, PlaybackEnd::Stopped);
    EXPECT_EQ(stopped.log.back(), "ended 1");
}

namespace {

MacroEvent textStep(const std::string& text, double delay)
{
    MacroEvent e;
    e.kind = EventKind::Text;
    e.keyOrText = text;
    e.delay = delay;
    return e;
}

}  // namespace

TEST(PlaybackLoop, EventsAfterATextStepKeepTheirGapsFromItsEnd)
{
    // move 0.2, text 0.4 (typing takes 3 s), move 0.6, move 0.2; speed 2 halves the gaps only.
    std::vector<MacroEvent> events = moves({0.2, 0.0, 0.6, 0.2});
    events[1] = textStep("abc", 0.4);
    const struct {
        double typeSeconds;
        std::vector<double> at;  // from the start
    } cases[] = {
        {3.0, {0.1, 0.3, 3.6, 3.7}},
        {0.0, {0.1, 0.3, 0.6, 0.7}},
    };
    for (const auto& c : cases) {
        FakeWorld w;
        w.typeSeconds = c.typeSeconds;
        w.run(makePlaybackJob(events, 2.0, false, 1, true));
        EXPECT_EQ(w.log, (Log{"raised", "releaseModifiers", "pass 1/1", "inject 0", "type abc", "inject 2", "inject 3",
                              "releaseHeld", "normal", "ended 0"}));
        ASSERT_EQ(w.injectedAt.size(), 4u);
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_GE(w.injectedAt[i] - 100.0, c.at[i] - 1e-9) << i;
            EXPECT_LE(w.injectedAt[i] - 100.0, c.at[i] + 0.0001) << i;
        }
    }
}

TEST(PlaybackLoop, TextStepsAsTheyEnd)
{
    const struct {
        const char* name;
        bool stopWhileTyping;
        bool refuse;
        PlaybackEnd end;
        Log log;
    } cases[] = {
        {"typed",
         false,
         false,
         PlaybackEnd::Completed,
         {"raised", "releaseModifiers", "pass 1/1", "type ab", "inject 1", "releaseHeld", "normal", "ended 0"}},
        {"stopped",
         true,
         false,
         PlaybackEnd::Stopped,
         {"raised", "releaseModifiers", "pass 1/1", "type ab", "releaseHeld", "normal", "ended 1"}},
        {"refused",
         false,
         true,
         PlaybackEnd::Refused,
         {"raised", "releaseModifiers", "pass 1/1", "type ab", "releaseHeld", "normal", "ended 2 error 5"}},
    };
    for (const auto& c : cases) {
        FakeWorld w;
        w.input.refuses = [&](const InputRecord& r) {
            if (c.stopWhileTyping) {
                w.stop = true;
            }
            return c.refuse && r.scanCode == 'b';
        };
        std::vector<MacroEvent> events = moves({0.0, 0.1});
        events[0] = textStep("ab", 0.0);
        w.run(makePlaybackJob(events, 1.0, false, 1, false));
        EXPECT_EQ(w.end, c.end) << c.name;
        EXPECT_EQ(w.log, c.log) << c.name;
        // Only the first character went out when the stop came while it was sent.
        EXPECT_EQ(w.input.batchSizes.size(), c.stopWhileTyping ? 1u : 2u) << c.name;
    }
}
