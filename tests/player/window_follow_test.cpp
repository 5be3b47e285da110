#include "player/window_follow.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

MacroEvent move(int32_t x, int32_t y)
{
    MacroEvent e;
    e.kind = EventKind::Move;
    e.x = x;
    e.y = y;
    return e;
}

MacroEvent button(bool pressed, int32_t window, MouseButton which = MouseButton::Left)
{
    MacroEvent e;
    e.kind = EventKind::Click;
    e.pressed = pressed;
    e.button = which;
    e.window.index = pressed ? window : kNoWindow;
    e.window.dpi = 96;
    return e;
}

MacroEvent wheel(int32_t window)
{
    MacroEvent e = button(true, window);
    e.kind = EventKind::Scroll;
    e.pressed = false;
    return e;
}

MacroEvent key(bool pressed, int32_t window)
{
    MacroEvent e;
    e.kind = pressed ? EventKind::KeyDown : EventKind::KeyUp;
    e.keyOrText = "A";
    e.window.index = pressed ? window : kNoWindow;
    return e;
}

MacroEvent text(int32_t window)
{
    MacroEvent e;
    e.kind = EventKind::Text;
    e.keyOrText = "hi";
    e.window.index = window;
    return e;
}

TEST(WindowFollow, PlanGivesApproachMovesDragsAndTheirReleasesTheirAnchors)
{
    struct Case {
        const char* name;
        std::vector<MacroEvent> events;
        std::vector<int32_t> anchors;
        std::vector<int32_t> waits;
    };
    const Case cases[] = {
        {"approach, press, drag, release, moves after",
         {move(1, 1), move(2, 2), button(true, 0), move(3, 3), button(false, 0), move(4, 4)},
         {2, 2, 2, 2, 2, -1},
         {2, -1, -1, -1, -1, -1}},
        {"press without moves waits at itself", {button(true, 0), button(false, 0)}, {0, 0}, {0, -1}},
        {"moves end at a release: they stay",
         {move(1, 1), button(false, 0), move(2, 2), wheel(1)},
         {-1, -1, 3, 3},
         {-1, -1, 3, -1}},
        {"press without window: approach and drag stay",
         {move(1, 1), button(true, kNoWindow), move(2, 2), button(false, 0)},
         {-1, -1, -1, -1},
         {-1, -1, -1, -1}},
        {"key press inside an approach waits for itself",
         {move(1, 1), key(true, 4), key(false, 4), move(2, 2), button(true, 1)},
         {4, -1, -1, 4, 4},
         {4, 1, -1, -1, -1}},
        {"second button during a drag takes over the drag",
         {button(true, 0), move(1, 1), button(true, 1, MouseButton::Right), move(2, 2),
          button(false, 0, MouseButton::Right), move(3, 3), button(false, 0), move(4, 4)},
         {0, 0, 2, 2, 2, 2, 2, -1},
         {0, -1, 2, -1, -1, -1, -1, -1}},
        {"text step waits for its window like a key press",
         {button(true, 0), button(false, 0), text(3), text(kNoWindow)},
         {0, 0, -1, -1},
         {0, -1, 2, -1}},
        {"key press without window and a stray move at the end",
         {key(true, kNoWindow), wheel(0), move(5, 5)},
         {-1, 1, -1},
         {-1, 1, -1}},
    };
    for (const Case& c : cases) {
        const std::vector<FollowStep> steps = planFollow(c.events);
        ASSERT_EQ(steps.size(), c.events.size()) << c.name;
        for (size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(steps[i].anchor, c.anchors[i]) << c.name << " event " << i;
            EXPECT_EQ(steps[i].waitFor, c.waits[i]) << c.name << " event " << i;
        }
    }
}

