// The input hook thread: owns the two low-level hooks, turns F7, F8 and F9 into messages to the
// main window and hands every other notification to the event capture.
#include "recorder/recorder.h"

#include "base/error_log.h"
#include "recorder/hook_seam.h"
#include "recorder/recorder_messages.h"

InstallHookFn installHook = SetWindowsHookExW;

namespace {

// Low-level hook procedures get no context argument; they find the recorder through this.
std::atomic<Recorder*> activeRecorder{nullptr};

constexpr DWORD kStartWaitMs = 3000;
constexpr DWORD kQuitWaitMs = 3000;
constexpr DWORD kHookAnswerWaitMs = 1000;

UINT messageForHotkey(Hotkey hotkey)
{
    switch (hotkey) {
    case Hotkey::F7: return WM_APP_HOTKEY_F7;
    case Hotkey::F8: return WM_APP_HOTKEY_F8;
    case Hotkey::F9: return WM_APP_HOTKEY_F9;
    default: return 0;
    }
}

}  // namespace

Recorder::~Recorder()
{
    if (thread.started()) {
        stopHookThread();
    }
}

HookState Recorder::hookState() const
{
    return state.load();
}

HookState Recorder::waitForHookAnswer() const
{
    // The event may carry an answer to an earlier request; only the state tells which one came.
    const ULONGLONG deadline = GetTickCount64() + kHookAnswerWaitMs;
    while (state.load() == HookState::Pending) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline ||
            WaitForSingleObject(hookAnswered.get(), static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0) {
            break;
        }
    }
    return state.load();
}

bool Recorder::startHookThread(HWND window)
{
    if (thread.started()) {
        return true;
    }
    mainWindow = window;
    activeRecorder.store(this);
    // A thread started earlier and stopped since left its id and its answer behind; neither
    // may be mistaken for the new thread's.
    threadId.store(0);
    state.exchange(HookState::Pending);

    startEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    hookAnswered.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!startEvent || !hookAnswered) {
        return false;
    }
    if (!thread.start([this] { runHookLoop(); })) {
        startEvent.reset();
        return false;
    }
    WaitForSingleObject(startEvent.get(), kStartWaitMs);
    const DWORD id = threadId.load();
    if (id == 0) {
        return true;  // the thread exists but is late; the hook state stays Pending
    }
    PostThreadMessageW(id, WM_APP_HOOK_INSTALL, 0, 0);
    waitForHookAnswer();
    return true;
}

void Recorder::stopHookThread()
{
    if (!thread.started()) {
        return;
    }
    if (recording.exchange(false)) {
        logRecordingStopped();
    }
    const DWORD id = threadId.load();
    if (id != 0) {
        PostThreadMessageW(id, WM_APP_HOOK_QUIT, 0, 0);
    }
    // Bounded: a hook thread that hangs must not keep the program from closing.
    thread.waitFor(kQuitWaitMs);
    thread.detach();
    startEvent.reset();
    Recorder* self = this;
    activeRecorder.compare_exchange_strong(self, nullptr);
}

void Recorder::runHookLoop()
{
    threadId.store(GetCurrentThreadId());
    MSG message;
    // Makes the system create this thread's message queue now; thread messages posted before
    // the queue exists are lost.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    if (startEvent) {
        SetEvent(startEvent.get());
    }
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_APP_HOOK_INSTALL) {
            installHooks();
        } else if (message.message == WM_APP_HOOK_REMOVE) {
            removeHooks();
        } else if (message.message == WM_APP_HOOK_QUIT) {
            removeHooks();
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // Ended by WM_QUIT or a failing GetMessageW: the system drops the hooks of an ended thread
    // anyway, so the handles are released here rather than left stale.
    removeHooks();
}

void Recorder::installHooks()
{
    DWORD error = 0;
    if (!mouseHook) {
        mouseHook.reset(installHook(WH_MOUSE_LL, mouseHookProc, nullptr, 0));
        if (!mouseHook) {
            error = GetLastError();
        }
    }
    if (!keyboardHook) {
        keyboardHook.reset(installHook(WH_KEYBOARD_LL, keyboardHookProc, nullptr, 0));
        if (!keyboardHook && error == 0) {
            error = GetLastError();
        }
    }
    // The line is written before the answer is published, so that whoever waits for the answer
    // finds the outcome already in the log.
    if (mouseHook && keyboardHook) {
        ErrorLog::Write(L"钩子已安装 tid=%lu", static_cast<unsigned long>(threadId.load()));
        state.exchange(HookState::Installed);
        SetEvent(hookAnswered.get());
    } else {
        // A hook that did get installed stays; the next request installs only the missing one.
        ErrorLog::Write(L"钩子安装失败 mouse=%p key=%p err=%lu", static_cast<void*>(mouseHook.get()),
                        static_cast<void*>(keyboardHook.get()), static_cast<unsigned long>(error));
        state.exchange(HookState::Failed);
        SetEvent(hookAnswered.get());
    }
}

void Recorder::removeHooks()
{
    mouseHook.reset();
    keyboardHook.reset();
}

bool Recorder::hotkeyStepFor(WPARAM message, const KBDLLHOOKSTRUCT& info)
{
    const HotkeyDecision decision = hotkeyStep(static_cast<uint32_t>(message), info.vkCode, info.flags);
    if (decision.post != Hotkey::None && mainWindow != nullptr) {
        PostMessageW(mainWindow, messageForHotkey(decision.post), 0, 0);
    }
    return decision.consumed;
}

LRESULT CALLBACK Recorder::keyboardHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        Recorder* recorder = activeRecorder.load();
        if (recorder != nullptr) {
            const auto& info = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
            if (!recorder->hotkeyStepFor(wParam, info)) {
                recorder->onKeyboardHook(wParam, info);
            }
        }
    }
    // Always passed on: the hotkeys and every recorded key still reach the other applications.
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK Recorder::mouseHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        Recorder* recorder = activeRecorder.load();
        if (recorder != nullptr) {
            recorder->onMouseHook(wParam, *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
