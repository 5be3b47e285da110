// The choice of a followed window and the checks of a click's point and of the window in front,
// over a fake desktop: windows in z-order with frames, client areas, minimised state, titles,
// responding or hung, monitors, and a front that some windows cannot be lifted over.
#include "player/window_target.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct FakeWindow {
    std::string exe = "editor.exe";
    std::string windowClass = "Doc";
    std::string title;
    ScreenRect frame;
    bool minimised = false;
    bool hung = false;
    bool onTop = false;  // stays always on top: the front cannot be lifted over it
    uintptr_t id = 0;    // given by the desktop: its place in the first z-order, from 1
};

// Windows topmost first.
struct FakeDesktop {
    explicit FakeDesktop(std::vector<FakeWindow> all) : windows(std::move(all))
    {
        for (size_t i = 0; i < windows.size(); ++i) {
            windows[i].id = i + 1;
        }
    }
    std::vector<FakeWindow> windows;
    std::vector<ScreenRect> monitors{{0, 0, 1280, 1024}};
    uintptr_t front = 1;  // the foreground window
    std::vector<std::string> asked;

    static FakeDesktop& of(void* context) { return *static_cast<FakeDesktop*>(context); }
    FakeWindow* window(uintptr_t id)
    {
        for (FakeWindow& w : windows) {
            if (w.id == id) {
                return &w;
            }
        }
        return nullptr;
    }

    DesktopSeam seam()
    {
        DesktopSeam s;
        s.context = this;
        s.topWindows = [](void* c, const std::string& windowClass, std::vector<uintptr_t>& out) {
            for (const FakeWindow& w : of(c).windows) {
                if (w.windowClass == windowClass) {
                    out.push_back(w.id);
                }
            }
        };
        s.programOf = [](void* c, uintptr_t n, std::string& exe, std::string& windowClass) {
            const FakeWindow* w = of(c).window(n);
            if (w != nullptr) {
                exe = w->exe;
                windowClass = w->windowClass;
            }
            return w != nullptr;
        };
        s.stateOf = [](void* c, uintptr_t n, WindowCandidate& state) {
            const FakeWindow* w = of(c).window(n);
            if (w != nullptr) {
                // The client area starts 8 right of and 30 below the frame's corner.
                state = WindowCandidate{w->title, w->minimised, WindowPlace{w->frame.left + 8, w->frame.top + 30, 96},
                                        w->frame};
            }
            return w != nullptr;
        };
        s.foreground = [](void* c) { return of(c).front; };
        s.topLevelAt = [](void* c, int32_t x, int32_t y) -> uintptr_t {
            for (const FakeWindow& w : of(c).windows) {
                if (!w.minimised && rectHolds(w.frame, x, y)) {
                    return w.id;
                }
            }
            return 0;
        };
        s.onMonitor = [](void* c, int32_t x, int32_t y) {
            for (const ScreenRect& m : of(c).monitors) {
                if (rectHolds(m, x, y)) {
                    return true;
                }
            }
            return false;
        };
        s.responding = [](void* c, uintptr_t n) { return !of(c).window(n)->hung; };
        s.restore = [](void* c, uintptr_t n) {
            of(c).asked.push_back("restore " + std::to_string(n));
            of(c).window(n)->minimised = false;
        };
        s.bringToFront = [](void* c, uintptr_t n) {
            FakeDesktop& d = of(c);
            d.asked.push_back("front " + std::to_string(n));
            // Lifted above every window but those that stay on top.
            size_t to = 0;
            while (to < d.windows.size() && d.windows[to].onTop) {
                ++to;
            }
            const FakeWindow lifted = *d.window(n);
            d.windows.erase(d.windows.begin() + (d.window(n) - d.windows.data()));
            d.windows.insert(d.windows.begin() + static_cast<std::ptrdiff_t>(to), lifted);
            d.front = n;
        };
        return s;
    }
};

FakeWindow doc(const char* title, ScreenRect frame, bool minimised = false)
{
    FakeWindow w;
    w.title = title;
    w.frame = frame;
    w.minimised = minimised;
    return w;
}

FakeWindow other(const char* exe, ScreenRect frame, bool onTop = false)
{
    FakeWindow w = doc("other", frame);
    w.exe = exe;
    w.windowClass = "Other";
    w.onTop = onTop;
    return w;
}

