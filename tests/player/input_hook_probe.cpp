#include "input_hook_probe.h"

#include <atomic>
#include <mutex>

#include "base/thread.h"
#include "base/win_owners.h"

namespace {

std::mutex probeLock;
std::vector<ProbedInput> seen;
Thread hookThread;
std::atomic<DWORD> hookThreadId{0};
std::atomic<int> hookState{0};  // 0 starting, 1 running, -1 failed

void keep(const ProbedInput& input)
{
    std::lock_guard<std::mutex> guard(probeLock);
    seen.push_back(input);
}

LRESULT CALLBACK mouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    // Moves are left out: SetCursorPos and the window manager produce them at will.
    if (code == HC_ACTION && wParam != WM_MOUSEMOVE) {
        const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        ProbedInput input;
        input.message = static_cast<UINT>(wParam);
        input.point = info->pt;
        input.mouseData = info->mouseData;
        input.flags = info->flags;
        keep(input);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK keyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        ProbedInput input;
        input.keyboard = true;
        input.message = static_cast<UINT>(wParam);
        input.flags = info->flags;
        input.virtualKey = info->vkCode;
        input.scanCode = info->scanCode;
        keep(input);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void hookThreadMain()
{
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue must exist before the id is published
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const HookHandle mouse(SetWindowsHookExW(WH_MOUSE_LL, &mouseProc, instance, 0));
    const HookHandle keyboard(SetWindowsHookExW(WH_KEYBOARD_LL, &keyboardProc, instance, 0));
    hookThreadId = GetCurrentThreadId();
    hookState = mouse && keyboard ? 1 : -1;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

bool startInputProbe()
{
    hookState = 0;
    if (!hookThread.start(&hookThreadMain)) {
        return false;
    }
    while (hookState == 0) {
        Sleep(1);
    }
    return hookState == 1;
}

void stopInputProbe()
{
    if (hookThread.started()) {
        PostThreadMessageW(hookThreadId, WM_QUIT, 0, 0);
        hookThread.join();
    }
}

std::vector<ProbedInput> probedInput()
{
    std::lock_guard<std::mutex> guard(probeLock);
    return seen;
}

void clearProbedInput()
{
    std::lock_guard<std::mutex> guard(probeLock);
    seen.clear();
}

bool waitForProbedInput(size_t count, unsigned timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (probedInput().size() >= count) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(2);
    }
}
