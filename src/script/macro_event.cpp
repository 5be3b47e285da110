#include "script/macro_event.h"

#include <cstdio>
#include <cstdlib>

namespace {

struct KeyRow {
    const char* name;
    uint32_t virtualKey;
};

// Names and codes are each unique, so both lookup directions are unambiguous. The generic
// modifier codes (0x10 to 0x12) have no row: they are named as their left-hand keys.
constexpr KeyRow kKeyTable[] = {
    {"F1", 0x70},    {"F2", 0x71},      {"F3", 0x72},   {"F4", 0x73},     {"F5", 0x74},   {"F6", 0x75},
    {"F7", 0x76},    {"F8", 0x77},      {"F9", 0x78},   {"F10", 0x79},    {"F11", 0x7A},  {"F12", 0x7B},
    {"Enter", 0x0D}, {"Space", 0x20},   {"Tab", 0x09},  {"Esc", 0x1B},    {"BS", 0x08},   {"Del", 0x2E},
    {"Shift", 0xA0}, {"Shift_R", 0xA1}, {"Ctrl", 0xA2}, {"Ctrl_R", 0xA3}, {"Alt", 0xA4},  {"Alt_R", 0xA5},
    {"Win", 0x5B},   {"Win_R", 0x5C},   {"Caps", 0x14}, {"Up", 0x26},     {"Down", 0x28}, {"Left", 0x25},
    {"Right", 0x27}, {"Home", 0x24},    {"End", 0x23},  {"PgUp", 0x21},   {"PgDn", 0x22}, {"Ins", 0x2D},
    {"PrtSc", 0x2C},
};
static_assert(sizeof kKeyTable / sizeof kKeyTable[0] == 37, "the key table has 37 rows");

}  // namespace

std::string keyNameForVirtualKey(uint32_t virtualKey)
{
    uint32_t v = virtualKey;
    if (v == 0x10) {
        v = 0xA0;
    } else if (v == 0x11) {
        v = 0xA2;
    } else if (v == 0x12) {
        v = 0xA4;
    }
    if ((v >= 0x41 && v <= 0x5A) || (v >= 0x30 && v <= 0x39)) {
        return std::string(1, static_cast<char>(v));
    }
    for (const KeyRow& row : kKeyTable) {
        if (row.virtualKey == v) {
            return row.name;
        }
    }
    char text[16];
    std::snprintf(text, sizeof text, "VK:%u", static_cast<unsigned>(v));
    return text;
}

int32_t virtualKeyForName(const std::string& name)
{
    if (name.empty()) {
        return 0;
    }
    if (name.size() >= 3 && name.compare(0, 3, "VK:") == 0) {
        // atoi semantics: blanks, optional sign, digits up to the first non-digit.
        return static_cast<int32_t>(std::strtol(name.c_str() + 3, nullptr, 10));
    }
    if (name.size() == 1) {
        const int32_t code = charToVirtualKeySeam(static_cast<uint16_t>(static_cast<unsigned char>(name[0])));
        return code < 0 ? 0 : (code & 0xFF);
    }
    for (const KeyRow& row : kKeyTable) {
        if (name == row.name) {
            return static_cast<int32_t>(row.virtualKey);
        }
    }
    return 0;
}

bool isExtendedKey(uint32_t virtualKey)
{
    switch (virtualKey) {
    case 0x21:
    case 0x22:
    case 0x23:
    case 0x24:
    case 0x25:
    case 0x26:
    case 0x27:
    case 0x28:
    case 0x2C:
    case 0x2D:
    case 0x2E:
    case 0x5B:
    case 0x5C:
    case 0x5D:
    case 0x6F:
    case 0x90:
    case 0xA3:
    case 0xA5: return true;
    default: return false;
    }
}

const char* buttonName(MouseButton button)
{
    switch (button) {
    case MouseButton::Right: return "\xE5\x8F\xB3";   // 右
    case MouseButton::Middle: return "\xE4\xB8\xAD";  // 中
    default: return "\xE5\xB7\xA6";                   // 左
    }
}

bool buttonFromName(const std::string& name, MouseButton& button)
{
    for (MouseButton b : {MouseButton::Left, MouseButton::Right, MouseButton::Middle}) {
        if (name == buttonName(b)) {
            button = b;
            return true;
        }
    }
    return false;
}

const char* kindToken(EventKind kind)
{
    switch (kind) {
    case EventKind::Click: return "c";
    case EventKind::Scroll: return "s";
    case EventKind::KeyDown: return "kd";
    case EventKind::KeyUp: return "ku";
    case EventKind::Text: return "tx";
    case EventKind::WaitWindow: return "ww";
    case EventKind::WaitColour: return "wp";
    case EventKind::WaitPicture: return "wi";
    default: return "m";
    }
}

bool kindFromToken(const std::string& token, EventKind& kind)
{
    static constexpr EventKind kinds[] = {EventKind::Move,       EventKind::Click,      EventKind::Scroll,
                                          EventKind::KeyDown,    EventKind::KeyUp,      EventKind::Text,
                                          EventKind::WaitWindow, EventKind::WaitColour, EventKind::WaitPicture};
    for (EventKind k : kinds) {
        if (token == kindToken(k)) {
            kind = k;
            return true;
        }
    }
    return false;
}
