// A text step through the real window and the real player: inserted through the list's menu and
// its dialog (a line typed with Enter in the box), saved, loaded again by another start of the
// program and typed into notepad exactly, whatever the characters.
#include <string>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "e2e/e2e_app.h"
#include "e2e/e2e_support.h"
#include "support/file_bytes.h"
#include "support/xdotool.h"
#include "ui/text_step_dialog.h"

namespace {

// The first line is set in the box at once (xdotool cannot type Chinese into wine); the second
// comes from real keys, after a real Enter.
const std::wstring kFirstLine = L"你好，Lormin 7\xD83D\xDE00";
const std::wstring kTyped = kFirstLine + L"\r\n\"q\" \\";

TEST_F(E2e, ATextStepInsertedThroughTheDialogIsSavedLoadedAndTypedExactly)
{
    const std::wstring folder = folderFor(L"text_step");
    const std::wstring script = folder + L"\\text.json";
    removeFileIfPresent(script);
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_text_step")));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));

    // The list's menu, opened on the empty list: its fifth item is "插入文字...".
    const POINT inList = centerOf(GetDlgItem(app.window, idEventList));
    ASSERT_TRUE(clickAt(inList.x, inList.y, 3));
    ASSERT_NE(waitForTopLevel(app.processId(), L"#32768", nullptr, 3000), nullptr);
    ASSERT_TRUE(pressKeys(L"Down Down Down Down Down Return"));
    HWND dialog = waitForTopLevel(app.processId(), L"#32770", L"插入文字", 5000);
    ASSERT_NE(dialog, nullptr);
    HWND box = GetDlgItem(dialog, IDC_TEXT_STEP_TEXT);
    ASSERT_TRUE(SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kFirstLine.c_str())));
    ASSERT_TRUE(pressKeys(L"ctrl+End Return quotedbl q quotedbl space backslash"));
    ASSERT_TRUE(waitUntil([&] { return windowText(box) == kTyped; }, 3000))
        << "Enter makes a new line in the box: " << wideToUtf8(windowText(box));
    HWND delay = GetDlgItem(dialog, IDC_TEXT_STEP_DELAY);
    ASSERT_TRUE(SendMessageW(delay, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1.5")));
    ASSERT_TRUE(clickControl(dialog, IDOK));
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 3000));
    ASSERT_TRUE(waitUntil([&] { return app.rows().size() == 1u; }, 3000));
    EXPECT_EQ(app.rows()[0], L"  #0001  文字 「" + kFirstLine + L"⏎\"q\" \\」");

    ASSERT_TRUE(app.click(idSave));
    ASSERT_TRUE(chooseFileInDialog(app.processId(), script, 10000));
    MessageBoxSeen saved;
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"提示", saved, 10000));
    EXPECT_EQ(saved.text, L"已保存");
    ASSERT_TRUE(answerMessageBox(saved, IDOK));
    EXPECT_EQ(readFileBytes(script), "{\n  \"v\": 4,\n  \"events\": [\n"
                                     "    {\"t\": \"tx\", \"d\": 1.5, \"s\": \"" +
                                         wideToUtf8(kFirstLine) + "\\n\\\"q\\\" \\\\\"}\n  ]\n}\n");
    ASSERT_TRUE(app.closeWithKeyboard());
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code));

    // Loaded again by the command line and played into notepad, which has the keyboard.
    Notepad notepad;
    ASSERT_TRUE(openNotepad(notepad, RECT{300, 200, 900, 600}));
    const POINT inside = centerOf(notepad.edit);
    ASSERT_TRUE(clickAt(inside.x, inside.y));
    ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == notepad.window; }, 3000));
    App player;
    ASSERT_TRUE(player.start(folderFor(L"appdata_text_step"), appExe(), L"--play \"" + script + L"\""));
    ASSERT_TRUE(player.waitForExit(15000, code)) << "the program ends with its playback";
    EXPECT_EQ(code, 0u);
    // The characters are on their way in notepad's queue when the player ends.
    waitUntil([&] { return windowText(notepad.edit) == kTyped; }, 5000);
    EXPECT_EQ(windowText(notepad.edit), kTyped) << wideToUtf8(windowText(notepad.edit));
    notepad.process.terminate();
}

}  // namespace
