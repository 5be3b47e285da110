#include "recorder/hotkey_chord.h"

#include <cstddef>
#include <vector>

#include "script/macro_event.h"

namespace {

constexpr uint8_t kVirtualKeyPause = 0x13;

struct ModifierName {
    uint8_t bit;
    const char* name;
};
// In the order the text writes them.
constexpr ModifierName kModifierNames[] = {
    {kChordCtrl, "Ctrl"}, {kChordAlt, "Alt"}, {kChordShift, "Shift"}, {kChordWin, "Win"}};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Only ASCII letters are folded: values may hold UTF-8 elsewhere.
char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (upperAscii(a[i]) != upperAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string trimmed(const std::string& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && isBlank(text[first])) {
        ++first;
    }
    while (last > first && isBlank(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

// The name of a hotkey key: the key-name vocabulary, with Pause named as people know it.
std::string keyName(uint8_t key)
{
    return key == kVirtualKeyPause ? std::string("Pause") : keyNameForVirtualKey(key);
}

// The key of a name in any letter case, 0 when there is none. Letters and digits are their
// keys on every layout; "VK:" takes plain decimal digits only.
uint32_t keyOfName(const std::string& name)
{
    if (name.empty()) {
        return 0;
    }
    if (name.size() == 1) {
        const char c = upperAscii(name[0]);
        return ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) ? static_cast<uint32_t>(c) : 0;
    }
    if (name.size() > 3 && equalsIgnoringCase(name.substr(0, 3), "VK:")) {
        uint32_t code = 0;
        for (size_t i = 3; i < name.size(); ++i) {
            if (name[i] < '0' || name[i] > '9' || code > 255) {
                return 0;
            }
            code = code * 10 + static_cast<uint32_t>(name[i] - '0');
        }
        return code;
    }
    for (uint32_t code = 1; code < 255; ++code) {
        const std::string known = keyName(static_cast<uint8_t>(code));
        if (known.size() > 1 && known.compare(0, 3, "VK:") != 0 && equalsIgnoringCase(known, name)) {
            return code;
        }
    }
    return 0;
}

uint8_t modifierOfName(const std::string& name)
{
    for (const ModifierName& modifier : kModifierNames) {
        if (equalsIgnoringCase(name, modifier.name)) {
            return modifier.bit;
        }
    }
    return 0;
}

}  // namespace

std::string chordText(const HotkeyChord& chord)
{
    if (chord.empty()) {
        return std::string();
    }
    std::string text;
    for (const ModifierName& modifier : kModifierNames) {
        if ((chord.modifiers & modifier.bit) != 0) {
            text += modifier.name;
            text += '+';
        }
    }
    return text + keyName(chord.key);
}

bool parseChord(const std::string& text, HotkeyChord& chord)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t plus = text.find('+', start);
        parts.push_back(trimmed(text.substr(start, plus == std::string::npos ? std::string::npos : plus - start)));
        if (plus == std::string::npos) {
            break;
        }
        start = plus + 1;
    }
    HotkeyChord parsed;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        const uint8_t bit = modifierOfName(parts[i]);
        if (bit == 0 || (parsed.modifiers & bit) != 0) {
            return false;
        }
        parsed.modifiers = static_cast<uint8_t>(parsed.modifiers | bit);
    }
    const uint32_t key = keyOfName(parts.back());
    if (!isHotkeyKey(key)) {
        return false;
    }
    parsed.key = static_cast<uint8_t>(key);
    chord = parsed;
    return true;
}

bool isHotkeyKey(uint32_t virtualKey)
{
    switch (virtualKey) {
    case 0x01:  // mouse buttons
    case 0x02:
    case 0x04:
    case 0x05:
    case 0x06:
    case 0x10:  // Shift, Ctrl, Alt without a side
    case 0x11:
    case 0x12:
    case 0x5B:  // the Windows keys
    case 0x5C: return false;
    default: return virtualKey >= 0x01 && virtualKey <= 0xFE && !(virtualKey >= 0xA0 && virtualKey <= 0xA5);
    }
}

bool isRefusedPlainKey(const HotkeyChord& chord)
{
    if ((chord.modifiers & (kChordCtrl | kChordAlt | kChordWin)) != 0) {
        return false;
    }
    const uint8_t key = chord.key;
    return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == 0x20 || key == 0x0D || key == 0x09 ||
           key == 0x1B || key == 0x08;
}
