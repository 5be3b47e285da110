#pragma once
// The settings dialog ("设置"): the record, alternate record and stop hotkeys, each chosen by
// pressing it in its field, and the box "用户移动鼠标时停止回放". Usable with the keyboard alone:
// Tab moves between the fields (a plain Tab, Enter or Esc is never taken as a hotkey), Enter is
// OK, Esc is Cancel, Backspace empties the alternate record field. Sized in dialog units of its
// font, so it follows the screen scale.

#include <windows.h>

#include "recorder/user_settings.h"

class Recorder;

// Control ids of the dialog: the three chord fields, the check box and the line that says why
// OK refused.
constexpr int kRecordField = 101;
constexpr int kRecordAltField = 102;
constexpr int kStopField = 103;
constexpr int kStopOnUserInputBox = 104;
constexpr int kErrorText = 105;

// Runs the dialog modally over owner, starting from settings. While it is open the hotkeys are
// paused (so that pressing F8 in a field chooses F8 instead of starting a recording). OK refuses,
// with a text in the dialog that says why, a missing record or stop key, two equal keys, and a
// key that people type (a letter, digit, Space, Enter, Tab, Esc or Backspace without Ctrl, Alt
// or Win); otherwise it writes the settings file (a failed write is told in the dialog, which
// stays open), hands the settings to recorder, stores them in settings and returns true.
// Cancel returns false and changes nothing.
bool RunSettingsDialog(HWND owner, UserSettings& settings, Recorder& recorder);
