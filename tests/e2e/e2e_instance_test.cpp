// One recorder per session: later starts hand over to the running window, opening never loses a
// recording, and a recording and an unattended playback never overlap.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "base/win_owners.h"
#include "e2e/e2e_app.h"
#include "e2e/e2e_scripts.h"
#include "e2e/e2e_support.h"
#include "script/event_description.h"
#include "script/script_file.h"
#include "support/xdotool.h"

namespace {

constexpr wchar_t kWindowGuardName[] = L"Local\\LorminRecorder.Window";

// Visible windows of the program's class, of every process.
size_t programWindowCount()
{
    size_t count = 0;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, appClass, nullptr)) != nullptr) {
        count += IsWindowVisible(window) ? 1 : 0;
    }
    return count;
}

MacroEvent moveTo(int x, int y, double delay)
{
    MacroEvent event;
    event.kind = EventKind::Move;
    event.x = x;
    event.y = y;
    event.delay = delay;
    return event;
}

std::vector<std::wstring> rowsOf(const std::vector<MacroEvent>& events)
{
    std::vector<std::wstring> rows;
    for (size_t i = 0; i < events.size(); ++i) {
        rows.push_back(formatEventRow(static_cast<uint32_t>(i), events[i]));
    }
    return rows;
}

// A later start of the program; true when it ended within the time, with its exit code.
bool startAgain(const std::wstring& arguments, const std::wstring& appData, DWORD& exitCode, unsigned timeoutMs = 15000)
{
    ChildProcess later;
    if (!later.start(appExe(), arguments, {{L"LOCALAPPDATA", appData}})) {
        return false;
    }
    bool sawWindow = false;
    waitUntil(
        [&] {
            sawWindow = sawWindow || !topLevelWindows(later.id(), appClass).empty();
            return !later.running();
        },
        timeoutMs, 5);
    EXPECT_FALSE(sawWindow) << "a later start shows no window of its own";
    return later.waitForExit(1000, exitCode);
}

std::string logOf(const std::wstring& appData)
{
    return readFileBytes(appData + L"\\ScriptRecorder\\error.log");
}

// Runs the program from a batch file, as a scheduled task or a console does; what it printed and
// its exit code come back.
struct ShellRun {
    std::string printed;
    std::string exitCode;  // "code=N ..."
};
ShellRun runFromShell(const std::wstring& name, const std::wstring& arguments, const std::wstring& appData)
{
    const std::wstring folder = folderFor(L"instance");
    const std::wstring batch = folder + L"\\" + name + L".bat";
    const std::wstring output = folder + L"\\" + name + L".txt";
    const std::wstring exitCode = folder + L"\\" + name + L"_code.txt";
    removeFileIfPresent(output);
    removeFileIfPresent(exitCode);
    ShellRun run;
    if (!writeTextFile(batch, "@echo off\r\nset LOCALAPPDATA=" + wideToUtf8(appData) + "\r\n\"" + wideToUtf8(appExe()) +
                                  "\" " + wideToUtf8(arguments) + " > \"" + wideToUtf8(output) +
                                  "\" 2>&1\r\necho code=%ERRORLEVEL% > \"" + wideToUtf8(exitCode) + "\"\r\n")) {
        return run;
    }
    ChildProcess shell;
    DWORD code = 0;
    if (shell.start(L"C:\\windows\\system32\\cmd.exe", L"/c \"" + batch + L"\"") && shell.waitForExit(20000, code)) {
        run.printed = readFileBytes(output);
        run.exitCode = readFileBytes(exitCode);
    }
    return run;
}

class Instance : public E2e {};

