// Editing the recorded steps in the real window with real input: rows selected with clicks and
// Shift+click, Del and Ctrl+Z, a delay set through the dialog, a playback from a selected row into
// another program, the close prompt after an edit, and no editing while recording.
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

// Waits for the popup menu of the process. Its items cannot be read from here: a menu handle of
// another process gives nothing under wine (notepad's context menu does the same), so the window
// tests read the menu's items and this checks that it opens and does what its items say.
bool popupMenuOpens(DWORD processId)
{
    return waitForTopLevel(processId, L"#32768", nullptr, 3000) != nullptr;
}

POINT rowPoint(HWND list, int row)
{
    RECT rect{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    POINT p{rect.left + 60, (rect.top + rect.bottom) / 2};
    ClientToScreen(list, &p);
    return p;
}

TEST_F(E2e, StepsAreEditedInTheListAndPlayedFromASelectedRow)
{
    App app;
    const std::wstring folder = folderFor(L"edit");
    // The target beside the window receives three clicks; the script is loaded from the command line.
    ASSERT_TRUE(app.start(folderFor(L"appdata_edit")));
    TargetWindow target;
    ASSERT_TRUE(target.start(folder + L"\\target.log", besideOf(app.window)));
    const POINT spots[] = {target.pointAt(0.2, 0.3), target.pointAt(0.5, 0.5), target.pointAt(0.8, 0.7)};
    std::vector<MacroEvent> events;
    // Each click comes after a move to its place, as a recording has it: under wine a press right
    // after the player sets the cursor may still land where the real pointer rests.
    for (const POINT& spot : spots) {
        events.push_back(moveStep(spot, 0.3));
        events.push_back(pressStep(spot, true, 0.1));
        events.push_back(pressStep(spot, false, 0.1));
    }
    const std::wstring script = folder + L"\\clicks.json";
    std::wstring error;
    ASSERT_TRUE(saveScript(script, events, error));
    ASSERT_TRUE(app.closeWithKeyboard());
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code));
    App edited;
    ASSERT_TRUE(edited.start(folderFor(L"appdata_edit"), appExe(), L"\"" + script + L"\""));
    ASSERT_TRUE(edited.waitStatus(L"已加载脚本", 10000));
    HWND list = GetDlgItem(edited.window, idEventList);
    ASSERT_EQ(edited.rows().size(), 9u);

    // Rows 5 and 6 (the middle click) with a click and a Shift+click, then Del.
    const POINT fifth = rowPoint(list, 4);
    const POINT sixth = rowPoint(list, 5);
    ASSERT_TRUE(clickAt(fifth.x, fifth.y));
    ASSERT_TRUE(keyDown(L"shift") && clickAt(sixth.x, sixth.y) && keyUp(L"shift"));
    ASSERT_TRUE(pressKeys(L"Delete"));
    ASSERT_TRUE(waitUntil([&] { return edited.rows().size() == 7u; }, 3000));
    EXPECT_EQ(controlText(edited.window, idEventCount), L"(7)");
    EXPECT_EQ(edited.rows()[4].substr(0, 9), L"  #0005  ") << "renumbered";
    ASSERT_TRUE(pressKeys(L"ctrl+z"));
    ASSERT_TRUE(waitUntil([&] { return edited.rows().size() == 9u; }, 3000)) << "Ctrl+Z brings them back";
    EXPECT_EQ(controlText(edited.window, idEventCount), L"(9)");

    // A delay of 0.25 s for the first row, through the menu and the dialog.
    const POINT first = rowPoint(list, 0);
    ASSERT_TRUE(clickAt(first.x, first.y));
    ASSERT_TRUE(clickAt(first.x, first.y, 3));
    ASSERT_TRUE(popupMenuOpens(edited.processId()));
    ASSERT_TRUE(pressKeys(L"Down Down Return"));
    HWND dialog = waitForTopLevel(edited.processId(), L"#32770", L"设置延迟", 5000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(typeText(L"0.25", 30) && pressKeys(L"Return"));
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 3000));

    // Play from the seventh row (the move to the last click): the target gets only that click.
    const size_t before = target.entries().size();
    const POINT seventh = rowPoint(list, 6);
    ASSERT_TRUE(clickAt(seventh.x, seventh.y));
    ASSERT_TRUE(clickAt(seventh.x, seventh.y, 3));
    ASSERT_TRUE(popupMenuOpens(edited.processId()));
    ASSERT_TRUE(pressKeys(L"Down Down Down Down Return"));
    ASSERT_TRUE(edited.waitStatus(L"✅ 完成", 10000)) << wideToUtf8(edited.status());
    // The presses are placed by the player itself; a release acts wherever the cursor is, and
    // under wine the cursor may slip back to where the real pointer rests (on the menu) for a
    // moment, so only the presses tell which events were played.
    const auto pressesSince = [&] {
        std::vector<TargetEntry> found;
        const std::vector<TargetEntry> all = target.entries();
        for (size_t i = before; i < all.size(); ++i) {
            if (all[i].name == "ldown") {
                found.push_back(all[i]);
            }
        }
        return found;
    };
    waitUntil([&] { return !pressesSince().empty(); }, 3000);
    Sleep(300);  // a press that should not be there would have come by now
    const std::vector<TargetEntry> presses = pressesSince();
    ASSERT_EQ(presses.size(), 1u) << "only the events from the selected row on";
    EXPECT_EQ(presses[0].a, spots[2].x);
    EXPECT_EQ(presses[0].b, spots[2].y);

    // No editing while recording: Del in the list deletes nothing.
    ASSERT_TRUE(edited.activate());
    ASSERT_TRUE(pressKeys(L"F8"));
    MessageBoxSeen question;
    ASSERT_TRUE(waitForMessageBox(edited.processId(), L"确认", question, 5000));
    ASSERT_TRUE(answerMessageBox(question, IDNO));
    ASSERT_TRUE(edited.waitStatus(L"● 录制中...", 5000));
    const size_t rowsWhileRecording = edited.rows().size();
    ASSERT_TRUE(pressKeys(L"Delete"));
    Sleep(300);
    EXPECT_EQ(edited.rows().size(), rowsWhileRecording);
    ASSERT_TRUE(pressKeys(L"F9"));
    ASSERT_TRUE(edited.waitStatusPrefix(L"已停止 (", 5000));

    // The recording replaced the script; an edit of it makes the close ask.
    ASSERT_TRUE(edited.activate());
    if (edited.rows().empty()) {
        // Nothing was recorded: load the clicks again and edit those.
        ASSERT_TRUE(edited.click(idLoad));
        ASSERT_TRUE(chooseFileInDialog(edited.processId(), script, 10000));
        MessageBoxSeen loaded;
        ASSERT_TRUE(waitForMessageBox(edited.processId(), L"提示", loaded, 10000));
        ASSERT_TRUE(answerMessageBox(loaded, IDOK));
    }
    const POINT again = rowPoint(list, 0);
    ASSERT_TRUE(clickAt(again.x, again.y) && pressKeys(L"Delete"));
    ASSERT_TRUE(edited.closeWithKeyboard());
    MessageBoxSeen prompt;
    ASSERT_TRUE(waitForMessageBox(edited.processId(), L"关闭", prompt, 5000)) << "an edited script is unsaved";
    ASSERT_TRUE(answerMessageBox(prompt, IDNO));
    ASSERT_TRUE(edited.waitForExit(10000, code));
    EXPECT_EQ(code, 0u);
    target.close();
}

}  // namespace
