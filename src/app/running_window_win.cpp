#include "app/running_window.h"

#include <windows.h>

#include "base/session_guards.h"
#include "ui/hand_over_message.h"
#include "ui/hand_over_win.h"
#include "ui/main_window.h"

namespace {

// One round over every window of the program's class; true when one took the request.
bool askEachWindow(COPYDATASTRUCT& request, ULONGLONG deadline)
{
    HWND candidate = nullptr;
    while ((candidate = FindWindowExW(nullptr, candidate, kMainWindowClassName, nullptr)) != nullptr) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        DWORD processId = 0;
        GetWindowThreadProcessId(candidate, &processId);
        handOverSeam.allowSetForegroundWindow(processId);
        DWORD_PTR answer = 0;
        const LRESULT delivered =
            SendMessageTimeoutW(candidate, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&request),
                                SMTO_ABORTIFHUNG | SMTO_BLOCK, static_cast<UINT>(deadline - now), &answer);
        if (delivered != 0 && static_cast<intptr_t>(answer) == kHandOverAccepted) {
            return true;
        }
    }
    return false;
}

}  // namespace

RunningWindowAnswer askRunningWindow(const std::vector<std::wstring>& files, unsigned timeoutMs,
                                     bool (*takeFreedGuard)())
{
    const std::wstring data = encodeHandOverFiles(files);
    COPYDATASTRUCT request{};
    request.dwData = static_cast<ULONG_PTR>(files.empty() ? HandOverKind::Activate : HandOverKind::OpenScripts);
    request.cbData = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    request.lpData = request.cbData > 0 ? const_cast<wchar_t*>(data.data()) : nullptr;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (askEachWindow(request, deadline)) {
            return RunningWindowAnswer::Accepted;
        }
        // The instance may still be starting (its window not yet there) or busy closing: a
        // closing one lets go of the guard when it ends, and this start is the instance then.
        if (takeFreedGuard != nullptr && takeFreedGuard()) {
            return RunningWindowAnswer::InstanceGone;
        }
        if (GetTickCount64() + 100 >= deadline) {
            return RunningWindowAnswer::NoAnswer;
        }
        Sleep(100);
    }
}

bool takeFreedWindowGuard()
{
    if (isGuardTaken(sessionGuardSeam.probe(SessionGuard::WindowInstance))) {
        return false;
    }
    // Another start may have taken it between the look and the take: then it is its instance.
    if (sessionGuardSeam.take(SessionGuard::WindowInstance) == GuardState::Free) {
        return true;
    }
    sessionGuardSeam.giveUp(SessionGuard::WindowInstance);
    return false;
}

std::wstring absolutePath(const std::wstring& path)
{
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) {
        return path;
    }
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
    if (written == 0 || written >= length) {
        return path;
    }
    full.resize(written);
    return full;
}
