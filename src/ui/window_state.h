#pragma once
// What the main window may do and how it looks in each of its states, as plain functions: which
// command may run now, every control's enabled state and caption, and the status text that
// belongs to a state. The window derives everything it shows from these after every change, so
// it can never show idle while a recording or a playback runs.

#include <cstddef>
#include <string>
#include <vector>

// The one true state, read from the recorder's and the player's flags (and the window's own
// background load).
enum class Activity { Idle, Recording, Playing, Loading };

enum class WindowCommand {
    ChangeSettings,
    StartRecording,
    StopRecording,
    StartPlayback,
    StopPlayback,
    Save,
    Load,
    Clear,
    CheckUpdate,
    EditEvents,
    PausePlayback,   // while a playback runs and is not paused
    ResumePlayback,  // while a playback is paused
};

// Whether the command may run in this state. A command asks before it starts and again after
// every dialog or message box it showed, since the state may have moved meanwhile.
bool isCommandAllowed(Activity activity, WindowCommand command);

// The facts the controls depend on.
struct WindowFacts {
    Activity activity = Activity::Idle;
    size_t eventCount = 0;
    bool loopChecked = false;
    std::wstring recordKey = L"F8";  // the texts of the hotkeys, as the user chose them
    std::wstring stopKey = L"F9";
    bool paused = false;  // the playback is paused
    std::wstring pauseKey = L"F10";
};

// isCommandAllowed with the facts that tell a paused playback from a running one.
bool isCommandAllowed(const WindowFacts& facts, WindowCommand command);

// How one control looks; a null caption leaves the text as it is.
struct ControlLook {
    int id = 0;
    bool enabled = true;
    const wchar_t* caption = nullptr;
};

// Every control whose state or caption depends on the facts, in a fixed order.
std::vector<ControlLook> deriveControlLooks(const WindowFacts& facts);

// The texts of the group boxes and the idle status line that name the hotkeys.
std::wstring recordGroupText(const WindowFacts& facts);    // "录制 (F8 开始 / F9 停止)"
std::wstring playbackGroupText(const WindowFacts& facts);  // "回放 (F9 停止)"
std::wstring readyStatusText(const WindowFacts& facts);    // "就绪  ·  F8 录制 / F9 停止"

// The notice for the record key pressed during a recording.
std::wstring recordingNoticeText(const WindowFacts& facts);
// The warning of a start-up whose input hooks could not be installed.
std::wstring hooksFailedText(const WindowFacts& facts);

// "⏸ 已暂停，按 F10 继续" with the pause key's name ("⏸ 已暂停" without one).
std::wstring pausedStatusText(const WindowFacts& facts);
// "⏳ 第 N 遍将在 S 秒后开始".
std::wstring passGapStatusText(int nextPass, int seconds);
// "第 2/5 遍 · 第 340/1200 步" (limit 0: endless, "第 2 遍 · ..."); empty before the first pass.
std::wstring playbackProgressText(int pass, int limit, unsigned step, unsigned steps);

// The status text a state shows when nothing more particular was said in it.
std::wstring defaultStatusText(const WindowFacts& facts);
