// Steering a running replay from outside: a real pause key during a --play run into the target
// window, the wait between two passes, and the stop in the notification-area menu.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "e2e/e2e_app.h"
#include "e2e/e2e_scripts.h"
#include "e2e/e2e_support.h"
#include "script/script_file.h"
#include "support/xdotool.h"

namespace {

constexpr long kVirtualKeyShift = 0x10;
constexpr long kVirtualKeyF10 = 0x79;

// The key entries of the target's log, in order.
std::vector<TargetEntry> keyEntries(const TargetWindow& target)
{
    std::vector<TargetEntry> keys;
    for (const TargetEntry& entry : target.entries()) {
        if (entry.name == "keydown" || entry.name == "keyup") {
            keys.push_back(entry);
        }
    }
    return keys;
}

// The first entry from index from on of this name and key; -1 when none.
int findKey(const std::vector<TargetEntry>& keys, size_t from, const char* name, long key)
{
    for (size_t i = from; i < keys.size(); ++i) {
        if (keys[i].name == name && keys[i].a == key) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool holds(const std::vector<int>& held, int key)
{
    for (int k : held) {
        if (k == key) {
            return true;
        }
    }
    return false;
}

class Pause : public E2e {
protected:
    // The target window in front, with the keyboard.
    void focusTarget(const wchar_t* log)
    {
        ASSERT_TRUE(target.start(folderFor(L"pause") + L"\\" + log, RECT{300, 200, 900, 600}));
        const POINT inside = target.pointAt(0.5, 0.5);
        ASSERT_TRUE(clickAt(inside.x, inside.y));
        ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == target.window(); }, 3000));
    }
    TargetWindow target;
};

TEST_F(Pause, ARealPauseKeyHoldsTheReplayLetsGoOfShiftAndTheRestComesAfterTheResumeWithItsGaps)
{
    ASSERT_NO_FATAL_FAILURE(focusTarget(L"pause.log"));
    // Shift held over A, a gap of two seconds, B, then Shift let go.
    const std::wstring script =
        writeScriptIn(L"pause", L"pause.json",
                      {keyStep(EventKind::KeyDown, "Shift", 0.5), keyStep(EventKind::KeyDown, "A", 0.2),
                       keyStep(EventKind::KeyUp, "A", 0.05), keyStep(EventKind::KeyDown, "B", 2.0),
                       keyStep(EventKind::KeyUp, "B", 0.05), keyStep(EventKind::KeyUp, "Shift", 0.2)});
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_pause"), appExe(), L"--play \"" + script + L"\""));
    ASSERT_TRUE(waitUntil([&] { return findKey(keyEntries(target), 0, "keyup", 'A') >= 0; }, 10000));
    ASSERT_TRUE(pressKeys(L"F10"));
    ASSERT_TRUE(app.waitStatus(L"⏸ 已暂停，按 F10 继续", 5000)) << wideToUtf8(app.status());
    ASSERT_TRUE(waitUntil([&] { return findKey(keyEntries(target), 0, "keyup", kVirtualKeyShift) >= 0; }, 3000))
        << "the pause lets go of Shift";
    std::vector<int> held;
    ASSERT_TRUE(target.heldKeys(held));
    EXPECT_FALSE(holds(held, 0xA0) || holds(held, kVirtualKeyShift)) << "nothing stays pressed while paused";
    const size_t whilePaused = keyEntries(target).size();
    Sleep(3000);  // longer than the gap before B
    EXPECT_EQ(keyEntries(target).size(), whilePaused) << "no input arrives while paused";
    EXPECT_TRUE(app.running());

    ASSERT_TRUE(pressKeys(L"F10"));
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(15000, code));
    EXPECT_EQ(code, 0u) << "a paused and resumed run completes";

    const std::vector<TargetEntry> keys = keyEntries(target);
    const int aUp = findKey(keys, 0, "keyup", 'A');
    const int letGo = findKey(keys, 0, "keyup", kVirtualKeyShift);
    const int pressedAgain = findKey(keys, static_cast<size_t>(letGo + 1), "keydown", kVirtualKeyShift);
    const int bDown = findKey(keys, 0, "keydown", 'B');
    ASSERT_TRUE(aUp >= 0 && letGo > aUp && pressedAgain > letGo && bDown > pressedAgain)
        << aUp << " " << letGo << " " << pressedAgain << " " << bDown;
    EXPECT_GE(findKey(keys, static_cast<size_t>(bDown), "keyup", kVirtualKeyShift), 0);
    // The gap before B: the part waited before the pause counts, the rest comes after the resume.
    const double waited = (keys[letGo].time - keys[aUp].time) + (keys[bDown].time - keys[pressedAgain].time);
    EXPECT_GT(keys[pressedAgain].time - keys[letGo].time, 2.5) << "the pause lasted";
    EXPECT_GT(waited, 1.7);
    EXPECT_LT(waited, 3.0);
    EXPECT_EQ(findKey(keys, 0, "keydown", kVirtualKeyF10), -1) << "the pause key never reaches the program in front";
    EXPECT_EQ(findKey(keys, 0, "keyup", kVirtualKeyF10), -1);
    ASSERT_TRUE(target.heldKeys(held));
    EXPECT_FALSE(holds(held, 0xA0) || holds(held, kVirtualKeyShift) || holds(held, 'B')) << "nothing stays held";
    target.close();
}

