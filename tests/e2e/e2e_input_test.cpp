// What a playback leaves behind in other programs, seen from outside through the real
// LorminRecorder.exe: no button or key release without its press, no context menu opened by a
// stray right button-up, nothing left down after a playback or after a stop in a drag.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "e2e/e2e_app.h"
#include "e2e/e2e_support.h"

namespace {

// The releases in entries[from..] whose press the window never saw: a button-up without its
// button-down (a double-click message counts as a press), a key-up of a key that was not down.
std::vector<std::string> releasesWithoutPress(const std::vector<TargetEntry>& entries, size_t from)
{
    std::vector<std::string> unpaired;
    std::vector<std::string> buttonsDown;
    std::vector<long> keysDown;
    const auto buttonOf = [](const std::string& name) { return name.substr(0, 1); };
    for (size_t i = from; i < entries.size(); ++i) {
        const TargetEntry& e = entries[i];
        char line[96];
        snprintf(line, sizeof line, "%.4f %s %ld", e.time, e.name.c_str(), e.a);
        if (e.name == "ldown" || e.name == "rdown" || e.name == "mdown" || e.name == "ldbl" || e.name == "rdbl" ||
            e.name == "mdbl") {
            buttonsDown.push_back(buttonOf(e.name));
        } else if (e.name == "lup" || e.name == "rup" || e.name == "mup") {
            const auto found = std::find(buttonsDown.begin(), buttonsDown.end(), buttonOf(e.name));
            if (found == buttonsDown.end()) {
                unpaired.push_back(line);
            } else {
                buttonsDown.erase(found);
            }
        } else if (e.name == "keydown" || e.name == "syskeydown") {
            if (std::find(keysDown.begin(), keysDown.end(), e.a) == keysDown.end()) {
                keysDown.push_back(e.a);
            }
        } else if (e.name == "keyup" || e.name == "syskeyup") {
            const auto found = std::find(keysDown.begin(), keysDown.end(), e.a);
            if (found == keysDown.end()) {
                unpaired.push_back(line);
            } else {
                keysDown.erase(found);
            }
        }
    }
    return unpaired;
}

size_t countNamed(const std::vector<TargetEntry>& entries, size_t from, const char* name)
{
    return static_cast<size_t>(
        std::count_if(entries.begin() + static_cast<std::ptrdiff_t>(std::min(from, entries.size())), entries.end(),
                      [name](const TargetEntry& e) { return e.name == name; }));
}

// Visible popup menus (window class "#32768") of any program.
std::vector<HWND> openPopupMenus()
{
    std::vector<HWND> menus;
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            if (IsWindowVisible(window) && windowClass(window) == L"#32768") {
                reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&menus));
    return menus;
}

std::string describeKeys(const std::vector<int>& keys)
{
    std::string text;
    for (int vk : keys) {
        text += " " + std::to_string(vk);
    }
    return text.empty() ? " none" : text;
}

// Nothing down in either view of the target: the desktop's (GetAsyncKeyState over every code)
// and its thread's own (GetKeyState).
void expectNothingDown(TargetWindow& target)
{
    std::vector<int> held;
    std::vector<int> heldByThread;
    ASSERT_TRUE(target.heldKeys(held, heldByThread));
    EXPECT_TRUE(held.empty()) << "GetAsyncKeyState reports down:" << describeKeys(held);
    EXPECT_TRUE(heldByThread.empty()) << "GetKeyState reports down:" << describeKeys(heldByThread);
}

void closeAnsweringNo(App& app)
{
    ASSERT_TRUE(app.closeWithKeyboard());
    MessageBoxSeen prompt;
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"关闭", prompt, 5000));
    ASSERT_TRUE(answerMessageBox(prompt, IDNO));
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code));
    EXPECT_EQ(code, 0u);
}

void stopRecordingWithF9(const App& app)
{
    ASSERT_TRUE(pressKeys(L"F9"));
    ASSERT_TRUE(app.waitStatusPrefix(L"已停止 (", 5000)) << wideToUtf8(app.status());
}

// Runs first: on a display that was just started the wine desktop takes some seconds before
// xdotool's pointer reaches it, and every scenario below relies on it.
TEST(E2eInputHarness, PointerPositionsAreScreenPositionsOnceTheDesktopIsUp)
{
    EXPECT_TRUE(waitUntil(&pointerMatchesScreen, 30000, 500));
}

