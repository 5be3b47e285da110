// The editor in the real window with real keys: a recording, a row moved with Alt+↓, two rows
// copied and pasted at the end, undone and redone, saved; the file holds the new order and the
// pasted block plays; a chord pressed into the key dialog is inserted.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "e2e/e2e_app.h"
#include "e2e/e2e_support.h"
#include "script/event_description.h"
#include "script/script_file.h"

namespace {

POINT rowPoint(HWND list, size_t row)
{
    RECT rect{};
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    POINT p{rect.left + 60, (rect.top + rect.bottom) / 2};
    ClientToScreen(list, &p);
    return p;
}

// A row without its number ("  #0001  "): what moves with the step.
std::wstring step(const std::wstring& row)
{
    return row.size() > 9 ? row.substr(9) : row;
}

TEST_F(E2e, StepsAreMovedCopiedPastedUndoneRedoneAndSaved)
{
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_step_editor")));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\step_editor_target.log", besideOf(app.window)));
    const POINT a = target.pointAt(0.3, 0.3);
    const POINT b = target.pointAt(0.7, 0.6);

    ASSERT_TRUE(beginRecordingAt(app, target.pointAt(0.9, 0.1)));
    Sleep(kLeadTimeMs);
    ASSERT_TRUE(moveMouse(a.x, a.y));
    Sleep(100);
    ASSERT_TRUE(clickAt(a.x, a.y));
    Sleep(300);
    ASSERT_TRUE(moveMouse(b.x, b.y));
    Sleep(100);
    ASSERT_TRUE(clickAt(b.x, b.y));
    Sleep(300);
    ASSERT_TRUE(pressKeys(L"F9"));
    ASSERT_TRUE(app.waitStatusPrefix(L"已停止 (", 5000)) << wideToUtf8(app.status());
    const std::vector<std::wstring> recorded = app.rows();
    const size_t n = recorded.size();
    ASSERT_GE(n, 4u);
    ASSERT_TRUE(app.activate());
    HWND list = GetDlgItem(app.window, idEventList);

    // Alt+↓ on the first row that differs from the next (before the last click's rows): the two
    // change places.
    size_t k = 0;
    while (k + 3 < n && step(recorded[k]) == step(recorded[k + 1])) {
        ++k;
    }
    ASSERT_LT(k + 3, n) << "a recording of two clicks has rows that differ";
    const POINT moved = rowPoint(list, k);
    ASSERT_TRUE(clickAt(moved.x, moved.y));
    ASSERT_TRUE(pressKeys(L"alt+Down"));
    ASSERT_TRUE(waitUntil([&] { return step(app.rows()[k + 1]) == step(recorded[k]); }, 3000)) << "moved down";
    EXPECT_EQ(step(app.rows()[k]), step(recorded[k + 1]));

    // The last two rows (the second click) copied, unselected, pasted at the end.
    const POINT last = rowPoint(list, n - 1);
    const POINT beforeLast = rowPoint(list, n - 2);
    ASSERT_TRUE(clickAt(beforeLast.x, beforeLast.y));
    ASSERT_TRUE(keyDown(L"shift") && clickAt(last.x, last.y) && keyUp(L"shift"));
    ASSERT_TRUE(pressKeys(L"ctrl+c"));
    ASSERT_TRUE(app.waitStatus(L"已复制 2 个步骤", 3000)) << wideToUtf8(app.status());
    ASSERT_TRUE(keyDown(L"ctrl") && clickAt(beforeLast.x, beforeLast.y) && clickAt(last.x, last.y) && keyUp(L"ctrl"));
    ASSERT_TRUE(pressKeys(L"ctrl+v"));
    ASSERT_TRUE(waitUntil([&] { return app.rows().size() == n + 2; }, 3000)) << "pasted";

    // Undo takes the paste back, redo (Ctrl+Y) makes it again.
    ASSERT_TRUE(pressKeys(L"ctrl+z"));
    ASSERT_TRUE(waitUntil([&] { return app.rows().size() == n; }, 3000)) << "undone";
    ASSERT_TRUE(pressKeys(L"ctrl+y"));
    ASSERT_TRUE(waitUntil([&] { return app.rows().size() == n + 2; }, 3000)) << "redone";
    const std::vector<std::wstring> edited = app.rows();

    const std::wstring path = folderFor(L"scripts") + L"\\step_editor";
    removeFileIfPresent(path + L".json");
    ASSERT_TRUE(app.click(idSave));
    ASSERT_TRUE(chooseFileInDialog(app.processId(), path, 10000));
    MessageBoxSeen box;
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"提示", box, 5000));
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    std::vector<MacroEvent> saved;
    std::wstring error;
    ASSERT_TRUE(loadScript(path + L".json", saved, error)) << wideToUtf8(error);
    ASSERT_EQ(saved.size(), n + 2);
    std::vector<std::wstring> expected = recorded;
    std::swap(expected[k], expected[k + 1]);
    expected.push_back(recorded[n - 2]);
    expected.push_back(recorded[n - 1]);
    for (size_t i = 0; i < saved.size(); ++i) {
        const std::wstring row = formatEventRow(static_cast<uint32_t>(i), saved[i]);
        EXPECT_EQ(row, edited[i]) << i;
        EXPECT_EQ(step(row), step(expected[i])) << i;
    }
    ASSERT_EQ(saved[n].kind, EventKind::Click);
    ASSERT_TRUE(saved[n].pressed);

    // Played from the copied click on, the menu opened from the keyboard: the target gets that
    // click and the pasted one after it. (Under wine a press right after the player set the cursor
    // may land where the real pointer rests, so the pointer rests on the clicks' place.)
    const size_t before = target.entries().size();
    const POINT copiedRow = rowPoint(list, n - 2);
    ASSERT_TRUE(clickAt(copiedRow.x, copiedRow.y));
    ASSERT_TRUE(moveMouse(saved[n].x, saved[n].y));
    ASSERT_TRUE(pressKeys(L"shift+F10"));
    ASSERT_NE(waitForTopLevel(app.processId(), L"#32768", nullptr, 3000), nullptr);
    ASSERT_TRUE(pressKeys(L"Down Down Down Down Return"));
    ASSERT_TRUE(app.waitStatus(L"✅ 完成", 10000)) << wideToUtf8(app.status());
    const auto presses = [&] {
        std::vector<TargetEntry> found;
        const std::vector<TargetEntry> all = target.entries();
        for (size_t i = before; i < all.size(); ++i) {
            // The pasted press follows the copied click closely: a double-click's second press.
            if (all[i].name == "ldown" || all[i].name == "ldbl") {
                found.push_back(all[i]);
            }
        }
        return found;
    };
    waitUntil([&] { return presses().size() >= 2; }, 3000);
    const std::vector<TargetEntry> played = presses();
    std::string seen;  // what the target got, for a failure's message
    const std::vector<TargetEntry> all = target.entries();
    for (size_t i = before; i < all.size(); ++i) {
        seen += " " + all[i].name + "(" + std::to_string(all[i].a) + "," + std::to_string(all[i].b) + ")";
    }
    ASSERT_EQ(played.size(), 2u) << "the copied click and the pasted one; the target got" << seen;
    EXPECT_EQ(played[1].a, saved[n].x) << "the pasted click played where it was recorded";
    EXPECT_EQ(played[1].b, saved[n].y);

    // A chord pressed into 插入按键...'s field goes in as its downs and ups.
    const size_t rowsBefore = app.rows().size();
    constexpr WPARAM kInsertKeyCommand = 3108;  // the list menu's 插入按键...
    ASSERT_TRUE(PostMessageW(app.window, WM_COMMAND, kInsertKeyCommand, 0));
    HWND keyDialog = waitForTopLevel(app.processId(), L"#32770", L"插入按键", 5000);
    ASSERT_NE(keyDialog, nullptr);
    constexpr int kKeyField = 100;
    ASSERT_TRUE(pressKeys(L"ctrl+shift+F5"));
    ASSERT_TRUE(waitUntil([&] { return controlText(keyDialog, kKeyField) == L"Ctrl+Shift+F5"; }, 3000))
        << wideToUtf8(controlText(keyDialog, kKeyField));
    ASSERT_TRUE(pressKeys(L"Tab Return"));
    ASSERT_TRUE(waitUntil([&] { return app.rows().size() == rowsBefore + 6; }, 3000)) << "Ctrl, Shift, F5 down and up";
    target.close();
}

}  // namespace