TEST(WindowFollow, ShiftPutsThePressAtTheClientOriginPlusItsScaledOffset)
{
    struct Case {
        int32_t x, y;          // recorded screen point
        int32_t wx, wy, wdpi;  // recorded client point and DPI
        WindowPlace place;     // where the window is now
        int32_t dx, dy;
    };
    const Case cases[] = {
        {110, 220, 10, 20, 96, {100, 200, 96}, 0, 0},      // window where it was
        {110, 220, 10, 20, 96, {500, 50, 96}, 400, -150},  // moved
        {110, 220, 10, 20, 96, {100, 200, 144}, 5, 10},    // now on a 150 % monitor
        {110, 220, 15, 21, 144, {100, 200, 96}, 0, -6},    // recorded at 150 %, now at 100 %: 10, 14
        {0, 0, -3, -5, 96, {-1920, 0, 192}, -1926, -10},   // left monitor, title bar point
        {0, 0, 3, 5, 96, {0, 0, 9999}, 3, 5},              // unusable DPI now: no scaling
    };
    for (const Case& c : cases) {
        MacroEvent press = button(true, 0);
        press.x = c.x;
        press.y = c.y;
        press.window = EventWindow{0, c.wx, c.wy, c.wdpi};
        const PointShift shift = shiftFor(press, c.place);
        EXPECT_EQ(shift.dx, c.dx) << c.wx << "," << c.wy << " at " << c.place.dpi;
        EXPECT_EQ(shift.dy, c.dy) << c.wx << "," << c.wy << " at " << c.place.dpi;
    }
    EXPECT_EQ(scaleForMonitor(3, 120, 96), 4);    // 3.75
    EXPECT_EQ(scaleForMonitor(-3, 144, 96), -5);  // -4.5 rounds away from zero
    EXPECT_EQ(scaleForMonitor(7, 96, 0), 7);
}

// A desktop whose window appears (and comes to the front) at a chosen time and whose click
// point is covered until another, and a clock that moves only when slept.
struct FakeDesktop {
    double time = 10.0;
    double appearsAt = 1e9;   // when the window is there (and in front)
    double restoredAt = 1e9;  // a minimised match, restored from then on
    double coveredUntil = 0.0;
    int looks = 0;
    std::vector<double> lookTimes;
    std::vector<int32_t> statuses;
    std::vector<int32_t> checkedX;
    std::atomic<bool> stop{false};
    double stopAt = 1e9;

    static FakeDesktop& of(void* c) { return *static_cast<FakeDesktop*>(c); }
    void looked()
    {
        looks++;
        lookTimes.push_back(time);
    }

    PlaybackClockSeam clock()
    {
        PlaybackClockSeam s;
        s.context = this;
        s.now = [](void* c) { return of(c).time; };
        s.sleepMilliseconds = [](void* c, uint32_t ms) {
            FakeDesktop& d = of(c);
            d.time += ms == 0 ? 0.0001 : ms / 1000.0;
            if (d.time >= d.stopAt) {
                d.stop.store(true);
            }
        };
        return s;
    }

    WindowSeam windows()
    {
        WindowSeam s;
        s.context = this;
        s.look = [](void* c, int32_t, const WindowOrigin*, WindowPlace& place) {
            FakeDesktop& d = of(c);
            d.looked();
            if (d.time >= d.appearsAt) {
                place = WindowPlace{30, 40, 96};
                return WindowProblem::None;
            }
            return d.restoredAt < 1e9 ? WindowProblem::Minimised : WindowProblem::Missing;
        };
        s.checkFront = [](void* c, int32_t) {
            FakeDesktop& d = of(c);
            d.looked();
            return d.time >= d.appearsAt ? WindowProblem::None : WindowProblem::NotInFront;
        };
        s.checkPoint = [](void* c, int32_t, int32_t x, int32_t) {
            FakeDesktop& d = of(c);
            d.checkedX.push_back(x);
            return d.time >= d.coveredUntil ? WindowProblem::None : WindowProblem::Covered;
        };
        s.waiting = [](void* c, int32_t index) { of(c).statuses.push_back(index); };
        return s;
    }
};

