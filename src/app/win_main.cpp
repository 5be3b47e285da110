// Process entry: brings the parts up in order, runs the message loop, and takes them down.
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

#include "app/command_line.h"
#include "app/console_output.h"
#include "app/crash_filter.h"
#include "app/running_window.h"
#include "app/start_plan.h"
#include "base/error_log.h"
#include "base/message_box.h"
#include "base/playback_pointer.h"
#include "base/program_version.h"
#include "base/session_guards.h"
#include "base/system_dpi.h"
#include "base/text_encoding.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "script/script_file.h"
#include "settings/user_settings_file.h"
#include "ui/control_ids.h"
#include "ui/main_window.h"

namespace {

using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);

void becomeDpiAware()
{
    // The manifest normally does this already, and then the call fails: fall back either way.
    auto setContext = systemFunction<SetProcessDpiAwarenessContextFn>(L"user32.dll", "SetProcessDpiAwarenessContext");
    if (setContext == nullptr || !setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) {
        SetProcessDPIAware();
    }
}

// The timer resolution is raised for the whole run: playback's sleep steps depend on 1 ms ticks.
class TimerResolution {
public:
    TimerResolution() { timeBeginPeriod(1); }
    ~TimerResolution() { timeEndPeriod(1); }
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;
};

// A start that nobody watches (--play) says what went wrong only in the log.
void startInputHooks(Recorder& recorder, HWND window, bool unattended, const WindowFacts& facts)
{
    if (!recorder.startHookThread(window)) {
        ErrorLog::write(L"[警告] 无法启动键盘鼠标监听线程");
        if (!unattended) {
            showMessageBox(window, L"键盘鼠标监听初始化失败，热键与录制功能均不可用。", L"警告",
                           MB_OK | MB_ICONWARNING);
        }
        return;
    }
    if (recorder.hookState() == HookState::Failed) {
        ErrorLog::write(L"[警告] 钩子安装失败，热键与录制不可用");
        if (!unattended) {
            showMessageBox(window, hooksFailedText(facts).c_str(), L"警告", MB_OK | MB_ICONWARNING);
        }
    }
}

std::vector<std::wstring> commandLineArguments()
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> result;
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        result.emplace_back(arguments[i]);
    }
    LocalFree(arguments);
    return result;
}

// Tells the caller of an unattended run what went wrong: on its console when it has one, and in
// the log in any case. Never a message box: nobody may be there to close it.
int reportFailure(ExitCode code, const std::wstring& text)
{
    ErrorLog::write(L"[命令行] %ls", text.c_str());
    writeToCaller(ConsoleStream::Error, text + L"\r\n");
    return static_cast<int>(code);
}

int showUsage()
{
    if (!writeToCaller(ConsoleStream::Output, usageText())) {
        showMessageBox(nullptr, usageText().c_str(), kMainWindowTitle, MB_OK | MB_ICONINFORMATION);
    }
    return static_cast<int>(ExitCode::Completed);
}

int refuseCommandLine(const StartRequest& request)
{
    ErrorLog::write(L"[命令行] 参数错误：%ls", request.error.c_str());
    writeToCaller(ConsoleStream::Error, L"参数错误：" + request.error + L"\r\n\r\n" + usageText());
    return static_cast<int>(ExitCode::BadArguments);
}

// The script of an unattended playback, loaded before any window exists so that a script that
// cannot be played leaves no window behind.
bool loadUnattendedScript(const StartRequest& request, std::vector<MacroEvent>& events,
                          std::vector<WindowIdentity>& windows, int& exitCode)
{
    const std::wstring& path = request.files.front();
    std::wstring error;
    if (!loadScript(path, events, windows, error, LoadProgress{})) {
        exitCode = reportFailure(ExitCode::ScriptNotLoaded, L"无法加载脚本 " + path + L"：" + error);
        return false;
    }
    if (events.empty()) {
        exitCode = reportFailure(ExitCode::ScriptNotLoaded, L"脚本中没有事件：" + path);
        return false;
    }
    return true;
}

