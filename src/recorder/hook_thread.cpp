// The input hook thread: owns the two low-level hooks, turns the hotkey chords into messages to
// the main window, watches for the user taking over a playback, and hands every other
// notification to the event capture.
#include "recorder/recorder.h"

#include <string>
#include <vector>

#include "base/error_log.h"
#include "recorder/hook_seam.h"
#include "recorder/recorder_messages.h"
#include "recorder/takeover_rule.h"

InstallHookFn installHookSeam = SetWindowsHookExW;

namespace {

// Low-level hook procedures get no context argument; they find the recorder through this.
std::atomic<Recorder*> activeRecorder{nullptr};

constexpr DWORD kStartWaitMs = 3000;
constexpr DWORD kQuitWaitMs = 3000;
constexpr DWORD kHookAnswerWaitMs = 1000;

UINT messageForHotkey(Hotkey hotkey)
{
    switch (hotkey) {
    case Hotkey::RecordAlt: return WM_APP_RECORD_ALT_HOTKEY;
    case Hotkey::Record: return WM_APP_RECORD_HOTKEY;
    case Hotkey::Stop: return WM_APP_STOP_HOTKEY;
    case Hotkey::Pause: return WM_APP_PAUSE_HOTKEY;
    default: return 0;
    }
}

uint32_t packChord(const HotkeyChord& chord)
{
    return chord.key | (static_cast<uint32_t>(chord.modifiers) << 8);
}

HotkeyChord unpackChord(uint32_t packed)
{
    return HotkeyChord{static_cast<uint8_t>(packed), static_cast<uint8_t>(packed >> 8)};
}

// The modifier keys the system reports down, as a mask of hotkey_rules.h.
uint32_t systemModifierKeys()
{
    uint32_t mask = 0;
    for (uint32_t i = 0; i < 8; ++i) {
        if ((GetAsyncKeyState(static_cast<int>(kModifierKeyCodes[i])) & 0x8000) != 0) {
            mask |= 1u << i;
        }
    }
    return mask;
}

}  // namespace

Recorder::~Recorder()
{
    stopHookThread();
    // A hook thread still inside a notification after the stop's wait may touch this object
    // until it returns: the object outlives it.
    thread_.join();
}

HookState Recorder::hookState() const
{
    return state_.load();
}

HookState Recorder::waitForHookAnswer() const
{
    // The event may carry an answer to an earlier request; only the state tells which one came.
    const ULONGLONG deadline = GetTickCount64() + kHookAnswerWaitMs;
    while (state_.load() == HookState::Pending) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline ||
            WaitForSingleObject(hookAnswered_.get(), static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0) {
            break;
        }
    }
    return state_.load();
}

bool Recorder::startHookThread(HWND window)
{
    if (thread_.started() && !quitRequested_.load()) {
        return true;
    }
    // A thread stopped earlier that did not end in time is waited for before a new one starts.
    thread_.join();
    mainWindow_ = window;
    activeRecorder.store(this);
    // A thread started earlier and stopped since left its id and its answer behind; neither
    // may be mistaken for the new thread's.
    threadId_.store(0);
    state_.exchange(HookState::Pending);
    quitRequested_.store(false);

    startEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    hookAnswered_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!startEvent_ || !hookAnswered_) {
        return false;
    }
    if (!thread_.start([this] { runHookLoop(); })) {
        startEvent_.reset();
        return false;
    }
    WaitForSingleObject(startEvent_.get(), kStartWaitMs);
    const DWORD id = threadId_.load();
    if (id == 0) {
        return true;  // the thread exists but is late; the hook state stays Pending
    }
    PostThreadMessageW(id, WM_APP_HOOK_INSTALL, 0, 0);
    waitForHookAnswer();
    return true;
}

