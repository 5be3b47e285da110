#pragma once
// The one Recorder of the process: the input hook thread with its global hotkeys, and the
// event capture that fills the one event list. The list is read and replaced only through the
// locked list operations below.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>
#include <windows.h>

#include "base/playback_pointer.h"
#include "base/thread.h"
#include "base/win_owners.h"
#include "recorder/capture_rules.h"
#include "recorder/hotkey_rules.h"
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

    // Recording (user-interface thread only).
    bool startRecording(bool recordMouse, bool recordKeyboard);
    void stopRecording();
    bool isRecording() const;

    // Hotkeys and the takeover watch (user-interface thread, at any time; the hook thread uses
    // the new values from its next notification on).
    // The record, alternate record and stop chords.
    void setChords(const HotkeyChords& chords);
    // Whether a real mouse movement or button press during a playback posts WM_APP_USER_TAKEOVER.
    void setStopOnUserInput(bool stop);
    // While paused no chord fires (the settings dialog captures chords from real key presses).
    void pauseHotkeys(bool paused);
    // Where the playback placed the cursor (the object the player writes); null: none.
    void setPlaybackPointer(PlaybackPointer* pointer);

    // Locked list operations (any thread).
    void clearEvents();
    size_t eventCount() const;
    void copyEvents(std::vector<MacroEvent>& out) const;
    bool eventAt(size_t index, MacroEvent& out) const;
    void replaceEvents(const std::vector<MacroEvent>& events);
    void replaceEvents(std::vector<MacroEvent>&& events);
    // Runs an edit on the events under the lock (the list is never copied for it).
    void editEvents(const std::function<void(std::vector<MacroEvent>&)>& edit);

    // Capture steps, called by the hook procedures on the hook thread.
    void onKeyboardHook(WPARAM message, const KBDLLHOOKSTRUCT& info);
    void onMouseHook(WPARAM message, const MSLLHOOKSTRUCT& info);

private:
    static LRESULT CALLBACK keyboardHookProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK mouseHookProc(int code, WPARAM wParam, LPARAM lParam);

    void runHookLoop();
    void installHooks();
    void removeHooks();
    // Posts the hotkey's message if this is one; true when the notification ends here.
    bool hotkeyStepFor(WPARAM message, const KBDLLHOOKSTRUCT& info);
    // Posts WM_APP_USER_TAKEOVER once per playback when the user takes it over.
    void takeoverStepFor(WPARAM message, const MSLLHOOKSTRUCT& info);
    HotkeyChords chords() const;
    // Drops the presses of a stop chord's modifiers from the recording (hook thread).
    void removeChordModifierPresses(uint32_t modifierKeys);
    // Waits while the hook state is Pending, at most about a second; returns the final state.
    HookState waitForHookAnswer() const;
    void logRecordingStopped() const;
    void appendEvent(const MacroEvent& event);

    // Input hook thread. The main window is written before the thread exists and only read after.
    HWND mainWindow = nullptr;
    Thread thread;
    KernelHandle startEvent;    // set by the hook thread once its message queue exists
    KernelHandle hookAnswered;  // set by the hook thread after each installation answer
    std::atomic<DWORD> threadId{0};
    HookHandle mouseHook;     // written only on the hook thread
    HookHandle keyboardHook;  // written only on the hook thread
    std::atomic<HookState> state{HookState::Pending};

    // Hotkeys: chords packed as key | modifiers << 8, written by setChords.
    std::atomic<uint32_t> recordChord{kDefaultRecordChord.key};
    std::atomic<uint32_t> recordAltChord{kDefaultRecordAltChord.key};
    std::atomic<uint32_t> stopChord{kDefaultStopChord.key};
    std::atomic<bool> hotkeysPaused{false};
    HotkeyTracker hotkeys;  // hook thread only
    std::atomic<bool> stopOnUserInput{false};
    std::atomic<PlaybackPointer*> playbackPointer{nullptr};

    // Event capture.
    mutable std::mutex eventLock;
    std::vector<MacroEvent> events;  // guarded by eventLock
    std::atomic<bool> recording{false};
    std::atomic<bool> recordMouse{false};
    std::atomic<bool> recordKeyboard{false};
    // Written by startRecording while recording is false, then only by the hook thread.
    CaptureState capture;
};

// The single recorder, alive for the whole process.
Recorder& theRecorder();
