// A playback that follows windows, on a simulated clock and desktop: where its events land, when
// it waits, how a wait moves the later events, and how it ends when a window never comes.
#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "player/playback_loop.h"
#include "player/window_follow.h"

namespace {

struct Desktop {
    double time = 50.0;
    // Window table entries 0 and 1: where their client areas are, from when on they exist, and
    // from when on entry 1's program is in front.
    WindowPlace places[2] = {{1000, 500, 96}, {0, 0, 144}};
    double appearsAt[2] = {0.0, 0.0};
    double frontAt = 0.0;
    double coveredUntil = 0.0;  // the click points are covered until then
    double stopAt = 1e9;
    WindowProblem problem = WindowProblem::None;  // what a wait that ran out met
    std::atomic<bool> playing{true};
    std::atomic<bool> stop{false};
    struct Injected {
        std::string what;
        int32_t x, y;
        double at;
    };
    std::vector<Injected> injected;
    std::vector<int32_t> statuses;
    PlaybackEnd end = PlaybackEnd::Completed;
    uint32_t detail = 0;

    static Desktop& self(void* c) { return *static_cast<Desktop*>(c); }

    PlaybackSeams seams()
    {
        PlaybackSeams s;
        s.context = this;
        s.clock.context = this;
        s.clock.now = [](void* c) { return self(c).time; };
        s.clock.sleepMilliseconds = [](void* c, uint32_t ms) {
            Desktop& d = self(c);
            d.time += ms == 0 ? 0.0001 : ms / 1000.0;
            if (d.time >= d.stopAt) {
                d.stop.store(true);
            }
        };
        s.clock.pause = [](void* c) { self(c).time += 0.00001; };
        s.clock.setPriority = [](void*, PlaybackPriority) {};
        s.doubleClickSeconds = [](void*) { return 0.5; };
        s.inject = [](void* c, const MacroEvent& e) {
            self(c).injected.push_back({kindToken(e.kind), e.x, e.y, self(c).time});
            return SendResult{};
        };
        s.releaseHeld = [](void*) {};
        s.releaseModifiers = [](void*) { return SendResult{}; };
        s.passStarted = [](void*, int, int) {};
        s.ended = [](void* c, PlaybackEnd how, uint32_t what) {
            self(c).end = how;
            self(c).detail = what;
        };
        s.windows.context = this;
        s.windows.look = [](void* c, int32_t index, const WindowOrigin*, WindowPlace& place) {
            Desktop& d = self(c);
            if (index < 0 || index > 1 || d.time < d.appearsAt[index]) {
                return WindowProblem::Missing;
            }
            place = d.places[index];
            return WindowProblem::None;
        };
        s.windows.checkFront = [](void* c, int32_t index) {
            return index == 1 && self(c).time >= self(c).frontAt ? WindowProblem::None : WindowProblem::NotInFront;
        };
        s.windows.checkPoint = [](void* c, int32_t, int32_t, int32_t) {
            return self(c).time >= self(c).coveredUntil ? WindowProblem::None : WindowProblem::Covered;
        };
        s.windows.waiting = [](void* c, int32_t index) { self(c).statuses.push_back(index); };
        s.windows.gaveUp = [](void* c, int32_t, WindowProblem met) { self(c).problem = met; };
        return s;
    }

