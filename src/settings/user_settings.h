#pragma once
// The user's own settings: the record, alternate record and stop hotkeys and whether a playback
// stops when the user takes over the mouse. Their text form, as the per-user settings file
// %APPDATA%\LorminRecorder\settings.cfg holds it:
//
//   HOTKEY_RECORD=F8
//   HOTKEY_RECORD_ALT=F7
//   HOTKEY_STOP=F9
//   STOP_ON_USER_INPUT=0
//   FOLLOW_WINDOWS=0
//   WINDOW_WAIT_SECONDS=10
//   HOTKEY_PAUSE=F10
//   TRAY_ICON=1
//   MINIMIZE_TO_TRAY=0
//   PASS_GAP_SECONDS=0
//
// A chord is written as recorder/hotkey_chord.h says. The file is read with the rules of
// LorminRecorder.cfg (base/config_lines.h): UTF-8 with or without byte-order mark, one KEY=VALUE a line,
// keys in any letter case, blanks around "=" and around the value ignored, one pair of double
// quotes around the value removed, lines starting with "#" or ";" are comments, the first line
// of a key counts.

#include <string>
#include <vector>

#include "recorder/hotkey_chord.h"
#include "recorder/hotkey_rules.h"

// A new setting: a field here with its default, and a row in the tables of user_settings.cpp.
struct UserSettings {
    HotkeyChord record = kDefaultRecordChord;        // starts (and stops) a recording
    HotkeyChord recordAlt = kDefaultRecordAltChord;  // does what record does; may be empty
    HotkeyChord stop = kDefaultStopChord;            // stops a playback, else a recording
    bool stopOnUserInput = false;                    // stop a playback when the user takes over the mouse
    bool followWindows = false;                      // replay clicks and keys into the windows they were recorded in
    int windowWaitSeconds = 10;                      // the longest wait for such a window, 1 to 600
    HotkeyChord pause = kDefaultPauseChord;          // pauses and resumes a playback (only while one runs)
    int passGapSeconds = 0;                          // the wait between two passes of a playback, 0 to 3600
    bool trayIcon = true;                            // an icon in the notification area
    bool minimizeToTray = false;                     // a minimised window leaves the taskbar for the icon
};

// The hotkey fields, for the checks below.
enum class HotkeyField { Record, RecordAlt, Stop, Pause };
enum class HotkeyFault {
    None,
    Missing,   // record and stop need a key
    PlainKey,  // isRefusedPlainKey
    SameAs,    // equal to the chord of another field
};
struct HotkeyCheck {
    HotkeyFault fault = HotkeyFault::None;
    HotkeyField field = HotkeyField::Record;  // the field at fault
    HotkeyField other = HotkeyField::Record;  // for SameAs: the field it equals
};
// The first fault of the hotkeys, checked field by field in the order record, alternate, stop, pause.
HotkeyCheck checkHotkeys(const UserSettings& settings);

// The settings of a file's content. Missing keys keep their defaults; a value that cannot be
// used gets its default and one line in problems (UTF-8 text for the error log).
UserSettings readUserSettings(const std::string& content, std::vector<std::string>& problems);
// The file content for the settings: the lines above with CR LF endings.
std::string writeUserSettings(const UserSettings& settings);

// The chords the recorder's hook looks for.
HotkeyChords hotkeyChordsOf(const UserSettings& settings);