TEST(WindowTarget, ProgramMatchesOnClassAndExecutableInAnyLetterCase)
{
    struct Case {
        WindowIdentity wanted;
        const char* exe;
        const char* windowClass;
        bool matches;
    };
    const Case cases[] = {
        {{"notepad.exe", "Notepad", "a"}, "notepad.exe", "Notepad", true},
        {{"NOTEPAD.EXE", "Notepad", "a"}, "notepad.exe", "Notepad", true},   // edited by hand
        {{"notepad.exe", "Notepad", "a"}, "notepad.exe", "notepad", false},  // classes are exact
        {{"notepad.exe", "Notepad", "a"}, "wordpad.exe", "Notepad", false},
        {{"", "Notepad", "a"}, "anything.exe", "Notepad", true},
        {{"notepad.exe", "Notepad", "a"}, "", "Notepad", false},  // an elevated process of another program
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sameProgram(c.wanted, c.exe, c.windowClass), c.matches) << c.wanted.exe << " " << c.exe;
    }
}

TEST(WindowTarget, ChoiceTakesTitleThenShownThenRecordedPlaceThenTopmost)
{
    const WindowIdentity wanted{"x.exe", "X", "doc"};
    const WindowOrigin at{108, 130};
    auto shown = [](const char* title, int32_t x = 0) {
        return WindowCandidate{title, false, WindowPlace{x, 130, 96}, ScreenRect{}};
    };
    auto minimised = [](const char* title) {
        return WindowCandidate{title, true, WindowPlace{-32000, -32000, 96}, {}};
    };
    struct Case {
        const char* name;
        std::vector<WindowCandidate> candidates;  // topmost first
        const WindowOrigin* recorded;
        int32_t use;
        int32_t restore;
    };
    const Case cases[] = {
        {"none", {}, &at, -1, -1},
        {"one with another title", {shown("other")}, &at, 0, -1},
        {"same title below the topmost", {shown("other"), shown("doc")}, &at, 1, -1},
        {"topmost of two strangers", {shown("p"), shown("q")}, nullptr, 0, -1},
        {"minimised same title is restored rather than a shown stranger", {shown("p"), minimised("doc")}, &at, -1, 1},
        {"shown same title before a minimised one", {minimised("doc"), shown("doc")}, &at, 1, -1},
        {"all strangers minimised: restore the topmost", {minimised("p"), minimised("q")}, &at, -1, 0},
        {"equal twins: the one at the recorded place", {shown("doc", 500), shown("doc", 108)}, &at, 1, -1},
        {"equal twins, place unknown: the topmost", {shown("doc", 500), shown("doc", 108)}, nullptr, 0, -1},
        {"title outranks place", {shown("p", 108), shown("doc", 500)}, &at, 1, -1},
    };
    for (const Case& c : cases) {
        const WindowChoice choice = chooseWindow(wanted, c.candidates, c.recorded);
        EXPECT_EQ(choice.use, c.use) << c.name;
        EXPECT_EQ(choice.restore, c.restore) << c.name;
    }
}

// A click at a screen point into the window recorded as "Beta" of editor.exe, on desktops that
// make it hard: what the first check finds, what the system was asked, and what a second
// check (after the asks took effect) finds.
TEST(WindowTarget, ClickPointMustBelongToTheChosenWindowOnAMonitor)
{
    const ScreenRect betaFrame{100, 100, 500, 400};
    struct Case {
        const char* name;
        std::vector<FakeWindow> windows;
        int32_t x, y;
        WindowProblem look;
        WindowProblem first;
        std::vector<std::string> asked;
        WindowProblem second;
    };
    const Case cases[] = {
        {"visible: at once",
         {doc("Beta", betaFrame)},
         200,
         200,
         WindowProblem::None,
         WindowProblem::None,
         {},
         WindowProblem::None},
        {"covered by a document of the same program: brought to the front",
         {doc("Alpha", {150, 150, 600, 500}), doc("Beta", betaFrame)},
         200,
         200,
         WindowProblem::None,
         WindowProblem::Covered,
         {"front 2"},
         WindowProblem::None},
        {"covered by another program's window",
         {other("chat.exe", {0, 0, 300, 300}), doc("Beta", betaFrame)},
         200,
         200,
         WindowProblem::None,
         WindowProblem::Covered,
         {"front 2"},
         WindowProblem::None},
        {"covered by a window that stays on top: asked once, still covered",
         {other("clock.exe", {150, 150, 300, 300}, true), doc("Beta", betaFrame)},
         200,
         200,
         WindowProblem::None,
         WindowProblem::Covered,
         {"front 2"},
         WindowProblem::Covered},
        {"covered elsewhere, not at the point: nothing asked",
         {doc("Alpha", {300, 300, 600, 500}), doc("Beta", betaFrame)},
         200,
         200,
         WindowProblem::None,
         WindowProblem::None,
         {},
         WindowProblem::None},
        {"wholly off every monitor",
         {doc("Beta", {2000, 100, 2400, 400}), other("chat.exe", {0, 0, 1280, 1024})},
         2100,
         200,
         WindowProblem::None,
         WindowProblem::OffScreen,
         {},
         WindowProblem::OffScreen},
        {"partly off: a point off the screen",
         {doc("Beta", {1100, 100, 1500, 400})},
         1300,
         200,
         WindowProblem::None,
         WindowProblem::OffScreen,
         {},
         WindowProblem::OffScreen},
        {"partly off: a point on the screen",
         {doc("Beta", {1100, 100, 1500, 400})},
         1200,
         200,
         WindowProblem::None,
         WindowProblem::None,
         {},
         WindowProblem::None},
        {"point beyond a window that became smaller",
         {doc("Beta", {100, 100, 200, 150})},
         300,
         300,
         WindowProblem::None,
         WindowProblem::OutsideWindow,
         {},
         WindowProblem::OutsideWindow},
        {"minimised Beta beside a shown Alpha: Beta is restored",
         {doc("Alpha", {600, 100, 1000, 400}), doc("Beta", betaFrame, true)},
         200,
         200,
         WindowProblem::Minimised,
         WindowProblem::Missing,
         {"restore 2"},
         WindowProblem::None},
        {"no window of the program",
         {other("chat.exe", betaFrame)},
         200,
         200,
         WindowProblem::Missing,
         WindowProblem::Missing,
         {},
         WindowProblem::Missing},
    };
    for (const Case& c : cases) {
        FakeDesktop desktop(c.windows);
        const std::vector<WindowIdentity> table{{"EDITOR.EXE", "Doc", "Beta"}};
        WindowTargets targets(table, desktop.seam());
        WindowPlace place;
        EXPECT_EQ(targets.look(0, nullptr, place), c.look) << c.name;
        EXPECT_EQ(targets.checkPoint(0, c.x, c.y), c.first) << c.name;
        EXPECT_EQ(desktop.asked, c.asked) << c.name;
        targets.look(0, nullptr, place);
        EXPECT_EQ(targets.checkPoint(0, c.x, c.y), c.second) << c.name;
        EXPECT_EQ(desktop.asked, c.asked) << c.name << ": nothing asked twice";
    }
}