    PlaybackEnd run(const std::vector<MacroEvent>& events, bool follow, double waitSeconds = 10.0)
    {
        PlaybackJob job = makePlaybackJob(events, 1.0, false, 1, false);
        job.followWindows = follow;
        job.windowWaitSeconds = waitSeconds;
        return runPlayback(job, seams(), playing, stop);
    }
};

MacroEvent at(EventKind kind, int32_t x, int32_t y, double delay = 0.1)
{
    MacroEvent e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.delay = delay;
    e.pressed = kind == EventKind::Click;
    if (kind == EventKind::KeyDown || kind == EventKind::KeyUp) {
        e.keyOrText = "A";
    }
    return e;
}

MacroEvent released(int32_t x, int32_t y)
{
    MacroEvent e = at(EventKind::Click, x, y);
    e.pressed = false;
    return e;
}

MacroEvent inWindow(MacroEvent e, int32_t index, int32_t wx = 0, int32_t wy = 0, int32_t dpi = 96)
{
    e.window = EventWindow{index, wx, wy, dpi};
    return e;
}

// Recorded with window 0's client area at (100, 100): approach, press at client (10, 20), drag,
// release, a move after, a key press into window 1, its release.
std::vector<MacroEvent> dragScript()
{
    return {
        at(EventKind::Move, 90, 110),
        at(EventKind::Move, 105, 115),
        inWindow(at(EventKind::Click, 110, 120), 0, 10, 20),
        at(EventKind::Move, 150, 160),
        released(150, 160),
        at(EventKind::Move, 300, 300),
        inWindow(at(EventKind::KeyDown, 0, 0), 1),
        at(EventKind::KeyUp, 0, 0),
    };
}

TEST(FollowPlayback, ApproachPressDragAndReleaseMoveWithTheWindowWhileLaterMovesStay)
{
    struct Case {
        const char* name;
        bool follow;
        int32_t dx, dy;  // the shift the approach, press and drag get
    };
    const Case cases[] = {
        {"option off: recorded places", false, 0, 0},
        {"option on: window moved by (900, 400)", true, 900, 400},
    };
    for (const Case& c : cases) {
        Desktop desktop;
        EXPECT_EQ(desktop.run(dragScript(), c.follow), PlaybackEnd::Completed) << c.name;
        const std::vector<MacroEvent> script = dragScript();
        ASSERT_EQ(desktop.injected.size(), script.size()) << c.name;
        for (size_t i = 0; i < script.size(); ++i) {
            const bool moves = i <= 4;  // approach, press, drag, release
            EXPECT_EQ(desktop.injected[i].x, script[i].x + (moves ? c.dx : 0)) << c.name << " event " << i;
            EXPECT_EQ(desktop.injected[i].y, script[i].y + (moves ? c.dy : 0)) << c.name << " event " << i;
        }
        EXPECT_TRUE(desktop.statuses.empty()) << c.name;
    }
}

TEST(FollowPlayback, PressOnAMonitorOfAnotherDpiLandsOnTheScaledPoint)
{
    Desktop desktop;
    desktop.places[1] = WindowPlace{-1920, 0, 192};
    desktop.run({inWindow(at(EventKind::Scroll, 5, 5), 1, 30, -8)}, true);
    ASSERT_EQ(desktop.injected.size(), 1u);
    EXPECT_EQ(desktop.injected[0].x, -1920 + 60);
    EXPECT_EQ(desktop.injected[0].y, -16);
}

TEST(FollowPlayback, WaitForALateWindowHappensBeforeTheApproachAndShiftsEveryLaterEvent)
{
    Desktop desktop;
    const double start = desktop.time;
    desktop.appearsAt[0] = start + 2.0;
    desktop.frontAt = start + 3.0;  // the key (due at 2.6 s) waits for its window to come in front
    ASSERT_EQ(desktop.run(dragScript(), true), PlaybackEnd::Completed);
    ASSERT_EQ(desktop.injected.size(), 8u);
    EXPECT_EQ(desktop.statuses, (std::vector<int32_t>{0, kNoWindow, 1, kNoWindow}));
    // The first move waited about two seconds; the ones after keep their 0.1 s gaps.
    EXPECT_GE(desktop.injected[0].at - start, 2.0);
    EXPECT_LT(desktop.injected[0].at - start, 2.1);
    for (size_t i = 1; i <= 5; ++i) {
        EXPECT_NEAR(desktop.injected[i].at - desktop.injected[i - 1].at, 0.1, 0.002) << i;
    }
    EXPECT_GE(desktop.injected[6].at - start, 3.0);
    EXPECT_LT(desktop.injected[6].at - start, 3.06);
    EXPECT_NEAR(desktop.injected[7].at - desktop.injected[6].at, 0.1, 0.002);
}

TEST(FollowPlayback, APressWaitsUntilItsPointReachesTheWindowAndLaterEventsKeepTheirGaps)
{
    Desktop desktop;
    const double start = desktop.time;
    desktop.coveredUntil = start + 1.5;  // the press is due at 0.3 s
    ASSERT_EQ(desktop.run(dragScript(), true), PlaybackEnd::Completed);
    ASSERT_EQ(desktop.injected.size(), 8u);
    EXPECT_EQ(desktop.statuses, (std::vector<int32_t>{0, kNoWindow}));
    EXPECT_NEAR(desktop.injected[1].at - start, 0.2, 0.002) << "the way to the press does not wait";
    EXPECT_GE(desktop.injected[2].at - start, 1.5);
    EXPECT_LT(desktop.injected[2].at - start, 1.56);
    EXPECT_EQ(desktop.injected[2].x, 110 + 900) << "the press lands at its computed point";
    for (size_t i = 3; i < 8; ++i) {
        EXPECT_NEAR(desktop.injected[i].at - desktop.injected[i - 1].at, 0.1, 0.002) << i;
    }
}

TEST(FollowPlayback, EndsAfterTheLimitOrAtAStopOrPlaysOlderEventsWhereTheyWere)
{
    struct Case {
        const char* name;
        std::vector<MacroEvent> events;
        double stopAfter;
        PlaybackEnd end;
        size_t injected;
        uint32_t detail;
        WindowProblem problem;
        bool windowBehind = false;  // the window is there, but never in front
        bool covered = false;       // the click points are covered for good
    };
    MacroEvent text = inWindow(at(EventKind::Text, 0, 0), 1);
    text.keyOrText = "hi";
    const Case cases[] = {
        {"text step: its window is there but never in front",
         {at(EventKind::Move, 1, 1), text},
         1e9,
         PlaybackEnd::WindowMissing,
         1,
         1,
         WindowProblem::NotInFront,
         true},
        {"no window: stop after the wait",
         {at(EventKind::Move, 1, 1), inWindow(at(EventKind::KeyDown, 0, 0), 1, 0, 0)},
         1e9,
         PlaybackEnd::WindowMissing,
         1,
         1,
         WindowProblem::NotInFront},
        {"a press whose point stays covered",
         {at(EventKind::Move, 1, 1), inWindow(at(EventKind::Click, 1, 1), 1, 0, 0)},
         1e9,
         PlaybackEnd::WindowMissing,
         1,
         1,
         WindowProblem::Covered,
         true,
         true},
        {"stop key during the wait",
         {inWindow(at(EventKind::Click, 1, 1), 1, 0, 0)},
         1.0,
         PlaybackEnd::Stopped,
         0,
         0,
         WindowProblem::None},
        {"events without window information",
         {at(EventKind::Click, 7, 7), released(7, 7)},
         1e9,
         PlaybackEnd::Completed,
         2,
         0,
         WindowProblem::None},
    };
    for (const Case& c : cases) {
        Desktop desktop;
        const double start = desktop.time;
        desktop.appearsAt[1] = c.windowBehind ? 0.0 : 1e9;
        desktop.frontAt = 1e9;
        desktop.coveredUntil = c.covered ? 1e9 : 0.0;
        desktop.stopAt = start + c.stopAfter;
        EXPECT_EQ(desktop.run(c.events, true, 3.0), c.end) << c.name;
        EXPECT_EQ(desktop.end, c.end) << c.name;
        EXPECT_EQ(desktop.detail, c.detail) << c.name;
        EXPECT_EQ(desktop.problem, c.problem) << c.name;
        EXPECT_EQ(desktop.injected.size(), c.injected) << c.name;
        const double ran = desktop.time - start;
        if (c.end == PlaybackEnd::WindowMissing) {
            EXPECT_GE(ran, 3.0) << c.name;
            EXPECT_LT(ran, 3.3) << c.name;
        } else if (c.end == PlaybackEnd::Stopped) {
            EXPECT_LT(ran, c.stopAfter + 0.01) << c.name;
        }
    }
}

}  // namespace
