// Process entry: brings the parts up in order, runs the message loop, and takes them down.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include "app/crash_filter.h"
#include "base/error_log.h"
#include "base/message_box.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "ui/control_ids.h"
#include "ui/main_window.h"

namespace {

using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

template <typename Fn>
Fn user32Function(const char* name)
{
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

void becomeDpiAware()
{
    // The manifest normally does this already, and then the call fails: fall back either way.
    auto setContext = user32Function<SetProcessDpiAwarenessContextFn>("SetProcessDpiAwarenessContext");
    if (setContext == nullptr || !setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) {
        SetProcessDPIAware();
    }
}

int screenDpi()
{
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    return dpi < 72 || dpi > 480 ? 96 : dpi;
}

// The timer resolution is raised for the whole run: playback's sleep steps depend on 1 ms ticks.
class TimerResolution {
public:
    TimerResolution() { timeBeginPeriod(1); }
    ~TimerResolution() { timeEndPeriod(1); }
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;
};

void startInputHooks(HWND window)
{
    Recorder& recorder = theRecorder();
    if (!recorder.startHookThread(window)) {
        ShowMessageBox(window, L"键盘鼠标监听初始化失败，热键与录制功能均不可用。", L"警告", MB_OK | MB_ICONWARNING);
        return;
    }
    if (recorder.hookState() == HookState::Failed) {
        ErrorLog::Write(L"[警告] 钩子安装失败，热键与录制不可用");
        ShowMessageBox(window,
                       L"键盘鼠标钩子安装失败，热键（F8/F9）和录制功能将不可用。\n\n"
                       L"最常见原因：安全软件（360 等）拦截全局钩子。\n处理办法：把本程序加入杀软白名单后重启软件。",
                       L"警告", MB_OK | MB_ICONWARNING);
    }
}

int runApplication(HINSTANCE instance)
{
    SetUnhandledExceptionFilter(CrashFilter);
    TimerResolution timerResolution;

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS;
    InitCommonControlsEx(&controls);

    if (!MainWindow::RegisterWindowClass(instance)) {
        ErrorLog::Write(L"注册窗口类失败 err=%lu", GetLastError());
        return 1;
    }
    MainWindow mainWindow;
    HWND window = mainWindow.Create(instance, screenDpi());
    if (window == nullptr) {
        ErrorLog::Write(L"创建主窗口失败 err=%lu", GetLastError());
        return 1;
    }
    if (HMENU systemMenu = GetSystemMenu(window, FALSE)) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, IDM_CHECK_UPDATE, L"在线更新(&U)...");
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    if (auto dpiForWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow")) {
        mainWindow.ApplyStartupDpi(static_cast<int>(dpiForWindow(window)));
    }
    startInputHooks(window);
    thePlayer().setMainWindow(window);
    mainWindow.SetStatus(readyStatusText(WindowFacts{}));

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        HWND dialog = mainWindow.Handle();
        if (dialog == nullptr || !IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    theRecorder().stopHookThread();
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    ErrorLog::Init();
    ErrorLog::Write(L"启动 v2.0 (C++ 原生版)");
    becomeDpiAware();
    const int exitCode = runApplication(instance);
    if (exitCode == 0) {
        ErrorLog::Write(L"退出");
    }
    return exitCode;
}