TEST_F(E2e, APlaybackSendsNoReleaseWithoutItsPressAndLeavesNothingDown)
{
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_input_pairs")));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\input_pairs_target.log", besideOf(app.window)));
    const POINT a = target.pointAt(0.3, 0.3);
    const POINT b = target.pointAt(0.5, 0.6);
    const POINT c = target.pointAt(0.7, 0.7);

    // A click, some typing with Shift, a right click and a drag, all into the target.
    ASSERT_TRUE(beginRecordingAt(app, a));
    Sleep(kLeadTimeMs);
    ASSERT_TRUE(moveMouse(a.x, a.y));
    Sleep(100);
    ASSERT_TRUE(clickAt(a.x, a.y));
    Sleep(200);
    ASSERT_TRUE(typeText(L"aB", 60));
    Sleep(200);
    ASSERT_TRUE(moveMouse(c.x, c.y));
    Sleep(100);
    ASSERT_TRUE(clickAt(c.x, c.y, 3));
    Sleep(200);
    ASSERT_TRUE(moveMouse(b.x, b.y));
    Sleep(100);
    ASSERT_TRUE(mouseDown(1));
    Sleep(100);
    ASSERT_TRUE(moveMouse(c.x, c.y));
    Sleep(100);
    ASSERT_TRUE(mouseUp(1));
    Sleep(200);
    stopRecordingWithF9(app);

    const size_t from = target.entries().size();
    ASSERT_TRUE(app.clickAndMoveTo(idPlay, a));
    ASSERT_TRUE(app.waitStatus(L"✅ 完成", 20000)) << wideToUtf8(app.status());
    Sleep(800);  // the target handles what reached it before the end
    const std::vector<TargetEntry> entries = target.entries();
    EXPECT_EQ(countNamed(entries, from, "ldown"), 2u) << "the replay reached the target";
    EXPECT_EQ(countNamed(entries, from, "rdown"), 1u);
    const std::vector<std::string> unpaired = releasesWithoutPress(entries, from);
    std::string list;
    for (const std::string& line : unpaired) {
        list += "\n  " + line;
    }
    EXPECT_TRUE(unpaired.empty()) << "releases without their press:" << list;
    expectNothingDown(target);
    closeAnsweringNo(app);
}

TEST_F(E2e, APlaybackThatEndsOverAnEditFieldOpensNoMenu)
{
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_input_menu")));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));
    Notepad notepad;
    ASSERT_TRUE(openNotepad(notepad, besideOf(app.window)));
    HWND edit = notepad.edit;
    const POINT inside = centerOf(edit);

    ASSERT_TRUE(beginRecordingAt(app, inside));
    Sleep(kLeadTimeMs);
    ASSERT_TRUE(clickAt(inside.x, inside.y));
    Sleep(200);
    ASSERT_TRUE(typeText(L"menu", 60));
    Sleep(200);
    stopRecordingWithF9(app);
    ASSERT_TRUE(clickAt(inside.x, inside.y));
    ASSERT_TRUE(pressKeys(L"ctrl+a BackSpace"));
    ASSERT_TRUE(waitUntil([&] { return windowText(edit).empty(); }, 3000));

    ASSERT_TRUE(app.clickAndMoveTo(idPlay, inside));
    ASSERT_TRUE(app.waitStatus(L"✅ 完成", 20000)) << wideToUtf8(app.status());
    EXPECT_TRUE(waitUntil([&] { return windowText(edit) == L"menu"; }, 3000)) << wideToUtf8(windowText(edit));
    Sleep(1000);  // a menu opened by a stray right button-up would be up by now
    EXPECT_TRUE(openPopupMenus().empty()) << "a popup menu opened after the playback";
    saveScreenshot(outputFolder() + L"\\input_menu_after_playback.png");

    // The check can see a menu: a real right click opens the edit field's own.
    ASSERT_TRUE(clickAt(inside.x, inside.y, 3));
    EXPECT_TRUE(waitUntil([] { return !openPopupMenus().empty(); }, 3000)) << "no menu seen after a real right click";
    ASSERT_TRUE(pressKeys(L"Escape"));
    EXPECT_TRUE(waitUntil([] { return openPopupMenus().empty(); }, 3000));

    notepad.process.terminate();
    closeAnsweringNo(app);
}

