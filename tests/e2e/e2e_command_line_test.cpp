// LorminRecorder.exe started with arguments, as a scheduled task, a batch file or Explorer starts
// it: unattended playback and its exit codes, errors on the caller's console, a script to open.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "e2e/e2e_app.h"
#include "e2e/e2e_scripts.h"
#include "e2e/e2e_support.h"
#include "script/event_description.h"
#include "script/script_file.h"
#include "support/xdotool.h"

namespace {

// Types the word with key-downs and key-ups of its capital letters (the keys' names).
std::vector<MacroEvent> typingScript(const char* word, double firstDelay)
{
    std::vector<MacroEvent> events;
    for (const char* c = word; *c != '\0'; ++c) {
        const char key[2] = {*c, '\0'};
        events.push_back(keyStep(EventKind::KeyDown, key, events.empty() ? firstDelay : 0.04));
        events.push_back(keyStep(EventKind::KeyUp, key, 0.03));
    }
    return events;
}

class CommandLine : public E2e {};

TEST_F(CommandLine, PlayTypesIntoTheProgramInFrontWhileTheWindowStaysMinimisedAndExitsZero)
{
    Notepad notepad;
    ASSERT_TRUE(openNotepad(notepad, RECT{300, 200, 900, 600}));
    const POINT inside = centerOf(notepad.edit);
    ASSERT_TRUE(clickAt(inside.x, inside.y));
    ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == notepad.window; }, 3000));

    const std::wstring script = writeScriptIn(L"command_line", L"typing.json", typingScript("LORMIN", 1.0));
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_play"), appExe(), L"--play \"" + script + L"\" --speed 2"));
    EXPECT_TRUE(IsIconic(app.window)) << "the window is shown minimised";
    EXPECT_EQ(GetForegroundWindow(), notepad.window) << "the program being driven keeps the keyboard";
    EXPECT_TRUE(waitUntil([&] { return controlText(app.window, idSpeed) == L"2.0"; }, 3000))
        << "the fields show the values used";
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(15000, code)) << "the program ends with its playback";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(windowText(notepad.edit), L"lormin");
    EXPECT_NE(app.errorLog().find("退出"), std::string::npos);
    notepad.process.terminate();
}

TEST_F(CommandLine, TheStopKeyEndsALongPlaybackWithExitCodeOne)
{
    std::vector<MacroEvent> events = typingScript("A", 300.0);
    const std::wstring script = writeScriptIn(L"command_line", L"long.json", events);
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_play_stop"), appExe(), L"--play \"" + script + L"\" --endless"));
    ASSERT_TRUE(app.waitStatus(L"▶ 回放中...（第 1 次，无限循环）", 10000)) << wideToUtf8(app.status());
    const ULONGLONG pressed = GetTickCount64();
    ASSERT_TRUE(pressKeys(L"F9"));
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code));
    const ULONGLONG took = GetTickCount64() - pressed;
    printf("[ e2e      ] --play ended %llu ms after the stop key\n", static_cast<unsigned long long>(took));
    EXPECT_EQ(code, 1u);
    EXPECT_LT(took, 5000u) << "generous bound: the playback notices a stop within milliseconds";
}

TEST_F(CommandLine, AMissingScriptExitsThreeWithoutAWindow)
{
    ChildProcess app;
    const std::wstring appData = folderFor(L"appdata_missing");
    ASSERT_TRUE(app.start(appExe(), L"--play Z:\\no\\such\\script.json", {{L"LOCALAPPDATA", appData}}));
    bool sawWindow = false;
    DWORD code = 1234;
    waitUntil(
        [&] {
            sawWindow = sawWindow || !topLevelWindows(app.id(), appClass).empty();
            return !app.running();
        },
        10000, 5);
    ASSERT_TRUE(app.waitForExit(1000, code));
    EXPECT_EQ(code, 3u);
    EXPECT_FALSE(sawWindow);
    const std::string log = readFileBytes(appData + L"\\ScriptRecorder\\error.log");
    EXPECT_NE(log.find("[命令行] 无法加载脚本 Z:\\no\\such\\script.json：无法打开文件"), std::string::npos) << log;
}

TEST_F(CommandLine, BadArgumentsExitTwoWithTheUsageOnTheConsole)
{
    const std::wstring folder = folderFor(L"command_line");
    const std::wstring batch = folder + L"\\bad_arguments.bat";
    const std::wstring output = folder + L"\\bad_arguments.txt";
    const std::wstring exitCode = folder + L"\\bad_arguments_code.txt";
    removeFileIfPresent(output);
    removeFileIfPresent(exitCode);
    ASSERT_TRUE(writeTextFile(batch, "@echo off\r\n\"" + wideToUtf8(appExe()) + "\" --play x.json --loops 0 > \"" +
                                         wideToUtf8(output) + "\" 2>&1\r\necho code=%ERRORLEVEL% > \"" +
                                         wideToUtf8(exitCode) + "\"\r\n"));
    ChildProcess shell;
    ASSERT_TRUE(shell.start(L"C:\\windows\\system32\\cmd.exe", L"/c \"" + batch + L"\""));
    DWORD code = 1234;
    ASSERT_TRUE(shell.waitForExit(20000, code));
    EXPECT_EQ(readFileBytes(exitCode).substr(0, 6), "code=2") << readFileBytes(exitCode);
    const std::string printed = readFileBytes(output);
    EXPECT_NE(printed.find("参数错误：次数须在 1 到 999 之间：0"), std::string::npos) << printed;
    EXPECT_NE(printed.find("用法："), std::string::npos) << printed;
    EXPECT_NE(printed.find("--no-fidelity"), std::string::npos) << printed;
}

TEST_F(CommandLine, AScriptNamedAsTheOnlyArgumentIsShownLoaded)
{
    std::vector<MacroEvent> events = typingScript("OK", 0.5);
    const std::wstring script = writeScriptIn(L"command_line", L"open me.json", events);
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_open"), appExe(), L"\"" + script + L"\""));
    ASSERT_TRUE(app.waitStatus(L"已加载脚本", 10000)) << wideToUtf8(app.status());
    std::vector<std::wstring> expected;
    for (size_t i = 0; i < events.size(); ++i) {
        expected.push_back(formatEventRow(static_cast<uint32_t>(i), events[i]));
    }
    EXPECT_EQ(app.rows(), expected);
    EXPECT_EQ(controlText(app.window, idEventCount), L"(4)");
    EXPECT_FALSE(IsIconic(app.window));
    ASSERT_TRUE(app.closeWithKeyboard());
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code)) << "a loaded script counts as saved: no prompt";
    EXPECT_EQ(code, 0u);
}

}  // namespace
