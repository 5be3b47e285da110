#pragma once
// The user's own settings: the record, alternate record and stop hotkeys and whether a playback
// stops when the user takes over the mouse. Their text form, as the per-user settings file
// %APPDATA%\LorminRecorder\settings.cfg holds it:
//
//   HOTKEY_RECORD=F8
//   HOTKEY_RECORD_ALT=F7
//   HOTKEY_STOP=F9
//   STOP_ON_USER_INPUT=0
//
// A chord is written as the modifiers it needs, in the order Ctrl, Alt, Shift, Win, each
// followed by "+", then the key's name: "Ctrl+Shift+F11", "Pause", "F8". The file is read with
// the rules of LorminRecorder.cfg: UTF-8 with or without byte-order mark, one KEY=VALUE a line,
// keys in any letter case, blanks around "=" and around the value ignored, one pair of double
// quotes around the value removed, lines starting with "#" or ";" are comments, the first line
// of a key counts.

#include <cstdint>
#include <string>
#include <vector>

// Modifier bits of a chord.
constexpr uint8_t kChordCtrl = 0x01;
constexpr uint8_t kChordAlt = 0x02;
constexpr uint8_t kChordShift = 0x04;
constexpr uint8_t kChordWin = 0x08;

// A key with the modifiers that must be down with it; key 0 is no chord at all.
struct HotkeyChord {
    uint8_t key = 0;  // virtual-key code
    uint8_t modifiers = 0;

    bool empty() const { return key == 0; }
    bool operator==(const HotkeyChord& other) const { return key == other.key && modifiers == other.modifiers; }
    bool operator!=(const HotkeyChord& other) const { return !(*this == other); }
};

constexpr HotkeyChord kDefaultRecordChord{0x77, 0};     // F8
constexpr HotkeyChord kDefaultRecordAltChord{0x76, 0};  // F7
constexpr HotkeyChord kDefaultStopChord{0x78, 0};       // F9

struct UserSettings {
    HotkeyChord record = kDefaultRecordChord;        // starts (and stops) a recording
    HotkeyChord recordAlt = kDefaultRecordAltChord;  // does what record does; may be empty
    HotkeyChord stop = kDefaultStopChord;            // stops a playback, else a recording
    bool stopOnUserInput = false;                    // stop a playback when the user takes over the mouse
};

// The text of a chord ("Ctrl+Shift+F11", "F8"); empty for an empty chord.
std::string chordText(const HotkeyChord& chord);

// Reads a chord in any letter case with blanks around its parts ("ctrl + shift+f11"); the
// modifiers may come in any order, each at most once. False (chord untouched) for an empty
// text, an unknown name, a repeated modifier, or a key that cannot be a hotkey (a modifier key
// itself, a mouse button).
bool parseChord(const std::string& text, HotkeyChord& chord);

// Whether a key can carry a hotkey at all: not a modifier, not a mouse button, within 1..254.
bool isHotkeyKey(uint32_t virtualKey);
// A letter, digit, Space, Enter, Tab, Esc or Backspace without Ctrl, Alt or Win: keys that
// people type, which a global hotkey would take away from every other program.
bool isRefusedPlainKey(const HotkeyChord& chord);

// The three hotkey fields, for the checks below.
enum class HotkeyField { Record, RecordAlt, Stop };
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
// The first fault of the hotkeys, checked field by field in the order record, alternate, stop.
HotkeyCheck checkHotkeys(const UserSettings& settings);

// The settings of a file's content. Missing keys keep their defaults; a value that cannot be
// used gets its default and one line in problems (UTF-8 text for the error log).
UserSettings readUserSettings(const std::string& content, std::vector<std::string>& problems);
// The file content for the settings: the four lines above with CR LF endings.
std::string writeUserSettings(const UserSettings& settings);
