// Pausing a playback and the wait between passes, on a fake clock with a fake injector: what a
// pause lets go of and presses again, which part of a gap counts, and the countdown.
#include "player/pass_gap.h"
#include "player/pause_gate.h"
#include "player/playback_loop.h"
#include "player/window_follow.h"

#include <atomic>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "fake_input.h"

namespace {

// Time moves only when someone sleeps; actions fire once the time reaches their moment.
struct PauseWorld {
    double time = 0.0;
    std::atomic<bool> playing{true};
    std::atomic<bool> stop{false};
    FakeInput input;
    HeldInput held;
    PauseGate gate;
    LetGoInput letGo;
    std::vector<std::pair<double, std::function<void()>>> actions;  // at a time, once
    std::vector<std::pair<int32_t, double>> injected;               // x of each move, when
    std::vector<std::string> typed;                                 // "char@time"
    std::vector<std::string> gaps;                                  // "pass:seconds@time"
    std::vector<std::string> pauses;                                // "letGo@time", "pressAgain@time"
    PlaybackEnd end = PlaybackEnd::Completed;

    static PauseWorld& self(void* c) { return *static_cast<PauseWorld*>(c); }

    void advance(double seconds)
    {
        time += seconds;
        for (auto& action : actions) {
            if (action.second && time >= action.first - 1e-12) {
                std::function<void()> fire = std::move(action.second);
                action.second = nullptr;
                fire();
            }
        }
    }
    void at(double when, std::function<void()> what) { actions.emplace_back(when, std::move(what)); }
    void pauseBetween(double from, double to)
    {
        at(from, [this] { gate.request(true); });
        at(to, [this] { gate.request(false); });
    }

    PlaybackClockSeam clock()
    {
        PlaybackClockSeam s;
        s.context = this;
        s.now = [](void* c) { return self(c).time; };
        s.sleepMilliseconds = [](void* c, uint32_t ms) { self(c).advance(ms == 0 ? 0.0001 : ms / 1000.0); };
        s.pause = [](void* c) { self(c).advance(0.00001); };
        s.setPriority = [](void*, PlaybackPriority) {};
        return s;
    }

    PlaybackSeams seams()
    {
        PlaybackSeams s;
        s.clock = clock();
        s.context = this;
        s.doubleClickSeconds = [](void*) { return 0.5; };
        s.inject = [](void* c, const MacroEvent& e) {
            self(c).injected.emplace_back(e.x, self(c).time);
            return injectEvent(self(c).input.seam(), self(c).held, e);
        };
        s.typeText = [](void* c, const MacroEvent& e, const std::atomic<bool>& stopRequested) {
            PauseWorld& w = self(c);
            // Each character takes 10 ms and is noted with its time.
            InputSeam seam;
            seam.context = &w;
            seam.setCursorPos = [](void*, int32_t, int32_t) {};
            seam.sendInput = [](void*, const InputRecord&, uint32_t&) { return true; };
            seam.mapVirtualKey = [](void*, uint32_t key) { return key; };
            seam.isKeyDown = [](void*, uint32_t) { return false; };
            seam.sendInputs = [](void* c2, const InputRecord* records, uint32_t, uint32_t&) {
                PauseWorld& w2 = self(c2);
                w2.typed.push_back(std::string(1, static_cast<char>(records[0].scanCode)) + "@" +
                                   std::to_string(static_cast<int>(std::lround(w2.time * 1000))));
                w2.advance(0.01);
                return true;
            };
            return typeText(seam, w.held, e.keyOrText, stopRequested, &w.gate);
        };
        s.releaseHeld = [](void* c) { releaseHeld(self(c).input.seam(), self(c).held); };
        s.releaseModifiers = [](void*) { return SendResult{}; };
        s.passStarted = [](void*, int, int) {};
        s.ended = [](void*, PlaybackEnd, uint32_t) {};
        s.pause = &gate;
        s.passGap = [](void* c, int pass, int seconds) {
            self(c).gaps.push_back(std::to_string(pass) + ":" + std::to_string(seconds) + "@" +
                                   std::to_string(static_cast<int>(std::lround(self(c).time * 1000))));
        };
        return s;
    }