TEST_F(E2e, AStopInTheMiddleOfADragReleasesTheButtonOnce)
{
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_input_drag")));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\input_drag_target.log", besideOf(app.window)));
    const POINT a = target.pointAt(0.3, 0.3);
    const POINT b = target.pointAt(0.4, 0.6);
    const POINT c = target.pointAt(0.7, 0.6);

    // A click for the focus, then a drag held for seconds.
    ASSERT_TRUE(beginRecordingAt(app, a));
    Sleep(kLeadTimeMs);
    ASSERT_TRUE(moveMouse(a.x, a.y));
    Sleep(100);
    ASSERT_TRUE(clickAt(a.x, a.y));
    Sleep(200);
    ASSERT_TRUE(moveMouse(b.x, b.y));
    Sleep(100);
    ASSERT_TRUE(mouseDown(1));
    Sleep(100);
    ASSERT_TRUE(moveMouse(c.x, c.y));
    Sleep(4000);
    ASSERT_TRUE(mouseUp(1));
    Sleep(200);
    stopRecordingWithF9(app);

    const size_t from = target.entries().size();
    ASSERT_TRUE(app.clickAndMoveTo(idPlay, a));
    // Stopped while the replay holds the button over the target.
    ASSERT_TRUE(waitUntil([&] { return countNamed(target.entries(), from, "ldown") >= 2; }, 15000));
    Sleep(500);
    ASSERT_TRUE(pressKeys(L"F9"));
    ASSERT_TRUE(app.waitStatus(L"⏹ 停止", 3000)) << wideToUtf8(app.status());
    Sleep(800);
    const std::vector<TargetEntry> entries = target.entries();
    size_t dragPress = from;
    for (size_t i = from, presses = 0; i < entries.size(); ++i) {
        if (entries[i].name == "ldown" && ++presses == 2) {
            dragPress = i;
        }
    }
    EXPECT_EQ(countNamed(entries, dragPress, "lup"), 1u) << "the held button is released exactly once";
    const std::vector<std::string> unpaired = releasesWithoutPress(entries, from);
    EXPECT_TRUE(unpaired.empty()) << unpaired.size() << " releases without their press, the first: "
                                  << (unpaired.empty() ? "" : unpaired.front());
    expectNothingDown(target);
    closeAnsweringNo(app);
}

// ---- settings of one's own -------------------------------------------------------------------

const char kCtrlF11Settings[] = "HOTKEY_RECORD=Ctrl+F11\r\nHOTKEY_RECORD_ALT=\r\nHOTKEY_STOP=F12\r\n";

TEST_F(E2e, AChosenChordStartsAndStopsARecordingTheOldKeysDoNothingAndOnlyTypedKeysAreRecorded)
{
    AppDataFolder settings(L"appdata_input_chords", kCtrlF11Settings);
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_input_chords")));
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\input_chords_target.log", besideOf(app.window)));
    const POINT a = target.pointAt(0.4, 0.4);
    ASSERT_TRUE(clickAt(a.x, a.y));

    ASSERT_TRUE(pressKeys(L"F8 F7"));
    Sleep(500);
    EXPECT_EQ(openDialogCount(app.processId()), 0u);
    EXPECT_NE(app.status(), L"● 录制中...") << "F8 and F7 are no hotkeys any more";

    ASSERT_TRUE(pressKeys(L"ctrl+F11"));
    ASSERT_TRUE(app.waitStatus(L"● 录制中...", 5000)) << wideToUtf8(app.status());
    ASSERT_TRUE(typeText(L"abc", 60));
    ASSERT_TRUE(pressKeys(L"F12"));
    ASSERT_TRUE(app.waitStatus(L"已停止 (6条)", 5000)) << wideToUtf8(app.status());
    const std::vector<std::wstring> rows = app.rows();
    ASSERT_EQ(rows.size(), 6u);
    const wchar_t* keys[] = {L"A", L"A", L"B", L"B", L"C", L"C"};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NE(rows[i].find(keys[i]), std::wstring::npos) << wideToUtf8(rows[i]);
        EXPECT_EQ(rows[i].find(L"Ctrl"), std::wstring::npos) << wideToUtf8(rows[i]);
        EXPECT_EQ(rows[i].find(L"F1"), std::wstring::npos) << wideToUtf8(rows[i]);
    }

    // Idle with events: F8 would ask whether to save them before a new recording.
    ASSERT_TRUE(pressKeys(L"F8"));
    Sleep(500);
    EXPECT_EQ(openDialogCount(app.processId()), 0u) << "F8 does nothing";
    EXPECT_EQ(app.status(), L"已停止 (6条)");
    closeAnsweringNo(app);
}