void Recorder::stopHookThread()
{
    if (!thread_.started() || quitRequested_.exchange(true)) {
        return;
    }
    if (recording_.exchange(false)) {
        logRecordingStopped();
    }
    Recorder* self = this;
    activeRecorder.compare_exchange_strong(self, nullptr);
    // A thread that was late to start sees the request itself before it waits for messages.
    const DWORD id = threadId_.load();
    if (id != 0) {
        PostThreadMessageW(id, WM_APP_HOOK_QUIT, 0, 0);
    }
    // Bounded: a hook thread that hangs must not keep the program from closing. One that ended is
    // forgotten; one still running is joined when the recorder goes (its hook procedures may have
    // found this recorder just before it stopped being the active one).
    if (thread_.waitFor(kQuitWaitMs)) {
        thread_.join();
    }
}

void Recorder::runHookLoop()
{
    threadId_.store(GetCurrentThreadId());
    // At least as high as a playback thread's (THREAD_PRIORITY_HIGHEST): injected input waits for
    // these hooks, and the system removes a low-level hook that answers too late without notice.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    MSG message;
    // Makes the system create this thread's message queue now; thread messages posted before
    // the queue exists are lost.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    if (startEvent_) {
        SetEvent(startEvent_.get());
    }
    while (!quitRequested_.load() && GetMessageW(&message, nullptr, 0, 0) > 0) {
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
    if (!mouseHook_) {
        mouseHook_.reset(installHookSeam(WH_MOUSE_LL, mouseHookProc, nullptr, 0));
        if (!mouseHook_) {
            error = GetLastError();
        }
    }
    if (!keyboardHook_) {
        keyboardHook_.reset(installHookSeam(WH_KEYBOARD_LL, keyboardHookProc, nullptr, 0));
        if (!keyboardHook_ && error == 0) {
            error = GetLastError();
        }
    }
    // The line is written before the answer is published, so that whoever waits for the answer
    // finds the outcome already in the log.
    if (mouseHook_ && keyboardHook_) {
        ErrorLog::write(L"钩子已安装 tid=%lu", static_cast<unsigned long>(threadId_.load()));
        state_.exchange(HookState::Installed);
        SetEvent(hookAnswered_.get());
    } else {
        // A hook that did get installed stays; the next request installs only the missing one.
        ErrorLog::write(L"钩子安装失败 mouse=%p key=%p err=%lu", static_cast<void*>(mouseHook_.get()),
                        static_cast<void*>(keyboardHook_.get()), static_cast<unsigned long>(error));
        state_.exchange(HookState::Failed);
        SetEvent(hookAnswered_.get());
    }
}

void Recorder::removeHooks()
{
    mouseHook_.reset();
    keyboardHook_.reset();
}

void Recorder::setChords(const HotkeyChords& chords)
{
    recordChord_.store(packChord(chords.record));
    recordAltChord_.store(packChord(chords.recordAlt));
    stopChord_.store(packChord(chords.stop));
    pauseChord_.store(packChord(chords.pause));
}

void Recorder::setStopOnUserInput(bool stop)
{
    stopOnUserInput_.store(stop);
}

void Recorder::pauseHotkeys(bool paused)
{
    hotkeysPaused_.store(paused);
}

void Recorder::setPlaybackPointer(PlaybackPointer* pointer)
{
    playbackPointer_.store(pointer);
}

HotkeyChords Recorder::chords() const
{
    HotkeyChords result;
    result.record = unpackChord(recordChord_.load());
    result.recordAlt = unpackChord(recordAltChord_.load());
    result.stop = unpackChord(stopChord_.load());
    result.pause = unpackChord(pauseChord_.load());
    return result;
}

HotkeyDecision Recorder::hotkeyStepFor(WPARAM message, const KBDLLHOOKSTRUCT& info)
{
    const auto msg = static_cast<uint32_t>(message);
    const PlaybackPointer* pointer = playbackPointer_.load();
    const HotkeyChords current = chordsInForce(chords(), pointer != nullptr && pointer->replaying());
    // The system's modifier state costs eight calls (about 30 us under wine): asked only for a
    // real key-down of a chord's key that needs it.
    const bool askSystem =
        (info.flags & LLKHF_INJECTED) == 0 && isKeyDownMessage(msg) && needsModifierState(current, info.vkCode);
    const HotkeyDecision decision = hotkeyStep(hotkeys_, current, hotkeysPaused_.load(), msg, info.vkCode, info.flags,
                                               info.time, askSystem ? systemModifierKeys() : 0);
    if (decision.post == Hotkey::None) {
        return decision;
    }
    // Before the post: the window takes the captured events once the recording has stopped.
    if (decision.chordModifierKeys != 0 && recording_.load()) {
        removeChordModifierPresses(decision.chordModifierKeys);
    }
    if (mainWindow_ != nullptr) {
        PostMessageW(mainWindow_, messageForHotkey(decision.post), 0, 0);
    }
    return decision;
}