    PauseActions pauseActions()
    {
        PauseActions a;
        a.context = this;
        a.letGo = [](void* c) {
            PauseWorld& w = self(c);
            w.pauses.push_back("letGo@" + std::to_string(static_cast<int>(std::lround(w.time * 1000))));
            w.letGo = letGoOfHeld(w.input.seam(), w.held, 7, 8);
        };
        a.pressAgain = [](void* c) {
            PauseWorld& w = self(c);
            w.pauses.push_back("pressAgain@" + std::to_string(static_cast<int>(std::lround(w.time * 1000))));
            return pressAgain(w.input.seam(), w.held, w.letGo);
        };
        return a;
    }

    PlaybackEnd run(const PlaybackJob& job)
    {
        const PlaybackSeams s = seams();
        gate.arm(s.clock, stop, pauseActions());
        return end = runPlayback(job, s, playing, stop);
    }
};

MacroEvent event(EventKind kind, double delay, int32_t x = 0, const std::string& key = std::string(),
                 bool pressed = true)
{
    MacroEvent e;
    e.kind = kind;
    e.delay = delay;
    e.x = x;
    e.keyOrText = key;
    e.pressed = pressed;
    return e;
}

std::vector<MacroEvent> moves(const std::vector<double>& delays)
{
    std::vector<MacroEvent> events;
    for (size_t i = 0; i < delays.size(); ++i) {
        events.push_back(event(EventKind::Move, delays[i], static_cast<int32_t>(i)));
    }
    return events;
}

}  // namespace

TEST(PausePlayback, ThePartOfAGapWaitedCountsAndLaterStepsKeepTheirGaps)
{
    // Moves due at 1.0, 1.5 and 3.0 s; pauses (from, to) and when each move must come.
    const struct {
        const char* name;
        std::vector<std::pair<double, double>> pauses;
        std::vector<double> expected;
    } cases[] = {
        {"no pause", {}, {1.0, 1.5, 3.0}},
        {"in the first gap", {{0.4, 2.4}}, {3.0, 3.5, 5.0}},
        {"in the second gap", {{1.2, 1.7}}, {1.0, 2.0, 3.5}},
        {"three pauses", {{0.2, 0.5}, {1.1, 1.3}, {2.5, 4.5}}, {1.5, 2.0, 5.5}},
        {"asked and lifted between two looks", {{1.2, 1.2}}, {1.0, 1.5, 3.0}},
    };
    for (const auto& c : cases) {
        PauseWorld w;
        for (const auto& pause : c.pauses) {
            w.pauseBetween(pause.first, pause.second);
        }
        EXPECT_EQ(w.run(makePlaybackJob(moves({1.0, 0.5, 1.5}), 1.0, false, 1, false)), PlaybackEnd::Completed)
            << c.name;
        ASSERT_EQ(w.injected.size(), c.expected.size()) << c.name;
        for (size_t i = 0; i < c.expected.size(); ++i) {
            // Within the 5 ms a pause takes to be noticed and the fine wait's last step.
            EXPECT_NEAR(w.injected[i].second, c.expected[i], 0.006) << c.name << " move " << i;
        }
    }
}