TEST_F(Instance, LaterStartsHandOverToTheRunningWindowWhichAsksBeforeUnsavedEventsGo)
{
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_instance_first")));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));
    const std::wstring laterData = folderFor(L"appdata_instance_later");
    ShowWindow(app.window, SW_MINIMIZE);
    ASSERT_TRUE(waitUntil([&] { return IsIconic(app.window) != FALSE; }, 3000));
    DWORD code = 1234;
    ASSERT_TRUE(startAgain(L"", laterData, code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(waitUntil([&] { return !IsIconic(app.window) && GetForegroundWindow() == app.window; }, 3000))
        << "restored and in front";
    EXPECT_EQ(programWindowCount(), 1u);

    // F8 reaches one recorder; what it records is unsaved.
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\instance_target.log", besideOf(app.window)));
    const POINT inside = target.pointAt(0.5, 0.5);
    ASSERT_TRUE(beginRecordingAt(app, inside));
    ASSERT_TRUE(clickAt(inside.x, inside.y));
    ASSERT_TRUE(pressKeys(L"F9"));
    ASSERT_TRUE(app.waitStatusPrefix(L"已停止", 5000)) << wideToUtf8(app.status());
    EXPECT_EQ(openDialogCount(app.processId()), 0u) << "one recorder heard the keys once";
    const std::vector<std::wstring> recorded = app.rows();
    ASSERT_FALSE(recorded.empty());

    // A script from a later start: the question first; Cancel keeps the recording, No opens it.
    const std::vector<MacroEvent> events = {moveTo(100, 100, 0.5), moveTo(120, 130, 0.1)};
    const std::wstring script = writeScriptIn(L"instance", L"handed over.json", events);
    for (int answer : {IDCANCEL, IDNO}) {
        ASSERT_TRUE(startAgain(L"\"" + script + L"\"", laterData, code));
        EXPECT_EQ(code, 0u) << "the running window answers before it asks";
        MessageBoxSeen question;
        ASSERT_TRUE(waitForMessageBox(app.processId(), L"确认", question, 5000));
        EXPECT_EQ(question.text, L"打开新脚本会替换当前未保存的 " + std::to_wstring(recorded.size()) +
                                     L" 条事件。\n\n是否先保存当前脚本？");
        ASSERT_TRUE(answerMessageBox(question, answer));
        if (answer == IDCANCEL) {
            Sleep(500);
            EXPECT_EQ(app.rows(), recorded);
        }
    }
    ASSERT_TRUE(app.waitStatus(L"已加载脚本", 10000)) << wideToUtf8(app.status());
    EXPECT_EQ(app.rows(), rowsOf(events));
    EXPECT_EQ(programWindowCount(), 1u);
    target.close();
}

TEST_F(Instance, AHandOverWhileABoxIsOpenOpensTheScriptOnceTheBoxCloses)
{
    const std::vector<MacroEvent> events = {moveTo(30, 40, 0.3), moveTo(50, 60, 0.1)};
    const std::wstring script = writeScriptIn(L"instance", L"after the box.json", events);
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_instance_box")));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));
    ASSERT_TRUE(app.click(idSave));  // nothing to save: a box says so
    MessageBoxSeen box;
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"提示", box, 5000));

    DWORD code = 1234;
    ASSERT_TRUE(startAgain(L"\"" + script + L"\"", folderFor(L"appdata_instance_box_second"), code));
    EXPECT_EQ(code, 0u);
    Sleep(800);
    EXPECT_TRUE(app.rows().empty()) << "nothing opens while the box is open";
    EXPECT_EQ(GetForegroundWindow(), box.box) << "the box is what comes to the front";
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    ASSERT_TRUE(app.waitStatus(L"已加载脚本", 10000)) << wideToUtf8(app.status());
    EXPECT_EQ(app.rows(), rowsOf(events));
}

TEST_F(Instance, APlayNextToTheWindowRunsWhenIdleAndIsRefusedDuringARecording)
{
    const std::wstring script =
        writeScriptIn(L"instance", L"short.json", {moveTo(700, 700, 0.2), moveTo(710, 705, 0.1)});
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_instance_play")));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));

    App idlePlay;
    const std::wstring playData = folderFor(L"appdata_instance_play_run");
    ASSERT_TRUE(idlePlay.start(playData, appExe(), L"--play \"" + script + L"\""));
    DWORD code = 1234;
    ASSERT_TRUE(idlePlay.waitForExit(15000, code));
    EXPECT_EQ(code, 0u) << "an unattended playback never waits on the window";
    EXPECT_EQ(app.status(), readyStatus) << "and the window knows nothing of it";

    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\instance_play_target.log", besideOf(app.window)));
    ASSERT_TRUE(beginRecordingAt(app, target.pointAt(0.5, 0.5)));
    const std::wstring refusedData = folderFor(L"appdata_instance_play_refused");
    removeFileIfPresent(refusedData + L"\\ScriptRecorder\\error.log");
    const ShellRun run = runFromShell(L"play_while_recording", L"--play \"" + script + L"\"", refusedData);
    EXPECT_EQ(run.exitCode.substr(0, 6), "code=4") << run.exitCode;
    const std::string refusal = "另一个录制正在进行，暂不能回放：" + wideToUtf8(script);
    EXPECT_NE(run.printed.find(refusal), std::string::npos) << run.printed;
    EXPECT_NE(logOf(refusedData).find("[命令行] " + refusal), std::string::npos) << logOf(refusedData);
    EXPECT_EQ(app.status(), L"● 录制中...") << "the recording goes on";
    ASSERT_TRUE(pressKeys(L"F9"));
    EXPECT_TRUE(app.waitStatusPrefix(L"已停止", 5000)) << wideToUtf8(app.status());
    target.close();
}

