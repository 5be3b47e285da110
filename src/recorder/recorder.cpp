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

CaptureClockFn captureClock = performanceSeconds;

Recorder& theRecorder()
{
    // Function-local, so it is built after the error log's state and torn down before it: the
    // destructor may still write the stop line.
    static Recorder recorder;
    return recorder;
}

bool Recorder::startRecording(bool recordMouseInput, bool recordKeyboardInput)
{
    const DWORD id = threadId.load();
    if (recording.load() || !thread.started() || id == 0) {
        return false;
    }
    // Fresh hooks for every recording: the system silently drops low-level hooks that once took
    // too long, and a reinstall is the only way to notice and mend that.
    state.exchange(HookState::Pending);
    PostThreadMessageW(id, WM_APP_HOOK_REMOVE, 0, 0);
    PostThreadMessageW(id, WM_APP_HOOK_INSTALL, 0, 0);
    if (waitForHookAnswer() != HookState::Installed) {
        return false;
    }
    // The hook thread has answered, so it is not inside a capture step of an earlier recording
    // while the state below is reset; setting recording last publishes that state to it.
    recordMouse.exchange(recordMouseInput);
    recordKeyboard.exchange(recordKeyboardInput);
    {
        std::lock_guard<std::mutex> lock(eventLock);
        events.clear();
    }
    resetCapture(capture, captureClock());
    recording.exchange(true);
    ErrorLog::write(L"开始录制 鼠标=%d 键盘=%d", recordMouseInput ? 1 : 0, recordKeyboardInput ? 1 : 0);
    return true;
}

void Recorder::stopRecording()
{
    if (!recording.exchange(false)) {
        return;
    }
    logRecordingStopped();
}

bool Recorder::isRecording() const
{
    return recording.load();
}

void Recorder::logRecordingStopped() const
{
    size_t count = 0;
    {
        std::lock_guard<std::mutex> lock(eventLock);
        count = events.size();
    }
    ErrorLog::write(L"停止录制，共 %u 条", static_cast<unsigned>(count));
}

void Recorder::clearEvents()
{
    std::lock_guard<std::mutex> lock(eventLock);
    events.clear();
}

size_t Recorder::eventCount() const
{
    std::lock_guard<std::mutex> lock(eventLock);
    return events.size();
}

void Recorder::copyEvents(std::vector<MacroEvent>& out) const
{
    std::lock_guard<std::mutex> lock(eventLock);
    out = events;
}

bool Recorder::eventAt(size_t index, MacroEvent& out) const
{
    std::lock_guard<std::mutex> lock(eventLock);
    if (index >= events.size()) {
        return false;
    }
    out = events[index];
    return true;
}

void Recorder::replaceEvents(const std::vector<MacroEvent>& replacement)
{
    // Copied outside the lock, so the hook thread never waits for the allocation.
    std::vector<MacroEvent> copy = replacement;
    std::lock_guard<std::mutex> lock(eventLock);
    events.swap(copy);
}

void Recorder::replaceEvents(std::vector<MacroEvent>&& replacement)
{
    std::vector<MacroEvent> taken = std::move(replacement);
    {
        std::lock_guard<std::mutex> lock(eventLock);
        events.swap(taken);
    }
    // The old events are freed here, outside the lock.
}

void Recorder::editEvents(const std::function<void(std::vector<MacroEvent>&)>& edit)
{
    std::lock_guard<std::mutex> lock(eventLock);
    edit(events);
}

void Recorder::onKeyboardHook(WPARAM message, const KBDLLHOOKSTRUCT& info)
{
    if (!recording.load() || !recordKeyboard.load() || (info.flags & LLKHF_INJECTED) != 0) {
        return;
    }
    const auto msg = static_cast<uint32_t>(message);
    // Only a key-down asks who has the foreground; the key-up follows whatever its key-down did.
    const bool ownForeground = isKeyDownMessage(msg) && isWindowOfThisProcess(GetForegroundWindow());
    MacroEvent event;
    if (captureKey(capture, msg, info.vkCode, ownForeground, captureClock(), event)) {
        appendEvent(event);
    }
}

void Recorder::onMouseHook(WPARAM message, const MSLLHOOKSTRUCT& info)
{
    // Outside a recording the capture state is left alone: startRecording may be resetting it.
    if (!recording.load() || !recordMouse.load() || (info.flags & LLMHF_INJECTED) != 0) {
        return;
    }
    const auto msg = static_cast<uint32_t>(message);
    // The window lookup is a round trip to the window manager; moves, the bulk of the traffic,
    // and releases do not need it.
    const bool ownWindow = mouseMessageNeedsOwnWindow(msg) && isWindowOfThisProcess(WindowFromPoint(info.pt));
    MacroEvent event;
    if (captureMouse(capture, msg, info.pt.x, info.pt.y, static_cast<uint32_t>(info.mouseData), ownWindow,
                     captureClock(), event)) {
        appendEvent(event);
    }
}

void Recorder::appendEvent(const MacroEvent& event)
{
    size_t count = 0;
    {
        std::lock_guard<std::mutex> lock(eventLock);
        events.push_back(event);
        count = events.size();
    }
    // Posted after the lock is released: the user-interface thread takes the same lock to read
    // the event, and the hook thread must never wait for it.
    if (mainWindow != nullptr) {
        PostMessageW(mainWindow, WM_APP_EVENT_ADDED, static_cast<WPARAM>(count - 1), 0);
    }
}
