// The tools of the whole-program checks, checked on their own: if xdotool input does not land
// where the checks think, or the target program misses input, every scenario would fail for
// reasons that have nothing to do with LorminRecorder.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "e2e/e2e_support.h"
#include "e2e/target_protocol.h"
#include "support/xdotool.h"

namespace {

std::vector<TargetEntry> actionsOf(const std::vector<TargetEntry>& entries)
{
    std::vector<TargetEntry> actions;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(actions), isInputAction);
    return actions;
}

}  // namespace

// Every step of the checks relies on this: wine gives no process handle of a Linux program that
// can be waited on, so a wait on it would return at once and the input would race the checks.
TEST(E2eHarness, LinuxCommandsAreWaitedForAndTheirExitStatusIsReported)
{
    EXPECT_TRUE(runLinuxCommand(L"/bin/true", L""));
    EXPECT_FALSE(runLinuxCommand(L"/bin/false", L""));
    EXPECT_FALSE(runLinuxCommand(L"/bin/sh", L"-c \"exit 3\""));
    EXPECT_TRUE(runLinuxCommand(L"/bin/sh", L"-c \"test \\\"$0\\\" = 'a b'\" \"a b\""))
        << "arguments arrive as they were split";
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(runLinuxCommand(L"/bin/sleep", L"0.4"));
    EXPECT_GE(GetTickCount64() - start, 350u) << "returned before the command ended";
    EXPECT_FALSE(runXdotool(L"no-such-xdotool-command"));
}

TEST(E2eHarness, PointerPositionsAreScreenPositions)
{
    EXPECT_TRUE(pointerMatchesScreen());
}

TEST(E2eHarness, TargetLogsClicksKeysAndWheelWhereTheyHappened)
{
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\harness_target.log", RECT{300, 200, 900, 700}));
    const POINT a = target.pointAt(0.3, 0.3);
    const POINT b = target.pointAt(0.6, 0.6);
    ASSERT_TRUE(clickAt(a.x, a.y));
    Sleep(600);  // longer than the double-click time: the next click starts afresh
    ASSERT_TRUE(doubleClickAt(b.x, b.y, 80));
    ASSERT_TRUE(typeText(L"ab", 30));
    ASSERT_TRUE(wheel(-1));

    const struct {
        const char* name;
        long a;
        long b;
    } expected[] = {
        {"ldown", a.x, a.y},  {"lup", a.x, a.y},  {"ldown", b.x, b.y},  {"lup", b.x, b.y},
        {"ldbl", b.x, b.y},   {"lup", b.x, b.y},  {"keydown", 'A', -1}, {"keyup", 'A', -1},
        {"keydown", 'B', -1}, {"keyup", 'B', -1}, {"wheel", b.x, b.y},
    };
    std::vector<TargetEntry> actions;
    waitUntil([&] { return (actions = actionsOf(target.entries())).size() >= std::size(expected); }, 5000);
    ASSERT_EQ(actions.size(), std::size(expected));
    for (size_t i = 0; i < actions.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(actions[i].name, expected[i].name);
        EXPECT_EQ(actions[i].a, expected[i].a);
        if (expected[i].b >= 0) {
            EXPECT_EQ(actions[i].b, expected[i].b);
        }
        if (i > 0) {
            EXPECT_GE(actions[i].time, actions[i - 1].time);
        }
    }
    EXPECT_EQ(actions.back().c, -120) << "one notch towards the user";
    // The double-click gap as the target saw it is close to what xdotool was asked for.
    const double gap = actions[4].time - actions[2].time;
    EXPECT_GT(gap, 0.05);
    EXPECT_LT(gap, 0.5);
}

TEST(E2eHarness, TargetReportsKeysThatAreDown)
{
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\harness_held.log", RECT{300, 200, 900, 700}));
    const POINT a = target.pointAt(0.5, 0.5);
    ASSERT_TRUE(clickAt(a.x, a.y));
    std::vector<int> held;
    ASSERT_TRUE(keyDown(L"shift"));
    ASSERT_TRUE(target.heldKeys(held));
    EXPECT_NE(std::find(held.begin(), held.end(), VK_SHIFT), held.end());
    ASSERT_TRUE(keyUp(L"shift"));
    ASSERT_TRUE(target.heldKeys(held));
    EXPECT_EQ(std::find(held.begin(), held.end(), VK_SHIFT), held.end());
    EXPECT_TRUE(held.empty());
}

TEST(E2eHarness, MessageBoxesAreReadAndAnsweredWithRealClicks)
{
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\harness_box.log", RECT{300, 200, 900, 700}));
    PostMessageW(target.window(), WM_APP_SHOW_MESSAGE, 0, 0);
    MessageBoxSeen box;
    ASSERT_TRUE(waitForMessageBox(target.processId(), L"提示", box, 5000));
    EXPECT_EQ(box.text, L"测试消息");
    EXPECT_EQ(openDialogCount(target.processId()), 1u);
    ASSERT_TRUE(answerMessageBox(box, IDNO));
    std::vector<TargetEntry> entries;
    ASSERT_TRUE(waitUntil(
        [&] {
            entries = target.entries();
            return std::any_of(entries.begin(), entries.end(), [](const TargetEntry& e) { return e.name == "msgbox"; });
        },
        3000));
    const auto answer =
        std::find_if(entries.begin(), entries.end(), [](const TargetEntry& e) { return e.name == "msgbox"; });
    EXPECT_EQ(answer->a, IDNO);
    EXPECT_EQ(openDialogCount(target.processId()), 0u);
}

TEST(E2eHarness, SaveDialogTakesATypedPath)
{
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\harness_dialog.log", RECT{300, 200, 900, 700}));
    const std::wstring folder = ensureFolder(outputFolder() + L"\\harness_files");
    removeFileIfPresent(folder + L"\\typed_name.json");
    PostMessageW(target.window(), WM_APP_SHOW_SAVE_DIALOG, 0, 0);
    ASSERT_TRUE(chooseFileInDialog(target.processId(), folder + L"\\typed_name", 10000));
    std::vector<TargetEntry> entries;
    ASSERT_TRUE(waitUntil(
        [&] {
            entries = target.entries();
            return std::any_of(entries.begin(), entries.end(), [](const TargetEntry& e) { return e.name == "path"; });
        },
        3000));
    const auto chosen =
        std::find_if(entries.begin(), entries.end(), [](const TargetEntry& e) { return e.name == "path"; });
    EXPECT_EQ(chosen->text, wideToUtf8(folder + L"\\typed_name.json"));
}

TEST(E2eHarness, ScreenPixelsAndScreenshots)
{
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\harness_pixels.log", RECT{300, 200, 900, 700}));
    const POINT inside = target.pointAt(0.5, 0.5);
    ASSERT_TRUE(moveMouse(10, 10));  // keep the pointer off the sampled pixel
    EXPECT_TRUE(waitUntil([&] { return screenPixel(inside.x, inside.y) == RGB(255, 255, 255); }, 3000))
        << std::hex << screenPixel(inside.x, inside.y);
    const std::wstring shot = outputFolder() + L"\\harness_screen.png";
    removeFileIfPresent(shot);
    ASSERT_TRUE(saveScreenshot(shot));
    EXPECT_GT(readFileBytes(shot).size(), 1000u);
}
