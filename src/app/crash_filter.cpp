#include "app/crash_filter.h"

#include "base/error_log.h"
#include "base/message_box.h"
#include "base/session_guards.h"
#include "ui/tray_icon.h"

LONG WINAPI crashFilter(EXCEPTION_POINTERS* exception)
{
    // First of all, before anything that could hang: the box keeps the process alive until it is
    // closed, and a start meanwhile must not find this instance's guards and wait on a window that
    // can no longer answer.
    giveUpEverySessionGuard();
    // The icon would stay in the notification area after the process ended, until a mouse passes.
    removeTrayIconAfterCrash();
    DWORD code = 0;
    void* address = nullptr;
    if (exception != nullptr && exception->ExceptionRecord != nullptr) {
        code = exception->ExceptionRecord->ExceptionCode;
        address = exception->ExceptionRecord->ExceptionAddress;
    }
    ErrorLog::write(L"未捕获异常 code=0x%08X addr=%p", static_cast<unsigned>(code), address);
    // No owner: the main window may be what crashed.
    showMessageBox(nullptr, L"程序遇到未预期的错误，已记录日志。\n\n请重启软件后重试。", L"岚溪脚本录制软件",
                   MB_OK | MB_ICONERROR);
    return EXCEPTION_EXECUTE_HANDLER;
}
