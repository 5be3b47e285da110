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

TEST(WindowFollow, ProgramMatchesOnClassAndExecutableOrAnyExecutableWhenUnknown)
{
    struct Case {
        WindowIdentity wanted;
        const char* exe;
        const char* windowClass;
        bool matches;
    };
    const Case cases[] = {
        {{"notepad.exe", "Notepad", "a"}, "notepad.exe", "Notepad", true},
        {{"notepad.exe", "Notepad", "a"}, "notepad.exe", "Edit", false},
        {{"notepad.exe", "Notepad", "a"}, "wordpad.exe", "Notepad", false},
        {{"", "Notepad", "a"}, "anything.exe", "Notepad", true},
        {{"", "Notepad", "a"}, "", "Other", false},
        {{"notepad.exe", "Notepad", "a"}, "", "Notepad", false},  // an elevated process of another program
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sameProgram(c.wanted, c.exe, c.windowClass), c.matches) << c.exe << " " << c.windowClass;
    }
}

TEST(WindowFollow, ChoicePrefersTheRecordedTitleThenTheTopmostAndRestoresOnlyWhenAllAreMinimised)
{
    const WindowIdentity wanted{"x.exe", "X", "doc"};
    struct Case {
        const char* name;
        std::vector<WindowCandidate> candidates;  // topmost first
        int32_t use;
        int32_t restore;
    };
    const Case cases[] = {
        {"none", {}, -1, -1},
        {"one with another title", {{"other", false}}, 0, -1},
        {"same title below the topmost", {{"other", false}, {"doc", false}}, 1, -1},
        {"topmost of two strangers", {{"p", false}, {"q", false}}, 0, -1},
        {"minimised same title loses to a shown stranger", {{"doc", true}, {"p", false}}, 1, -1},
        {"all minimised: restore the same title", {{"p", true}, {"doc", true}}, -1, 1},
        {"all minimised: restore the topmost", {{"p", true}, {"q", true}}, -1, 0},
    };
    for (const Case& c : cases) {
        const WindowChoice choice = chooseWindow(wanted, c.candidates);
        EXPECT_EQ(choice.use, c.use) << c.name;
        EXPECT_EQ(choice.restore, c.restore) << c.name;
    }
}

TEST(WindowFollow, PlanGivesApproachMovesDragsAndReleasesTheirAnchors)
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
         {2, 2, 2, 2, -1, -1},
         {2, -1, -1, -1, -1, -1}},
        {"press without moves waits at itself", {button(true, 0), button(false, 0)}, {0, -1}, {0, -1}},
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
         {0, 0, 2, 2, -1, 2, -1, -1},
         {0, -1, 2, -1, -1, -1, -1, -1}},
        {"text step waits for its window like a key press",
         {button(true, 0), button(false, 0), text(3), text(kNoWindow)},
         {0, -1, -1, -1},
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

// A desktop whose window appears at a chosen time, and a clock that moves only when slept.
struct FakeDesktop {
    double time = 10.0;
    double appearsAt = 1e9;   // when the window is there (and in front)
    double restoredAt = 1e9;  // a minimised match, restored from then on
    int looks = 0;
    std::vector<double> lookTimes;
    std::vector<int32_t> statuses;
    std::atomic<bool> stop{false};
    double stopAt = 1e9;

    PlaybackClockSeam clock()
    {
        PlaybackClockSeam s;
        s.context = this;
        s.now = [](void* c) { return static_cast<FakeDesktop*>(c)->time; };
        s.sleepMilliseconds = [](void* c, uint32_t ms) {
            FakeDesktop& d = *static_cast<FakeDesktop*>(c);
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
        s.look = [](void* c, int32_t, WindowPlace& place) {
            FakeDesktop& d = *static_cast<FakeDesktop*>(c);
            d.looks++;
            d.lookTimes.push_back(d.time);
            if (d.time >= d.appearsAt) {
                place = WindowPlace{30, 40, 96};
                return WindowLook::Found;
            }
            return d.restoredAt < 1e9 ? WindowLook::Restoring : WindowLook::Missing;
        };
        s.isForeground = [](void* c, int32_t) {
            FakeDesktop& d = *static_cast<FakeDesktop*>(c);
            d.looks++;
            d.lookTimes.push_back(d.time);
            return d.time >= d.appearsAt;
        };
        s.waiting = [](void* c, int32_t index) { static_cast<FakeDesktop*>(c)->statuses.push_back(index); };
        return s;
    }
};

TEST(WindowFollow, WaitLooksOftenTellsTheStatusAndEndsAsItShould)
{
    struct Case {
        const char* name;
        double appearsAfter;
        double stopAfter;
        bool foreground;
        WindowWaitEnd end;
        std::vector<int32_t> statuses;
    };
    const Case cases[] = {
        {"there at once: no status", 0.0, 1e9, false, WindowWaitEnd::Found, {}},
        {"appears after 2 s", 2.0, 1e9, false, WindowWaitEnd::Found, {7, kNoWindow}},
        {"comes to the front after 1 s", 1.0, 1e9, true, WindowWaitEnd::Found, {7, kNoWindow}},
        {"never: times out", 1e9, 1e9, false, WindowWaitEnd::TimedOut, {7}},
        {"stop during the wait", 1e9, 1.0, false, WindowWaitEnd::Stopped, {7}},
    };
    for (const Case& c : cases) {
        FakeDesktop desktop;
        desktop.appearsAt = desktop.time + c.appearsAfter;
        desktop.stopAt = desktop.time + c.stopAfter;
        const double start = desktop.time;
        WindowPlace place;
        const WindowWaitEnd end =
            waitForWindow(desktop.clock(), desktop.windows(), 7, c.foreground, 3.0, desktop.stop, place);
        EXPECT_EQ(end, c.end) << c.name;
        EXPECT_EQ(desktop.statuses, c.statuses) << c.name;
        for (size_t i = 1; i < desktop.lookTimes.size(); ++i) {
            EXPECT_LE(desktop.lookTimes[i] - desktop.lookTimes[i - 1], 0.05 + 1e-9) << c.name;
        }
        const double waited = desktop.time - start;
        switch (c.end) {
        case WindowWaitEnd::Found:
            EXPECT_LT(waited, c.appearsAfter + 0.05) << c.name;
            if (!c.foreground) {
                EXPECT_EQ(place.originX, 30) << c.name;
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
    WindowPlace place;
    EXPECT_EQ(waitForWindow(desktop.clock(), desktop.windows(), 0, false, 10.0, desktop.stop, place),
              WindowWaitEnd::Found);
    EXPECT_GT(desktop.looks, 2);
}

}  // namespace
