// The choice of a followed window and the checks of a click's point and of the window in front,
// over a fake desktop: windows in z-order with frames, client areas, minimised state, titles,
// responding or hung, monitors, and a front that some windows cannot be lifted over.
#include "player/window_target.h"

#include <algorithm>
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
};

// Window n is windows[n - 1]; at first topmost first. One monitor of 1280 x 1024.
struct FakeDesktop {
    explicit FakeDesktop(std::vector<FakeWindow> all) : windows(std::move(all))
    {
        for (size_t i = 0; i < windows.size(); ++i) {
            order.push_back(i + 1);
        }
    }
    std::vector<FakeWindow> windows;
    std::vector<uintptr_t> order;  // topmost first
    uintptr_t front = 1;           // the foreground window
    std::vector<std::string> asked;

    static FakeDesktop& of(void* context) { return *static_cast<FakeDesktop*>(context); }
    static FakeWindow& at(void* context, uintptr_t n) { return of(context).windows[n - 1]; }

    DesktopSeam seam()
    {
        DesktopSeam s;
        s.context = this;
        s.topWindows = [](void* c, const std::string& windowClass, std::vector<uintptr_t>& out) {
            for (uintptr_t n : of(c).order) {
                if (at(c, n).windowClass == windowClass) {
                    out.push_back(n);
                }
            }
        };
        s.programOf = [](void* c, uintptr_t n, std::string& exe, std::string& windowClass) {
            exe = at(c, n).exe;
            windowClass = at(c, n).windowClass;
            return true;
        };
        s.stateOf = [](void* c, uintptr_t n, WindowCandidate& state) {
            const FakeWindow& w = at(c, n);  // the client area starts 8 right of and 30 below the frame's corner
            state = WindowCandidate{w.title, w.minimised, WindowPlace{w.frame.left + 8, w.frame.top + 30, 96}, w.frame};
            return true;
        };
        s.foreground = [](void* c) { return of(c).front; };
        s.topLevelAt = [](void* c, int32_t x, int32_t y) -> uintptr_t {
            for (uintptr_t n : of(c).order) {
                if (!at(c, n).minimised && rectHolds(at(c, n).frame, x, y)) {
                    return n;
                }
            }
            return 0;
        };
        s.onMonitor = [](void*, int32_t x, int32_t y) { return rectHolds(ScreenRect{0, 0, 1280, 1024}, x, y); };
        s.responding = [](void* c, uintptr_t n) { return !at(c, n).hung; };
        s.restore = [](void* c, uintptr_t n) {
            of(c).asked.push_back("restore " + std::to_string(n));
            at(c, n).minimised = false;
        };
        s.bringToFront = [](void* c, uintptr_t n) {
            FakeDesktop& d = of(c);
            d.asked.push_back("front " + std::to_string(n));
            d.order.erase(std::find(d.order.begin(), d.order.end(), n));
            auto to = d.order.begin();  // above every window but those that stay on top
            while (to != d.order.end() && at(c, *to).onTop) {
                ++to;
            }
            d.order.insert(to, n);
            d.front = n;
        };
        return s;
    }
};