int outcomeExitCode(MainWindow::PlaybackOutcome outcome)
{
    switch (outcome) {
    case MainWindow::PlaybackOutcome::Completed: return static_cast<int>(ExitCode::Completed);
    case MainWindow::PlaybackOutcome::Refused: return static_cast<int>(ExitCode::InputRefused);
    case MainWindow::PlaybackOutcome::WindowMissing: return static_cast<int>(ExitCode::WindowMissing);
    case MainWindow::PlaybackOutcome::WaitTimedOut: return static_cast<int>(ExitCode::WaitTimedOut);
    case MainWindow::PlaybackOutcome::Stopped:
    case MainWindow::PlaybackOutcome::None: break;  // the window was closed during the playback
    }
    return static_cast<int>(ExitCode::StoppedByUser);
}

int runMessageLoop(const MainWindow& mainWindow, Recorder& recorder)
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        HWND dialog = mainWindow.handle();
        if (dialog == nullptr || !IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // The window is gone: a start from now on opens a window of its own rather than waiting for
    // this process to end, which may take a while under load (threads to join, the log to write).
    sessionGuardSeam.giveUp(SessionGuard::WindowInstance);
    recorder.stopHookThread();
    return 0;
}

// The script and the choices of a playback from the command line; false (with the exit code) when
// the script cannot be played.
bool prepareUnattendedPlayback(const StartRequest& request, MainWindow::UnattendedPlayback& playback, int& exitCode)
{
    if (!loadUnattendedScript(request, playback.events, playback.windows, exitCode)) {
        return false;
    }
    playback.speed = request.speed;
    playback.loops = request.loops;
    playback.endless = request.endless;
    if (request.followWindows != FollowWindows::FromSettings) {
        playback.followWindows = request.followWindows == FollowWindows::On;
    }
    playback.windowWaitSeconds = request.windowWaitSeconds;
    playback.passGapSeconds = request.passGapSeconds;
    playback.clickFidelity = request.clickFidelity;
    return true;
}

void initCommonControls()
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS;
    InitCommonControlsEx(&controls);
}

// Pausing a playback, the script library, the settings and the update check live in the window's
// system menu.
void addSystemMenuItems(HWND window)
{
    if (HMENU systemMenu = GetSystemMenu(window, FALSE)) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        // Above the library, the settings and the update items, which stay the last three (the keyboard reaches them from
        // the bottom).
        AppendMenuW(systemMenu, MF_STRING | MF_GRAYED, IDM_PAUSE_PLAYBACK, L"暂停回放");
        AppendMenuW(systemMenu, MF_STRING, IDM_LIBRARY, L"脚本库(&L)...");
        AppendMenuW(systemMenu, MF_STRING, IDM_SETTINGS, L"设置(&S)...");
        AppendMenuW(systemMenu, MF_STRING, IDM_CHECK_UPDATE, L"在线更新(&U)...");
    }
}

int runApplication(HINSTANCE instance, const StartRequest& request)
{
    SetUnhandledExceptionFilter(crashFilter);
    TimerResolution timerResolution;
    const bool unattended = request.mode == StartMode::Play;
    const int windowFailure = unattended ? static_cast<int>(ExitCode::PlaybackNotStarted) : 1;

    MainWindow::UnattendedPlayback playback;
    if (unattended) {
        int exitCode = 0;
        if (!prepareUnattendedPlayback(request, playback, exitCode)) {
            return exitCode;
        }
    }
    initCommonControls();

    if (!MainWindow::registerWindowClass(instance)) {
        ErrorLog::write(L"注册窗口类失败 err=%lu", GetLastError());
        return windowFailure;
    }
    // The recorder and the player share where the playback put the cursor; the window drives
    // both, and goes before them.
    PlaybackPointer playbackPointer;
    Recorder recorder;
    Player player;
    MainWindow mainWindow(recorder, player);
    HWND window = mainWindow.create(instance, screenDpi());
    if (window == nullptr) {
        ErrorLog::write(L"创建主窗口失败 err=%lu", GetLastError());
        return windowFailure;
    }
    addSystemMenuItems(window);
    // Minimised and not activated: an unattended playback must neither cover nor take input from
    // the programs it drives.
    ShowWindow(window, unattended ? SW_SHOWMINNOACTIVE : SW_SHOW);
    UpdateWindow(window);
    mainWindow.applyStartupDpi(windowDpi(window));
    // The user's hotkeys hold in every mode (the stop key of an unattended playback too).
    const UserSettings settings = loadUserSettings();
    recorder.setPlaybackPointer(&playbackPointer);
    player.setPlaybackPointer(&playbackPointer);
    mainWindow.useSettings(settings);
    WindowFacts facts;
    facts.recordKey = utf8ToWide(chordText(settings.record));
    facts.stopKey = utf8ToWide(chordText(settings.stop));
    startInputHooks(recorder, window, unattended, facts);
    player.setMainWindow(window);
    mainWindow.setStatus(readyStatusText(facts));

    if (!unattended) {
        // The window instance of the session: later starts hand their scripts over to it, and it
        // alone answers the library's keys and schedules.
        mainWindow.takeHandOvers();
        // Before a script named on the command line opens (which asks about them as any open does).
        mainWindow.recoverUnsavedWork();
        mainWindow.useLibrary();
    }
    if (request.mode == StartMode::Open) {
        mainWindow.openScriptFiles(request.files);
    } else if (unattended && !mainWindow.startUnattendedPlayback(playback)) {
        DestroyWindow(window);
        runMessageLoop(mainWindow, recorder);
        return reportFailure(ExitCode::PlaybackNotStarted, L"无法开始回放：" + request.files.front());
    }
    runMessageLoop(mainWindow, recorder);
    if (!unattended) {
        return 0;
    }
    const int exitCode = outcomeExitCode(mainWindow.unattendedOutcome());
    if (exitCode == static_cast<int>(ExitCode::Completed)) {
        return exitCode;
    }
    // Every end other than a completed one tells the caller why, as the failures before the start do.
    const std::wstring& why = mainWindow.playbackEndText();
    return reportFailure(static_cast<ExitCode>(exitCode), why.empty() ? L"回放未完成：窗口已关闭" : why);
}

