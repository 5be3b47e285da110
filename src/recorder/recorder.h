#pragma once
// The one Recorder of the process: the input hook thread with its global hotkeys, and the
// event capture that fills the one event list. The list is read and replaced only through the
// locked list operations below.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>
#include <windows.h>

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

    // Locked list operations (any thread).
    void clearEvents();
    size_t eventCount() const;
    void copyEvents(std::vector<MacroEvent>& out) const;
    bool eventAt(size_t index, MacroEvent& out) const;
    void replaceEvents(const std::vector<MacroEvent>& events);

    // Capture steps, called by the hook procedures on the hook thread.
    void onKeyboardHook(WPARAM message, const KBDLLHOOKSTRUCT& info);
    void onMouseHook(WPARAM message, const MSLLHOOKSTRUCT& info);

private:
    // (state of the implementation)
};

// The single recorder, alive for the whole process.
Recorder& theRecorder();