TEST_F(Instance, F8IsRefusedWhileAPlayRunsAndAPlainStartThenStillOpensAWindow)
{
    MacroEvent wait = moveTo(600, 600, 300.0);
    const std::wstring script = writeScriptIn(L"instance", L"long wait.json", {wait});
    App play;
    ASSERT_TRUE(play.start(folderFor(L"appdata_instance_long_play"), appExe(), L"--play \"" + script + L"\""));
    ASSERT_TRUE(play.waitStatusPrefix(L"▶ 回放中", 10000)) << wideToUtf8(play.status());

    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_instance_during_play"))) << "a --play is no window instance";
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));
    ASSERT_TRUE(app.activate());
    ASSERT_TRUE(pressKeys(L"F8"));
    EXPECT_TRUE(app.waitStatus(L"另一个回放正在进行，暂不能录制。", 5000)) << wideToUtf8(app.status());
    Sleep(300);
    EXPECT_FALSE(app.status() == L"● 录制中...");

    ASSERT_TRUE(pressKeys(L"F9"));
    DWORD code = 1234;
    ASSERT_TRUE(play.waitForExit(10000, code)) << "the stop key still ends the playback";
    EXPECT_EQ(code, 1u);
    ASSERT_TRUE(pressKeys(L"F8"));
    EXPECT_TRUE(app.waitStatus(L"● 录制中...", 5000)) << "free again once the playback ended";
    ASSERT_TRUE(pressKeys(L"F9"));
    EXPECT_TRUE(app.waitStatusPrefix(L"已停止", 5000));
}

TEST_F(Instance, AGuardWithoutAWindowEndsALaterStartWithOneAndHelpStillWorks)
{
    // The guard held by something that shows no window: an instance still starting, or hung.
    const KernelHandle guard(CreateMutexW(nullptr, FALSE, kWindowGuardName));
    ASSERT_TRUE(guard);
    const std::wstring appData = folderFor(L"appdata_instance_no_answer");
    removeFileIfPresent(appData + L"\\ScriptRecorder\\error.log");
    const ULONGLONG started = GetTickCount64();
    DWORD code = 1234;
    ASSERT_TRUE(startAgain(L"", appData, code, 20000));
    const ULONGLONG took = GetTickCount64() - started;
    EXPECT_EQ(code, 1u);
    EXPECT_GE(took, 4000u) << "it waits for an answer";
    EXPECT_LT(took, 15000u) << "generous bound on the 5 s limit";
    EXPECT_NE(logOf(appData).find("[启动] 已有实例在运行，但它的窗口 5 秒内没有应答，本次启动退出"), std::string::npos)
        << logOf(appData);

    const ShellRun help = runFromShell(L"help_while_held", L"--help", appData);
    EXPECT_EQ(help.exitCode.substr(0, 6), "code=0") << help.exitCode << " --help works whatever runs";
    EXPECT_NE(help.printed.find("用法："), std::string::npos) << help.printed;
}

// An instance that is closing holds the guard without a window for a moment: a start then waits
// for it to go and opens its own window (it used to give up after 5 s and show nothing).
TEST_F(Instance, AStartWhileTheInstanceClosesOpensItsWindowOnceTheGuardIsFree)
{
    KernelHandle guard(CreateMutexW(nullptr, FALSE, kWindowGuardName));
    ASSERT_TRUE(guard);
    const std::wstring appData = folderFor(L"appdata_instance_closing");
    removeFileIfPresent(appData + L"\\ScriptRecorder\\error.log");
    ChildProcess later;
    ASSERT_TRUE(later.start(appExe(), L"", {{L"LOCALAPPDATA", appData}}));
    ASSERT_TRUE(waitUntil([&] { return logOf(appData).find("启动 v") != std::string::npos; }, 20000));
    Sleep(1500);
    guard.reset();  // the closing instance ends
    const HWND window = waitForTopLevel(later.id(), appClass, nullptr, 20000);
    ASSERT_NE(window, nullptr) << "no window; log:\n" << logOf(appData);
    EXPECT_NE(logOf(appData).find("[启动] 已有的实例刚刚关闭，本次启动打开窗口"), std::string::npos) << logOf(appData);
    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    DWORD code = 1234;
    ASSERT_TRUE(later.waitForExit(15000, code));
    EXPECT_EQ(code, 0u);
}

// Twenty closes and starts in a row: each start comes as soon as the previous window is gone,
// while that process may still be ending, and shows its window (never a hand-over to the instance
// that is going, nor nothing at all).
TEST_F(Instance, TwentyClosesAndStartsInARowEachOpenTheWindow)
{
    const std::wstring appData = folderFor(L"appdata_instance_restarts");
    removeFileIfPresent(appData + L"\\ScriptRecorder\\error.log");
    std::unique_ptr<ChildProcess> previous;
    for (int round = 1; round <= 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        auto app = std::make_unique<ChildProcess>();
        ASSERT_TRUE(app->start(appExe(), L"", {{L"LOCALAPPDATA", appData}})) << "CreateProcess err=" << GetLastError();
        const HWND window = waitForTopLevel(app->id(), appClass, nullptr, 30000);
        DWORD code = 1234;
        const bool ended = app->waitForExit(0, code);
        ASSERT_NE(window, nullptr) << (ended ? "ended with code " + std::to_string(code) : std::string("still running"))
                                   << "; log:\n"
                                   << logOf(appData);
        if (previous != nullptr) {
            ASSERT_TRUE(previous->waitForExit(15000, code));
            EXPECT_EQ(code, 0u);
        }
        ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
        ASSERT_TRUE(waitUntil([&] { return !IsWindow(window); }, 15000));
        previous = std::move(app);
    }
    DWORD code = 1234;
    ASSERT_TRUE(previous->waitForExit(15000, code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