TEST_F(E2e, ARealMouseMoveStopsAPlaybackWithTheOptionOnAndNotWithItOff)
{
    for (const bool optionOn : {true, false}) {
        SCOPED_TRACE(optionOn ? "option on" : "option off");
        AppDataFolder settings(L"appdata_input_takeover",
                               optionOn ? "STOP_ON_USER_INPUT=1\r\n" : "STOP_ON_USER_INPUT=0\r\n");
        App app;
        ASSERT_TRUE(app.start(folderFor(L"appdata_input_takeover")));
        TargetWindow target;
        ASSERT_TRUE(target.start(outputFolder() + L"\\input_takeover_target.log", besideOf(app.window)));
        const POINT a = target.pointAt(0.4, 0.4);
        const POINT away = target.pointAt(0.8, 0.8);

        // A script of keys with a long pause: the replay places no cursor of its own.
        ASSERT_TRUE(beginRecordingAt(app, a));
        ASSERT_TRUE(typeText(L"x", 60));
        Sleep(5000);
        ASSERT_TRUE(typeText(L"y", 60));
        stopRecordingWithF9(app);

        ASSERT_TRUE(app.click(idPlay));
        ASSERT_TRUE(app.waitStatusPrefix(L"▶ 回放中", 3000)) << wideToUtf8(app.status());
        Sleep(500);
        ASSERT_TRUE(moveMouse(away.x, away.y));
        if (optionOn) {
            EXPECT_TRUE(app.waitStatus(L"⏹ 检测到人工操作，已停止回放", 2000))
                << wideToUtf8(app.status());
            EXPECT_TRUE(waitUntil([&] { return controlEnabled(app.window, idPlay); }, 2000));
        } else {
            Sleep(1000);
            EXPECT_EQ(app.status().rfind(L"▶ 回放中", 0), 0u) << wideToUtf8(app.status());
            EXPECT_TRUE(app.waitStatus(L"✅ 完成", 10000)) << wideToUtf8(app.status());
        }
        expectNothingDown(target);
        closeAnsweringNo(app);
    }
}

TEST_F(E2e, APlaybackThatMovesTheCursorItselfIsNotTakenOver)
{
    AppDataFolder settings(L"appdata_input_own_moves", "STOP_ON_USER_INPUT=1\r\n");
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_input_own_moves")));
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\input_own_moves_target.log", besideOf(app.window)));
    const POINT a = target.pointAt(0.2, 0.3);
    const POINT b = target.pointAt(0.5, 0.5);
    const POINT c = target.pointAt(0.8, 0.7);

    // Clicks, a drag and moves far apart: the replay jumps the cursor around on its own.
    ASSERT_TRUE(beginRecordingAt(app, a));
    Sleep(kLeadTimeMs);
    ASSERT_TRUE(moveMouse(a.x, a.y));
    Sleep(100);
    ASSERT_TRUE(clickAt(a.x, a.y));
    Sleep(200);
    ASSERT_TRUE(moveMouse(b.x, b.y));
    Sleep(100);
    ASSERT_TRUE(mouseDown(1));
    Sleep(100);
    ASSERT_TRUE(moveMouse(c.x, c.y));
    Sleep(100);
    ASSERT_TRUE(mouseUp(1));
    Sleep(200);
    ASSERT_TRUE(clickAt(a.x, a.y, 3));
    Sleep(200);
    ASSERT_TRUE(pressKeys(L"Escape"));
    Sleep(200);
    stopRecordingWithF9(app);

    // Hands off: the click on the play button leaves the pointer there.
    ASSERT_TRUE(app.click(idPlay));
    EXPECT_TRUE(app.waitStatus(L"✅ 完成", 20000)) << wideToUtf8(app.status());
    expectNothingDown(target);
    closeAnsweringNo(app);
}