// A later start: the running window comes to the front or opens the scripts and this start
// ends; when the instance was closing and goes away meanwhile, this start opens the window.
int handOverToRunningWindow(HINSTANCE instance, StartPlan plan, const StartRequest& request)
{
    // This start is no instance: it keeps no hold that could outlast the running one.
    sessionGuardSeam.giveUp(SessionGuard::WindowInstance);
    std::vector<std::wstring> files;
    if (plan == StartPlan::HandOverScripts) {
        for (const std::wstring& file : request.files) {
            files.push_back(absolutePath(file));
        }
    }
    const HandOverEnd end = endOfHandOver(plan, askRunningWindow(files, kRunningWindowAnswerMs, &takeFreedWindowGuard));
    if (!end.logLine.empty()) {
        ErrorLog::write(L"%ls", end.logLine.c_str());
    }
    return end.runWindow ? runApplication(instance, request) : end.exitCode;
}

// Looks at what else runs in the session before this start does anything visible.
int runStart(HINSTANCE instance, const StartRequest& request)
{
    GuardState windowGuard = GuardState::Free;
    GuardState recordingGuard = GuardState::Free;
    if (takesWindowGuard(request.mode)) {
        windowGuard = sessionGuardSeam.take(SessionGuard::WindowInstance);
    }
    if (takesPlaybackGuard(request.mode)) {
        // Taken before looking: a recording that starts meanwhile finds it and stays off.
        sessionGuardSeam.take(SessionGuard::Playback);
        recordingGuard = sessionGuardSeam.probe(SessionGuard::Recording);
    }
    const StartPlan plan = planStart(request.mode, windowGuard, recordingGuard);
    switch (plan) {
    case StartPlan::ActivateRunning:
    case StartPlan::HandOverScripts: return handOverToRunningWindow(instance, plan, request);
    case StartPlan::RefusePlayback:
        sessionGuardSeam.giveUp(SessionGuard::Playback);
        return reportFailure(ExitCode::PlaybackNotStarted, playbackRefusedText(request.files.front()));
    case StartPlan::ShowUsage: return showUsage();
    case StartPlan::RefuseArguments: return refuseCommandLine(request);
    case StartPlan::RunWindow:
    case StartPlan::PlayUnattended: break;
    }
    return runApplication(instance, request);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    ErrorLog::init();
    ErrorLog::write(L"启动 v" LR_VERSION_SHORT L" (C++ 原生版)");
    becomeDpiAware();
    const StartRequest request = parseCommandLine(commandLineArguments());
    if (request.mode != StartMode::Window && request.mode != StartMode::Open) {
        attachCallerConsole();
    }
    const int exitCode = runStart(instance, request);
    if (exitCode == 0) {
        ErrorLog::write(L"退出");
    } else if (request.mode == StartMode::Play) {
        ErrorLog::write(L"[命令行] 回放结束，退出码 %d", exitCode);
    }
    return exitCode;
}