void Recorder::setEntryKeys(std::vector<EntryKey> keys)
{
    auto shared = std::make_shared<const std::vector<EntryKey>>(std::move(keys));
    std::lock_guard<std::mutex> lock(entryKeysLock_);
    entryKeys_ = std::move(shared);
}

bool Recorder::entryKeyStepFor(WPARAM message, const KBDLLHOOKSTRUCT& info)
{
    std::shared_ptr<const std::vector<EntryKey>> keys;
    {
        std::lock_guard<std::mutex> lock(entryKeysLock_);
        keys = entryKeys_;
    }
    if (!keys || keys->empty()) {
        return false;
    }
    const auto msg = static_cast<uint32_t>(message);
    // The system is asked only for a real press of an entry's key.
    const bool askSystem =
        (info.flags & LLKHF_INJECTED) == 0 && isKeyDownMessage(msg) && isEntryKey(*keys, info.vkCode);
    const uint32_t modifiers = askSystem ? trackedModifierKeys(hotkeys_) & systemModifierKeys() : 0;
    const EntryKeyDecision decision = entryKeyStep(entryKeyTracker_, *keys, hotkeysPaused_.load(), msg, info.vkCode,
                                                   info.flags, info.time, modifiers);
    if (decision.event != EntryKeyEvent::None && mainWindow_ != nullptr) {
        PostMessageW(mainWindow_, WM_APP_ENTRY_KEY, static_cast<WPARAM>(decision.entry),
                     static_cast<LPARAM>(static_cast<uint32_t>(decision.event) | decision.modifierKeys << 8));
    }
    return decision.swallow;
}

void Recorder::removeChordModifierPresses(uint32_t modifierKeys)
{
    std::vector<std::string> names;
    for (uint32_t i = 0; i < 8; ++i) {
        if ((modifierKeys & (1u << i)) != 0) {
            names.push_back(keyNameForVirtualKey(kModifierKeyCodes[i]));
        }
    }
    std::lock_guard<std::mutex> lock(captureLock_);
    removeUnreleasedPresses(captured_, names);
}

void Recorder::takeoverStepFor(WPARAM message, const MSLLHOOKSTRUCT& info)
{
    PlaybackPointer* pointer = playbackPointer_.load();
    if (pointer == nullptr || !stopOnUserInput_.load()) {
        return;
    }
    if (isUserTakeover(static_cast<uint32_t>(message), info.pt.x, info.pt.y, info.flags, pointer->read()) &&
        pointer->claimTakeover() && mainWindow_ != nullptr) {
        PostMessageW(mainWindow_, WM_APP_USER_TAKEOVER, 0, 0);
    }
}

LRESULT CALLBACK Recorder::keyboardHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        Recorder* recorder = activeRecorder.load();
        if (recorder != nullptr) {
            const auto& info = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
            const HotkeyDecision decision = recorder->hotkeyStepFor(wParam, info);
            if (!decision.consumed) {
                if (recorder->entryKeyStepFor(wParam, info)) {
                    return 1;  // a library entry's key belongs to the library alone
                }
                recorder->onKeyboardHook(wParam, info);
            }
            if (decision.swallowed) {
                return 1;  // the pause key during a playback: the program in front never sees it
            }
        }
    }
    // Passed on: the other hotkeys and every recorded key still reach the other applications.
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK Recorder::mouseHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        Recorder* recorder = activeRecorder.load();
        if (recorder != nullptr) {
            const auto& info = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
            recorder->takeoverStepFor(wParam, info);
            recorder->onMouseHook(wParam, info);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