TEST(PausePlayback, APauseLetsGoOfWhatIsHeldAndPressesItAgainWhereThePointerWas)
{
    PauseWorld w;
    w.input.down = {0x01, 0xA2};  // the system has the left button and Ctrl down
    std::vector<MacroEvent> events = {event(EventKind::Click, 0.1, 50, "", true),
                                      event(EventKind::KeyDown, 0.1, 0, "Ctrl"), event(EventKind::Move, 1.0, 60),
                                      event(EventKind::KeyUp, 0.1, 0, "Ctrl"),
                                      event(EventKind::Click, 0.1, 60, "", false)};
    w.pauseBetween(0.5, 0.8);
    size_t callsAtPause = 0;
    w.at(0.6, [&] {
        callsAtPause = w.input.calls.size();
        std::lock_guard<std::mutex> guard(w.held.lock);
        EXPECT_TRUE(w.held.heldButtons.empty());
        EXPECT_TRUE(w.held.heldKeys.empty());
    });
    EXPECT_EQ(w.run(makePlaybackJob(events, 1.0, false, 1, false)), PlaybackEnd::Completed);
    EXPECT_EQ(w.pauses, (std::vector<std::string>{"letGo@500", "pressAgain@800"}));
    const std::vector<std::string> calls = describeAll(w.input.calls);
    const std::vector<std::string> expected = {
        describe(cursorCall(50, 0)),
        describe(recordCall(mouseRecord(kMouseFlagLeftDown))),
        describe(recordCall(keyboardRecord(0xA2, 0))),
        // The pause: the button (where the pointer is), then the key, let go of.
        describe(cursorCall(7, 8)),
        describe(recordCall(mouseRecord(kMouseFlagLeftUp))),
        describe(recordCall(keyboardRecord(0xA2, kKeyFlagUp))),
        // The resume: the pointer back, then both pressed again in their order.
        describe(cursorCall(7, 8)),
        describe(cursorCall(7, 8)),
        describe(recordCall(mouseRecord(kMouseFlagLeftDown))),
        describe(recordCall(keyboardRecord(0xA2, 0))),
        // The rest of the script.
        describe(cursorCall(60, 0)),
        describe(recordCall(keyboardRecord(0xA2, kKeyFlagUp))),
        describe(cursorCall(60, 0)),  // a release goes up at its own point
        describe(recordCall(mouseRecord(kMouseFlagLeftUp))),
        // The end: what the (fake) system still reports down.
        describe(recordCall(mouseRecord(kMouseFlagLeftUp))),
        describe(recordCall(keyboardRecord(0xA2, kKeyFlagUp))),
    };
    EXPECT_EQ(callsAtPause, 6u) << "nothing is sent while paused";
    EXPECT_EQ(calls, expected);
}

TEST(PausePlayback, WhatTheSystemReportsUpIsNotReleasedButIsPressedAgain)
{
    FakeInput input;
    HeldInput held;
    held.heldButtons = {MouseButton::Right};
    held.heldKeys = {"Shift", "VK:160", "A"};
    input.down = {0xA0};  // the person let go of the right button and A meanwhile
    const LetGoInput letGo = letGoOfHeld(input.seam(), held, 3, 4);
    EXPECT_EQ(describeAll(input.calls),
              (std::vector<std::string>{describe(recordCall(keyboardRecord(0xA0, kKeyFlagUp)))}))
        << "two names of one key are released once";
    EXPECT_TRUE(held.heldButtons.empty());
    EXPECT_TRUE(held.heldKeys.empty());
    input.calls.clear();
    EXPECT_FALSE(pressAgain(input.seam(), held, letGo).refused);
    EXPECT_EQ(input.calls.size(), 6u);  // cursor, cursor and right button, both names of Shift, A
    EXPECT_EQ(held.heldButtons, (std::vector<MouseButton>{MouseButton::Right}));
    EXPECT_EQ(held.heldKeys, (std::vector<std::string>{"Shift", "VK:160", "A"}));

    // A refusal of pressing again ends it there and is reported.
    input.calls.clear();
    held.heldButtons.clear();
    held.heldKeys.clear();
    input.refuses = [](const InputRecord& r) { return r.type == kInputTypeKeyboard && r.virtualKey == 0x41; };
    EXPECT_TRUE(pressAgain(input.seam(), held, letGo).refused);
    EXPECT_EQ(held.heldKeys, (std::vector<std::string>{"Shift", "VK:160"}));
}

TEST(PausePlayback, ATextStepGoesOnWithItsNextCharacterAndTheStepsAfterItKeepTheirGaps)
{
    PauseWorld w;
    std::vector<MacroEvent> events = {event(EventKind::Text, 0.1, 0, "abcd"), event(EventKind::Move, 0.2, 9)};
    w.pauseBetween(0.115, 1.0);
    EXPECT_EQ(w.run(makePlaybackJob(events, 1.0, false, 1, false)), PlaybackEnd::Completed);
    // a and b typed, the pause, then c and d; the move comes 0.2 s after the text's end.
    EXPECT_EQ(w.typed, (std::vector<std::string>{"a@100", "b@110", "c@1000", "d@1010"}));
    ASSERT_EQ(w.injected.size(), 1u);
    EXPECT_NEAR(w.injected[0].second, 1.22, 0.002);
}

