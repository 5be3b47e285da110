// Replays that follow windows, through the real program started with --play: a click recorded in
// the target window lands in it after the window moved, a late window is waited for, and a window
// that never comes ends the run with exit code 6.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/window_facts_cache.h"
#include "base/text_encoding.h"
#include "e2e/e2e_app.h"
#include "e2e/e2e_support.h"
#include "e2e/target_protocol.h"
#include "script/script_file.h"

namespace {

constexpr int kClientX = 50;  // where in the target's client area the recorded click was
constexpr int kClientY = 60;

WindowIdentity targetIdentity()
{
    return WindowIdentity{wideToUtf8(exeFileName(targetExe())), wideToUtf8(e2eTargetClass), wideToUtf8(e2eTargetTitle)};
}

// A click recorded at client (50, 60) of a window whose client area was at (origin), and the
// letter q typed into it.
std::vector<MacroEvent> clickAndType(POINT origin)
{
    std::vector<MacroEvent> events(5);
    events[0].kind = EventKind::Move;
    events[0].delay = 0.3;
    events[0].x = origin.x + kClientX - 5;
    events[0].y = origin.y + kClientY - 5;
    for (int i : {1, 2}) {
        events[i].kind = EventKind::Click;
        events[i].delay = 0.1;
        events[i].x = origin.x + kClientX;
        events[i].y = origin.y + kClientY;
        events[i].pressed = i == 1;
    }
    events[1].window = EventWindow{0, kClientX, kClientY, 96};
    events[3].kind = EventKind::KeyDown;
    events[3].keyOrText = "Q";
    events[3].delay = 0.1;
    events[3].window.index = 0;
    events[4].kind = EventKind::KeyUp;
    events[4].keyOrText = "Q";
    events[4].delay = 0.05;
    return events;
}

std::wstring writeScript(const std::wstring& name, const std::vector<MacroEvent>& events,
                         const std::vector<WindowIdentity>& windows)
{
    const std::wstring path = folderFor(L"follow") + L"\\" + name;
    std::wstring error;
    EXPECT_TRUE(saveScript(path, events, windows, error)) << wideToUtf8(error);
    return path;
}

// The first button press the target saw, relative to its client area now; false when none.
bool firstPressInClient(const TargetWindow& target, POINT& point)
{
    const RECT client = clientScreenRect(target.window());
    for (const TargetEntry& entry : target.entries()) {
        if (entry.name == "ldown") {
            point = POINT{entry.a - client.left, entry.b - client.top};
            return true;
        }
    }
    return false;
}

bool typed(const TargetWindow& target, long unit)
{
    for (const TargetEntry& entry : target.entries()) {
        if (entry.name == "char" && entry.a == unit) {
            return true;
        }
    }
    return false;
}

class FollowWindows : public E2e {};

TEST_F(FollowWindows, AClickGoesToTheMovedWindowOnlyWithTheOption)
{
    TargetWindow target;
    ASSERT_TRUE(target.start(folderFor(L"follow") + L"\\moved.log", RECT{100, 100, 500, 400}));
    const RECT recorded = clientScreenRect(target.window());
    const std::wstring script =
        writeScript(L"moved.json", clickAndType(POINT{recorded.left, recorded.top}), {targetIdentity()});
    MoveWindow(target.window(), 600, 450, 400, 300, TRUE);
    ASSERT_TRUE(waitUntil([&] { return clientScreenRect(target.window()).left > 600; }, 3000));

    struct Case {
        const wchar_t* option;
        bool lands;
    };
    for (const Case& c : {Case{L"--no-follow-windows", false}, Case{L"--follow-windows", true}}) {
        App app;
        ASSERT_TRUE(app.start(folderFor(L"appdata_follow"), appExe(), L"--play \"" + script + L"\" " + c.option));
        DWORD code = 1234;
        ASSERT_TRUE(app.waitForExit(20000, code)) << wideToUtf8(c.option);
        EXPECT_EQ(code, 0u) << wideToUtf8(c.option);
        POINT point{};
        EXPECT_EQ(firstPressInClient(target, point), c.lands) << wideToUtf8(c.option);
        if (c.lands) {
            EXPECT_EQ(point.x, kClientX);
            EXPECT_EQ(point.y, kClientY);
            EXPECT_TRUE(typed(target, 'q')) << "the key waited for the clicked window to come in front";
        }
    }
    target.close();
}

TEST_F(FollowWindows, ALateWindowIsWaitedForAndAMissingOneEndsWithExitCodeSix)
{
    const std::wstring script = writeScript(L"late.json", clickAndType(POINT{100, 100}), {targetIdentity()});
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_follow_late"), appExe(),
                          L"--play \"" + script + L"\" --follow-windows --window-wait 30"));
    const std::wstring waiting =
        L"⏳ 等待窗口：" + utf8ToWide(targetIdentity().title) + L"（" + utf8ToWide(targetIdentity().exe) + L"）";
    EXPECT_TRUE(app.waitStatus(waiting, 10000)) << wideToUtf8(app.status());
    TargetWindow target;
    ASSERT_TRUE(target.start(folderFor(L"follow") + L"\\late.log", RECT{300, 200, 700, 500}));
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(30000, code));
    EXPECT_EQ(code, 0u);
    POINT point{};
    ASSERT_TRUE(firstPressInClient(target, point));
    EXPECT_EQ(point.x, kClientX);
    EXPECT_EQ(point.y, kClientY);
    target.close();

    App missing;
    ASSERT_TRUE(missing.start(folderFor(L"appdata_follow_missing"), appExe(),
                              L"--play \"" + script + L"\" --follow-windows --window-wait 1"));
    const ULONGLONG started = GetTickCount64();
    ASSERT_TRUE(missing.waitForExit(20000, code));
    EXPECT_EQ(code, 6u);
    EXPECT_GE(GetTickCount64() - started, 1000u) << "the wait lasts its second";
    EXPECT_NE(missing.errorLog().find("找不到窗口"), std::string::npos) << missing.errorLog();
}

TEST_F(FollowWindows, TheStopKeyEndsAWaitAtOnce)
{
    const std::wstring script = writeScript(L"stop.json", clickAndType(POINT{100, 100}), {targetIdentity()});
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_follow_stop"), appExe(),
                          L"--play \"" + script + L"\" --follow-windows --window-wait 600"));
    ASSERT_TRUE(app.waitStatusPrefix(L"⏳ 等待窗口：", 10000)) << wideToUtf8(app.status());
    const ULONGLONG pressed = GetTickCount64();
    ASSERT_TRUE(pressKeys(L"F9"));
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code));
    EXPECT_EQ(code, 1u);
    EXPECT_LT(GetTickCount64() - pressed, 5000u) << "generous bound: a stop ends a wait within milliseconds";
}

}  // namespace
