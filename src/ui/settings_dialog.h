#pragma once
// The settings dialog ("设置"): the record, alternate record, stop and pause hotkeys, each chosen
// by pressing it in its field, the box "用户移动鼠标时停止回放", the box that makes playbacks follow
// windows and the longest wait for a window in whole seconds, the wait between passes, and the
// notification-area icon's two boxes. Usable with the keyboard alone:
// Tab moves between the fields (a plain Tab, Enter or Esc is never taken as a hotkey), Enter is
// OK, Esc is Cancel, Backspace empties the alternate record field. Sized in dialog units of its
// font, so it follows the screen scale.

#include <functional>
#include <optional>
#include <string>
#include <windows.h>

#include "settings/user_settings.h"

class Recorder;

// Control ids of the dialog: the three chord fields, the check box and the line that says why
// OK refused.
constexpr int kRecordField = 101;
constexpr int kRecordAltField = 102;
constexpr int kStopField = 103;
constexpr int kStopOnUserInputBox = 104;
constexpr int kErrorText = 105;
constexpr int kFollowWindowsBox = 106;
constexpr int kWindowWaitField = 107;
constexpr int kPauseField = 108;
constexpr int kPassGapField = 109;
constexpr int kTrayIconBox = 110;
constexpr int kMinimizeToTrayBox = 111;

// What the dialog leaves to its caller.
struct SettingsDialogCalls {
    // Writes the chosen settings; false with a text for the dialog when it could not.
    std::function<bool(const UserSettings& settings, std::wstring& error)> save;
    // Pauses the hotkeys while the dialog is open (true) and lets them fire again (false), so that
    // pressing F8 in a field chooses F8 instead of starting a recording. May be left empty.
    std::function<void(bool paused)> pauseHotkeys;
};

// Runs the dialog modally over owner, starting from current. OK refuses, with a text in the
// dialog that says why, a missing record or stop key, two equal keys, and a key that people type
// (a letter, digit, Space, Enter, Tab, Esc or Backspace without Ctrl, Alt or Win), and a wait that
// is not a whole number of seconds from 1 to 600; otherwise it
// saves the settings (a failed save is told in the dialog, which stays open) and returns them;
// putting them to work is the caller's. Cancel returns nothing.
std::optional<UserSettings> runSettingsDialog(HWND owner, const UserSettings& current,
                                              const SettingsDialogCalls& calls);