TEST(WindowFollow, WaitLooksOftenTellsTheStatusAndEndsAsItShould)
{
    struct Case {
        const char* name;
        double appearsAfter;
        double coveredFor;
        double stopAfter;
        FollowCheck check;
        WindowWaitEnd end;
        WindowProblem problem;
        std::vector<int32_t> statuses;
    };
    const Case cases[] = {
        {"there at once: no status", 0.0, 0.0, 1e9, FollowCheck::Find, WindowWaitEnd::Found, WindowProblem::None, {}},
        {"appears after 2 s",
         2.0,
         0.0,
         1e9,
         FollowCheck::Find,
         WindowWaitEnd::Found,
         WindowProblem::None,
         {7, kNoWindow}},
        {"comes to the front after 1 s",
         1.0,
         0.0,
         1e9,
         FollowCheck::Front,
         WindowWaitEnd::Found,
         WindowProblem::None,
         {7, kNoWindow}},
        {"point uncovered after 1 s",
         0.0,
         1.0,
         1e9,
         FollowCheck::Point,
         WindowWaitEnd::Found,
         WindowProblem::None,
         {7, kNoWindow}},
        {"never: times out", 1e9, 0.0, 1e9, FollowCheck::Find, WindowWaitEnd::TimedOut, WindowProblem::Missing, {7}},
        {"covered for good: times out",
         0.0,
         1e9,
         1e9,
         FollowCheck::Point,
         WindowWaitEnd::TimedOut,
         WindowProblem::Covered,
         {7}},
        {"stop during the wait",
         1e9,
         0.0,
         1.0,
         FollowCheck::Front,
         WindowWaitEnd::Stopped,
         WindowProblem::NotInFront,
         {7}},
    };
    for (const Case& c : cases) {
        FakeDesktop desktop;
        desktop.appearsAt = desktop.time + c.appearsAfter;
        desktop.coveredUntil = desktop.time + c.coveredFor;
        desktop.stopAt = desktop.time + c.stopAfter;
        const double start = desktop.time;
        MacroEvent press = button(true, 7);
        press.x = 115;  // recorded at client (5, 0) of a window then at (110, 0); it is at (30, 40) now
        press.window.x = 5;
        const FollowWait wait =
            waitForEventWindow(desktop.clock(), desktop.windows(), press, c.check, 3.0, desktop.stop);
        EXPECT_EQ(wait.end, c.end) << c.name;
        EXPECT_EQ(wait.problem, c.problem) << c.name;
        EXPECT_EQ(desktop.statuses, c.statuses) << c.name;
        for (size_t i = 1; i < desktop.lookTimes.size(); ++i) {
            EXPECT_LE(desktop.lookTimes[i] - desktop.lookTimes[i - 1], 0.05 + 1e-9) << c.name;
        }
        for (int32_t x : desktop.checkedX) {
            EXPECT_EQ(x, 35) << c.name << ": the point is checked where the click goes";
        }
        const double waited = desktop.time - start;
        switch (c.end) {
        case WindowWaitEnd::Found:
            EXPECT_LT(waited, c.appearsAfter + c.coveredFor + 0.05) << c.name;
            if (c.check != FollowCheck::Front) {
                EXPECT_EQ(wait.shift.dx, 35 - 115) << c.name;
            }
            break;
        case WindowWaitEnd::TimedOut:
            EXPECT_GE(waited, 3.0) << c.name;
            EXPECT_LT(waited, 3.05) << c.name;
            break;
        case WindowWaitEnd::Stopped: EXPECT_LT(waited, c.stopAfter + 0.01) << c.name; break;
        }
    }
}

TEST(WindowFollow, MinimisedMatchIsWaitedForUntilRestored)
{
    FakeDesktop desktop;
    desktop.restoredAt = desktop.time;
    desktop.appearsAt = desktop.time + 0.3;
    EXPECT_EQ(
        waitForEventWindow(desktop.clock(), desktop.windows(), button(true, 0), FollowCheck::Find, 10.0, desktop.stop)
            .end,
        WindowWaitEnd::Found);
    EXPECT_GT(desktop.looks, 2);
}

}  // namespace
