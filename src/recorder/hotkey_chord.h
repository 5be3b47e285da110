#pragma once
// A hotkey chord: a key with the modifiers that must be down with it, and its text form. A
// chord is written as the modifiers it needs, in the order Ctrl, Alt, Shift, Win, each followed
// by "+", then the key's name: "Ctrl+Shift+F11", "Pause", "F8".

#include <cstdint>
#include <string>

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
constexpr HotkeyChord kDefaultPauseChord{0x79, 0};      // F10

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