TEST(PausePlayback, AStopWhilePausedEndsItPressingNothingAgainAndLeavingNothingHeld)
{
    PauseWorld w;
    w.input.down = {0x01};
    w.pauseBetween(0.5, 100.0);
    w.at(3.0, [&] { w.stop = true; });
    std::vector<MacroEvent> events = {event(EventKind::Click, 0.1, 5, "", true), event(EventKind::Move, 1.0, 6)};
    EXPECT_EQ(w.run(makePlaybackJob(events, 1.0, false, 1, false)), PlaybackEnd::Stopped);
    EXPECT_NEAR(w.time, 3.0, 0.006) << "the stop is noticed within a few milliseconds";
    EXPECT_EQ(w.pauses, (std::vector<std::string>{"letGo@500"}));
    EXPECT_TRUE(w.held.heldButtons.empty());
    EXPECT_EQ(w.injected.size(), 1u);
}

TEST(PassGap, CountsDownBetweenPassesOnlyAndAPausePausesIt)
{
    const struct {
        const char* name;
        int loops;
        std::vector<std::pair<double, double>> pauses;
        double stopAt;
        PlaybackEnd end;
        std::vector<double> passStarts;  // when each pass's move came
        std::vector<std::string> gaps;
    } cases[] = {
        {"two passes", 2, {}, 0, PlaybackEnd::Completed, {0.1, 2.2}, {"2:2@100", "2:1@1100"}},
        {"three passes",
         3,
         {},
         0,
         PlaybackEnd::Completed,
         {0.1, 2.2, 4.3},
         {"2:2@100", "2:1@1100", "3:2@2200", "3:1@3200"}},
        {"a pause in the gap",
         2,
         {{0.5, 3.5}},
         0,
         PlaybackEnd::Completed,
         {0.1, 5.2},
         {"2:2@100", "2:2@3500", "2:1@4100"}},
        {"a stop in the gap", 2, {}, 1.5, PlaybackEnd::Stopped, {0.1}, {"2:2@100", "2:1@1100"}},
    };
    for (const auto& c : cases) {
        PauseWorld w;
        for (const auto& pause : c.pauses) {
            w.pauseBetween(pause.first, pause.second);
        }
        if (c.stopAt > 0) {
            w.at(c.stopAt, [&] { w.stop = true; });
        }
        PlaybackJob job = makePlaybackJob(moves({0.1}), 1.0, false, c.loops, false);
        job.passGapSeconds = 2.0;
        EXPECT_EQ(w.run(job), c.end) << c.name;
        ASSERT_EQ(w.injected.size(), c.passStarts.size()) << c.name;
        for (size_t i = 0; i < c.passStarts.size(); ++i) {
            EXPECT_NEAR(w.injected[i].second, c.passStarts[i], 0.006) << c.name << " pass " << i + 1;
        }
        EXPECT_EQ(w.gaps, c.gaps) << c.name;
        if (c.stopAt > 0) {
            EXPECT_NEAR(w.time, c.stopAt, 0.006) << c.name;
        }
    }
}

TEST(PassGap, TheCountdownShowsWholeSecondsRoundedUp)
{
    const struct {
        double remaining;
        int shown;
    } cases[] = {{0.0, 0},          {-1.0, 0},  {std::nan(""), 0}, {0.0001, 1},   {1.0, 1},
                 {1.0000000001, 1}, {1.001, 2}, {2.5, 3},          {3600.0, 3600}};
    for (const auto& c : cases) {
        EXPECT_EQ(countdownSeconds(c.remaining), c.shown) << c.remaining;
    }
}

TEST(PausePlayback, AWindowWaitGoesOnWithTheTimeItHadLeft)
{
    PauseWorld w;
    WindowSeam windows;
    windows.context = &w;
    windows.waiting = [](void*, int32_t) {};
    const WindowAttempt missing{nullptr, [](void*) { return WindowProblem::Missing; }};
    w.gate.arm(w.clock(), w.stop, w.pauseActions());
    w.pauseBetween(0.5, 10.5);
    WindowProblem problem = WindowProblem::None;
    EXPECT_EQ(waitForWindow(w.clock(), windows, 0, missing, 2.0, w.stop, problem, &w.gate), WindowWaitEnd::TimedOut);
    EXPECT_EQ(problem, WindowProblem::Missing);
    // Two seconds of looking plus the ten paused, to within one look.
    EXPECT_NEAR(w.time, 12.0, 0.03);
}