TEST_F(E2e, TheSettingsDialogCapturesAChordFromARealKeyPressAndWritesTheFile)
{
    AppDataFolder settings(L"appdata_input_dialog", "");
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_input_dialog")));
    ASSERT_TRUE(app.activate());
    // The keyboard alone: the system menu, its settings item (just above the last item, the
    // update; its S is also the mnemonic of the menu's own "Size"), the chord, OK.
    ASSERT_TRUE(pressKeys(L"alt+space"));
    Sleep(500);
    ASSERT_TRUE(pressKeys(L"Up Up Return"));
    HWND dialog = waitForTopLevel(app.processId(), L"#32770", L"设置", 5000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(pressKeys(L"ctrl+F11"));
    EXPECT_TRUE(waitUntil([&] { return controlText(dialog, 101) == L"Ctrl+F11"; }, 3000))
        << wideToUtf8(controlText(dialog, 101));
    ASSERT_TRUE(pressKeys(L"Return"));
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 3000));
    EXPECT_EQ(readFileBytes(settings.settingsFile()),
              "HOTKEY_RECORD=Ctrl+F11\r\nHOTKEY_RECORD_ALT=F7\r\nHOTKEY_STOP=F9\r\nSTOP_ON_USER_INPUT=0\r\n"
              "FOLLOW_WINDOWS=0\r\nWINDOW_WAIT_SECONDS=10\r\nHOTKEY_PAUSE=F10\r\nTRAY_ICON=1\r\nMINIMIZE_TO_TRAY=0\r\n"
              "PASS_GAP_SECONDS=0\r\n");

    // The chosen chord works at once.
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\input_dialog_target.log", besideOf(app.window)));
    const POINT a = target.pointAt(0.4, 0.4);
    ASSERT_TRUE(clickAt(a.x, a.y));
    ASSERT_TRUE(pressKeys(L"ctrl+F11"));
    EXPECT_TRUE(app.waitStatus(L"● 录制中...", 5000)) << wideToUtf8(app.status());
    ASSERT_TRUE(pressKeys(L"F9"));
    EXPECT_TRUE(app.waitStatusPrefix(L"已停止 (", 5000)) << wideToUtf8(app.status());
    ASSERT_TRUE(app.closeWithKeyboard());
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code));
    EXPECT_EQ(code, 0u);
}

TEST_F(E2e, TheSettingsDialogFollowsTheScreenScale)
{
    AppDataFolder settings(L"appdata_input_dialog_dpi", "");
    LONG okWidth[2] = {};
    LONG dialogWidth[2] = {};
    const DWORD scales[] = {96, 144};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE("dpi " + std::to_string(scales[i]));
        ScreenScale screen(scales[i]);
        ASSERT_TRUE(screen.ok);
        App app;
        ASSERT_TRUE(app.start(folderFor(L"appdata_input_dialog_dpi")));
        ASSERT_TRUE(app.activate());
        ASSERT_TRUE(pressKeys(L"alt+space"));
        Sleep(500);
        ASSERT_TRUE(pressKeys(L"Up Up Return"));
        HWND dialog = waitForTopLevel(app.processId(), L"#32770", L"设置", 5000);
        ASSERT_NE(dialog, nullptr);
        const RECT ok = screenRect(GetDlgItem(dialog, IDOK));
        const RECT client = clientScreenRect(dialog);
        okWidth[i] = ok.right - ok.left;
        dialogWidth[i] = client.right - client.left;
        EXPECT_TRUE(saveScreenshot(outputFolder() + L"\\settings_dialog_" + std::to_wstring(scales[i]) + L"dpi.png"));
        ASSERT_TRUE(pressKeys(L"Escape"));
        ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 3000));
        EXPECT_FALSE(fileExists(settings.settingsFile())) << "Cancel writes nothing";
        ASSERT_TRUE(app.closeWithKeyboard());
        DWORD code = 1234;
        ASSERT_TRUE(app.waitForExit(10000, code));
    }
    printf("[ e2e      ] settings dialog: OK button %ld px at 96 DPI, %ld px at 144 DPI; client %ld / %ld px\n",
           okWidth[0], okWidth[1], dialogWidth[0], dialogWidth[1]);
    EXPECT_NEAR(static_cast<double>(okWidth[1]) / okWidth[0], 1.5, 0.15);
    EXPECT_NEAR(static_cast<double>(dialogWidth[1]) / dialogWidth[0], 1.5, 0.15);
}

}  // namespace