TEST(WindowTarget, TwinWindowsEachGetTheClicksRecordedAtTheirPlace)
{
    FakeDesktop desktop({doc("Doc", {600, 100, 1000, 400}), doc("Doc", {100, 100, 500, 400})});
    const std::vector<WindowIdentity> table{{"editor.exe", "Doc", "Doc"}};
    WindowTargets targets(table, desktop.seam());
    for (const int32_t left : {100, 600}) {
        const WindowOrigin recorded{left + 8, 130};
        WindowPlace place;
        ASSERT_EQ(targets.look(0, &recorded, place), WindowProblem::None);
        EXPECT_EQ(place.originX, left + 8);
        EXPECT_EQ(targets.checkPoint(0, left + 50, 200), WindowProblem::None);
    }
}

TEST(WindowTarget, HungWindowKeepsClicksAndKeysAway)
{
    FakeDesktop desktop({doc("Beta", {100, 100, 500, 400})});
    desktop.windows[0].hung = true;
    const std::vector<WindowIdentity> table{{"editor.exe", "Doc", "Beta"}};
    WindowTargets targets(table, desktop.seam());
    WindowPlace place;
    EXPECT_EQ(targets.look(0, nullptr, place), WindowProblem::Hung);
    EXPECT_EQ(targets.checkPoint(0, 200, 200), WindowProblem::Hung);
    EXPECT_EQ(targets.checkFront(0), WindowProblem::Hung);
    EXPECT_TRUE(desktop.asked.empty());
    EXPECT_STREQ(windowProblemText(WindowProblem::Hung), L"窗口无响应");
}

TEST(WindowTarget, KeysNeedTheWindowOfTheSameTitleInFront)
{
    struct Case {
        const char* name;
        std::vector<FakeWindow> windows;
        uintptr_t front;
        WindowProblem problem;
    };
    const Case cases[] = {
        {"Beta in front", {doc("Beta", {}), doc("Alpha", {})}, 1, WindowProblem::None},
        {"Alpha of the same program in front", {doc("Alpha", {}), doc("Beta", {})}, 1, WindowProblem::NotInFront},
        {"Alpha in front, no Beta", {doc("Alpha", {})}, 1, WindowProblem::Missing},
        {"another program in front", {other("chat.exe", {}), doc("Beta", {})}, 1, WindowProblem::NotInFront},
    };
    for (const Case& c : cases) {
        FakeDesktop desktop(c.windows);
        desktop.front = c.front;
        const std::vector<WindowIdentity> table{{"editor.exe", "Doc", "Beta"}};
        WindowTargets targets(table, desktop.seam());
        EXPECT_EQ(targets.checkFront(0), c.problem) << c.name;
    }
}

}  // namespace