TEST_F(Pause, PassGapWaitsBetweenTwoPassesWithACountdown)
{
    ASSERT_NO_FATAL_FAILURE(focusTarget(L"gap.log"));
    const std::wstring script = writeScriptIn(
        L"pause", L"gap.json", {keyStep(EventKind::KeyDown, "C", 0.2), keyStep(EventKind::KeyUp, "C", 0.05)});
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_pause"), appExe(), L"--play \"" + script + L"\" --loops 2 --pass-gap 2"));
    EXPECT_TRUE(app.waitStatusPrefix(L"⏳ 第 2 遍将在 ", 10000)) << wideToUtf8(app.status());
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(15000, code));
    EXPECT_EQ(code, 0u);
    const std::vector<TargetEntry> keys = keyEntries(target);
    const int first = findKey(keys, 0, "keydown", 'C');
    ASSERT_GE(first, 0);
    const int second = findKey(keys, static_cast<size_t>(first + 1), "keydown", 'C');
    ASSERT_GT(second, first);
    EXPECT_GT(keys[second].time - keys[first].time, 1.9) << "two seconds between the passes";
    EXPECT_LT(keys[second].time - keys[first].time, 6.0);
    target.close();
}

TEST_F(Pause, TheNotificationAreaMenuStopsAPlayRun)
{
    const std::wstring script = writeScriptIn(
        L"pause", L"long.json", {keyStep(EventKind::KeyDown, "A", 300.0), keyStep(EventKind::KeyUp, "A", 0.05)});
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_pause"), appExe(), L"--play \"" + script + L"\" --endless"));
    ASSERT_TRUE(app.waitStatus(L"▶ 回放中...（第 1 次，无限循环）", 10000)) << wideToUtf8(app.status());
    // The icon's menu as the shell asks for it (a right click or the menu key on the icon).
    constexpr UINT kTrayMessage = WM_APP + 362;
    ASSERT_TRUE(PostMessageW(app.window, kTrayMessage, MAKEWPARAM(640, 500), MAKELPARAM(WM_CONTEXTMENU, 1)));
    ASSERT_NE(waitForTopLevel(app.processId(), L"#32768", nullptr, 5000), nullptr) << "the menu opens";
    // 暂停, 继续 (not while running), 停止: the last one.
    ASSERT_TRUE(pressKeys(L"Up Return"));
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code));
    EXPECT_EQ(code, 1u) << "stopped by the user";
}

}  // namespace
