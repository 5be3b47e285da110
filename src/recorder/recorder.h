#pragma once
// The Recorder: the input hook thread with its global hotkeys, and the event capture. It only
// captures: the hook thread appends each event to the recorder's own capture buffer under a short
// lock and tells the main window, which takes the events into its script on its own thread. The
// window never holds the lock for longer than a copy of the new events, so the hook never waits
// on the window's work (the system drops a low-level hook that takes too long).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>
#include <windows.h>

#include "base/playback_pointer.h"
#include "base/thread.h"
#include "base/win_owners.h"
#include "recorder/capture_rules.h"
#include "recorder/entry_key_rules.h"
#include "recorder/hotkey_rules.h"
#include "recorder/window_capture_win.h"
#include "script/event_window.h"
#include "script/macro_event.h"

enum class HookState : int32_t { Pending = 0, Installed = 1, Failed = 2 };

class Recorder {
public:
    Recorder() = default;
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Input hook thread (user-interface thread only).
    bool startHookThread(HWND mainWindow);
    void stopHookThread();
    HookState hookState() const;
    // The hook thread's id while it runs, else 0.
    DWORD hookThreadId() const { return threadId_.load(); }

    // Recording (user-interface thread only).
    bool startRecording(bool recordMouse, bool recordKeyboard);
    void stopRecording();
    bool isRecording() const;

    // Hotkeys and the takeover watch (user-interface thread, at any time; the hook thread uses
    // the new values from its next notification on).
    // The record, alternate record, stop and pause chords.
    void setChords(const HotkeyChords& chords);
    // Whether a real mouse movement or button press during a playback posts WM_APP_USER_TAKEOVER.
    void setStopOnUserInput(bool stop);
    // While paused no chord fires (the settings dialog captures chords from real key presses).
    void pauseHotkeys(bool paused);
    // Where the playback placed the cursor (the object the player writes); null: none.
    void setPlaybackPointer(PlaybackPointer* pointer);
    // The keys of the script library's entries, one per entry (WM_APP_ENTRY_KEY names the entry
    // by its place here); their notifications are swallowed.
    void setEntryKeys(std::vector<EntryKey> keys);

    // The capture buffer (any thread; each holds the lock for one copy or swap at most). It holds
    // the events of the running or the last recording, and is emptied when a recording starts.
    size_t capturedCount() const;
    // Appends the captured events from first on to out (nothing when first lies past the end).
    void copyCapturedFrom(size_t first, std::vector<MacroEvent>& out) const;
    // The captured events, taken out of the buffer (call it once the recording has stopped).
    std::vector<MacroEvent> takeCaptured();
    // The windows the captured events refer to (their window indices point into it); it only
    // grows while a recording runs and is emptied when the next one starts.
    std::vector<WindowIdentity> copyCapturedWindows() const;

    // Capture steps, called by the hook procedures on the hook thread.
    void onKeyboardHook(WPARAM message, const KBDLLHOOKSTRUCT& info);
    void onMouseHook(WPARAM message, const MSLLHOOKSTRUCT& info);

private:
    static LRESULT CALLBACK keyboardHookProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK mouseHookProc(int code, WPARAM wParam, LPARAM lParam);

    void runHookLoop();
    void installHooks();
    void removeHooks();
    // Posts the hotkey's message if this is one; consumed: the notification is no event,
    // swallowed: it reaches no other program either.
    HotkeyDecision hotkeyStepFor(WPARAM message, const KBDLLHOOKSTRUCT& info);
    // Posts an entry key's message if this is one; true when the notification is swallowed.
    bool entryKeyStepFor(WPARAM message, const KBDLLHOOKSTRUCT& info);
    // Posts WM_APP_USER_TAKEOVER once per playback when the user takes it over.
    void takeoverStepFor(WPARAM message, const MSLLHOOKSTRUCT& info);
    HotkeyChords chords() const;
    // Drops the presses of a stop chord's modifiers from the recording (hook thread).
    void removeChordModifierPresses(uint32_t modifierKeys);
    // Waits while the hook state is Pending, at most about a second; returns the final state.
    HookState waitForHookAnswer() const;
    void logRecordingStopped() const;
    // Appends the event; with an identity, the event's window index is set to its table entry.
    void appendCaptured(MacroEvent& event, const WindowIdentity* identity);

    // Input hook thread. The main window is written before the thread exists and only read after.
    HWND mainWindow_ = nullptr;
    Thread thread_;
    KernelHandle startEvent_;    // set by the hook thread once its message queue exists
    KernelHandle hookAnswered_;  // set by the hook thread after each installation answer
    std::atomic<DWORD> threadId_{0};
    HookHandle mouseHook_;     // written only on the hook thread
    HookHandle keyboardHook_;  // written only on the hook thread
    std::atomic<HookState> state_{HookState::Pending};
    std::atomic<bool> quitRequested_{false};  // set by stopHookThread, read by the hook thread too

    // Hotkeys: chords packed as key | modifiers << 8, written by setChords.
    std::atomic<uint32_t> recordChord_{kDefaultRecordChord.key};
    std::atomic<uint32_t> recordAltChord_{kDefaultRecordAltChord.key};
    std::atomic<uint32_t> stopChord_{kDefaultStopChord.key};
    std::atomic<uint32_t> pauseChord_{kDefaultPauseChord.key};
    std::atomic<bool> hotkeysPaused_{false};
    HotkeyTracker hotkeys_;  // hook thread only
    // The library's entry keys: replaced whole by setEntryKeys, read by the hook under the lock.
    std::mutex entryKeysLock_;
    std::shared_ptr<const std::vector<EntryKey>> entryKeys_;
    EntryKeyTracker entryKeyTracker_;  // hook thread only
    std::atomic<bool> stopOnUserInput_{false};
    std::atomic<PlaybackPointer*> playbackPointer_{nullptr};

    // Event capture.
    mutable std::mutex captureLock_;
    std::vector<MacroEvent> captured_;             // guarded by captureLock_
    std::vector<WindowIdentity> capturedWindows_;  // guarded by captureLock_
    WindowCapture windowCapture_;                  // hook thread only
    std::atomic<bool> recording_{false};
    std::atomic<bool> recordMouse_{false};
    std::atomic<bool> recordKeyboard_{false};
    // Written by startRecording while recording is false, then only by the hook thread.
    CaptureState capture_;
};
