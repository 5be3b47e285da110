#include "recorder/recorder.h"

#include "base/error_log.h"
#include "recorder/now_seconds.h"
#include "recorder/recorder_messages.h"

namespace {

bool isWindowOfThisProcess(HWND window)
{
    if (window == nullptr) {
        return false;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId == GetCurrentProcessId();
}

}  // namespace

CaptureClockFn captureClockSeam = performanceSeconds;

bool Recorder::startRecording(bool recordMouseInput, bool recordKeyboardInput)
{
    const DWORD id = threadId_.load();
    if (recording_.load() || !thread_.started() || id == 0) {
        return false;
    }
    // Fresh hooks for every recording: the system silently drops low-level hooks that once took
    // too long, and a reinstall is the only way to notice and mend that.
    state_.exchange(HookState::Pending);
    PostThreadMessageW(id, WM_APP_HOOK_REMOVE, 0, 0);
    PostThreadMessageW(id, WM_APP_HOOK_INSTALL, 0, 0);
    if (waitForHookAnswer() != HookState::Installed) {
        return false;
    }
    // The hook thread has answered, so it is not inside a capture step of an earlier recording
    // while the state below is reset; setting recording last publishes that state to it.
    recordMouse_.exchange(recordMouseInput);
    recordKeyboard_.exchange(recordKeyboardInput);
    takeCaptured();  // the last recording's events, freed outside the lock
    resetCapture(capture_, captureClockSeam());
    recording_.exchange(true);
    ErrorLog::write(L"开始录制 鼠标=%d 键盘=%d", recordMouseInput ? 1 : 0, recordKeyboardInput ? 1 : 0);
    return true;
}

void Recorder::stopRecording()
{
    if (!recording_.exchange(false)) {
        return;
    }
    logRecordingStopped();
}

bool Recorder::isRecording() const
{
    return recording_.load();
}

void Recorder::logRecordingStopped() const
{
    const size_t count = capturedCount();
    ErrorLog::write(L"停止录制，共 %u 条", static_cast<unsigned>(count));
}

size_t Recorder::capturedCount() const
{
    std::lock_guard<std::mutex> lock(captureLock_);
    return captured_.size();
}

void Recorder::copyCapturedFrom(size_t first, std::vector<MacroEvent>& out) const
{
    std::lock_guard<std::mutex> lock(captureLock_);
    if (first < captured_.size()) {
        out.insert(out.end(), captured_.begin() + static_cast<std::ptrdiff_t>(first), captured_.end());
    }
}

std::vector<MacroEvent> Recorder::takeCaptured()
{
    std::vector<MacroEvent> taken;
    std::lock_guard<std::mutex> lock(captureLock_);
    taken.swap(captured_);
    return taken;
}

void Recorder::onKeyboardHook(WPARAM message, const KBDLLHOOKSTRUCT& info)
{
    if (!recording_.load() || !recordKeyboard_.load() || (info.flags & LLKHF_INJECTED) != 0) {
        return;
    }
    const auto msg = static_cast<uint32_t>(message);
    // Only a key-down asks who has the foreground; the key-up follows whatever its key-down did.
    const bool ownForeground = isKeyDownMessage(msg) && isWindowOfThisProcess(GetForegroundWindow());
    MacroEvent event;
    if (captureKey(capture_, msg, info.vkCode, ownForeground, captureClockSeam(), event)) {
        appendCaptured(event);
    }
}

void Recorder::onMouseHook(WPARAM message, const MSLLHOOKSTRUCT& info)
{
    // Outside a recording the capture state is left alone: startRecording may be resetting it.
    if (!recording_.load() || !recordMouse_.load() || (info.flags & LLMHF_INJECTED) != 0) {
        return;
    }
    const auto msg = static_cast<uint32_t>(message);
    // The window lookup is a round trip to the window manager; moves, the bulk of the traffic,
    // and releases do not need it.
    const bool ownWindow = mouseMessageNeedsOwnWindow(msg) && isWindowOfThisProcess(WindowFromPoint(info.pt));
    MacroEvent event;
    if (captureMouse(capture_, msg, info.pt.x, info.pt.y, static_cast<uint32_t>(info.mouseData), ownWindow,
                     captureClockSeam(), event)) {
        appendCaptured(event);
    }
}

void Recorder::appendCaptured(const MacroEvent& event)
{
    size_t count = 0;
    {
        std::lock_guard<std::mutex> lock(captureLock_);
        captured_.push_back(event);
        count = captured_.size();
    }
    // Posted after the lock is released: the user-interface thread takes the same lock to copy
    // the new events, and the hook thread must never wait for it.
    if (mainWindow_ != nullptr) {
        PostMessageW(mainWindow_, WM_APP_EVENT_ADDED, static_cast<WPARAM>(count - 1), 0);
    }
}