FakeWindow doc(const char* title, ScreenRect frame, bool minimised = false, bool hung = false)
{
    FakeWindow w;
    w.title = title;
    w.frame = frame;
    w.minimised = minimised;
    w.hung = hung;
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
    auto shown = [](const char* title, int32_t x = 0) { return WindowCandidate{title, false, {x, 130, 96}, {}}; };
    auto minimised = [](const char* title) { return WindowCandidate{title, true, {-32000, -32000, 96}, {}}; };
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

// A click at a screen point into the window recorded as "Beta" of editor.exe (in capitals in the
// script), on desktops that make it hard: what the look and the first check find, what the system
// was asked, and what a look and check after the asks took effect find.
TEST(WindowTarget, ClickPointMustBelongToTheChosenWindowOnAMonitor)
{
    using P = WindowProblem;
    const ScreenRect at{100, 100, 500, 400};
    const FakeWindow beta = doc("Beta", at);
    const std::vector<FakeWindow> alone{beta}, sameProgramOver{doc("Alpha", {150, 150, 600, 500}), beta},
        otherOver{other("chat.exe", {0, 0, 300, 300}), beta},
        onTopOver{other("clock.exe", {150, 150, 300, 300}, true), beta},
        besideOther{doc("Alpha", {300, 300, 600, 500}), beta},
        offScreen{doc("Beta", {2000, 100, 2400, 400}), other("chat.exe", {0, 0, 1280, 1024})},
        partlyOff{doc("Beta", {1100, 100, 1500, 400})}, small{doc("Beta", {100, 100, 200, 150})},
        minimisedBeta{doc("Alpha", {600, 100, 1000, 400}), doc("Beta", at, true)}, hung{doc("Beta", at, false, true)},
        noProgram{other("chat.exe", at)};
    struct Case {
        const char* name;
        std::vector<FakeWindow> windows;
        int32_t x, y;
        P look, first;
        std::vector<std::string> asked;
        P second;
    };
    const Case cases[] = {
        {"visible: at once", alone, 200, 200, P::None, P::None, {}, P::None},
        {"under a document of the program", sameProgramOver, 200, 200, P::None, P::Covered, {"front 2"}, P::None},
        {"under another program's window", otherOver, 200, 200, P::None, P::Covered, {"front 2"}, P::None},
        {"under one that stays on top", onTopOver, 200, 200, P::None, P::Covered, {"front 2"}, P::Covered},
        {"covered elsewhere, not at the point", besideOther, 200, 200, P::None, P::None, {}, P::None},
        {"wholly off every monitor", offScreen, 2100, 200, P::None, P::OffScreen, {}, P::OffScreen},
        {"partly off: a point off the screen", partlyOff, 1300, 200, P::None, P::OffScreen, {}, P::OffScreen},
        {"partly off: a point on the screen", partlyOff, 1200, 200, P::None, P::None, {}, P::None},
        {"beyond a window that became smaller", small, 300, 300, P::None, P::OutsideWindow, {}, P::OutsideWindow},
        {"minimised, beside Alpha: restored",
         minimisedBeta,
         200,
         200,
         P::Minimised,
         P::Missing,
         {"restore 2"},
         P::None},
        {"hung: nothing goes to it", hung, 200, 200, P::Hung, P::Hung, {}, P::Hung},
        {"no window of the program", noProgram, 200, 200, P::Missing, P::Missing, {}, P::Missing},
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

TEST(WindowTarget, KeysNeedTheWindowOfTheSameTitleInFrontAndResponding)
{
    struct Case {
        const char* name;
        std::vector<FakeWindow> windows;  // the first is in front
        WindowProblem problem;
    };
    const Case cases[] = {
        {"Beta in front", {doc("Beta", {}), doc("Alpha", {})}, WindowProblem::None},
        {"Alpha of the same program in front", {doc("Alpha", {}), doc("Beta", {})}, WindowProblem::NotInFront},
        {"Alpha in front, no Beta", {doc("Alpha", {})}, WindowProblem::Missing},
        {"another program in front", {other("chat.exe", {}), doc("Beta", {})}, WindowProblem::NotInFront},
        {"Beta in front, hung", {doc("Beta", {}, false, true)}, WindowProblem::Hung},
    };
    for (const Case& c : cases) {
        FakeDesktop desktop(c.windows);
        const std::vector<WindowIdentity> table{{"editor.exe", "Doc", "Beta"}};
        WindowTargets targets(table, desktop.seam());
        EXPECT_EQ(targets.checkFront(0), c.problem) << c.name;
    }
    EXPECT_STREQ(windowProblemText(WindowProblem::Hung), L"窗口无响应");
}

}  // namespace
