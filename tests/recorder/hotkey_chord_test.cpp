#include "recorder/hotkey_chord.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr uint8_t kCtrlShift = kChordCtrl | kChordShift;

TEST(ChordText, ModifiersInTheirOrderThenTheKeyName)
{
    const struct {
        HotkeyChord chord;
        const char* text;
    } rows[] = {
        {HotkeyChord{0x77, 0}, "F8"},
        {HotkeyChord{0x7A, kCtrlShift}, "Ctrl+Shift+F11"},
        {HotkeyChord{0x7A, kChordWin | kChordShift | kChordAlt | kChordCtrl}, "Ctrl+Alt+Shift+Win+F11"},
        {HotkeyChord{0x13, 0}, "Pause"},
        {HotkeyChord{0x41, kChordAlt}, "Alt+A"},
        {HotkeyChord{0x35, kChordCtrl}, "Ctrl+5"},
        {HotkeyChord{0x08, kChordCtrl}, "Ctrl+BS"},
        {HotkeyChord{0x22, kChordWin}, "Win+PgDn"},
        {HotkeyChord{0xBA, kChordCtrl}, "Ctrl+VK:186"},
        {HotkeyChord{}, ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(chordText(row.chord), row.text);
    }
}

TEST(ParseChord, NamesCaseBlanksAndModifierOrder)
{
    const struct {
        const char* text;
        uint8_t key;
        uint8_t modifiers;
    } rows[] = {
        {"F8", 0x77, 0},
        {"Ctrl+Shift+F11", 0x7A, kCtrlShift},
        {"shift+ctrl+f11", 0x7A, kCtrlShift},
        {" Ctrl + Shift +F11 ", 0x7A, kCtrlShift},
        {"\tALT+win+pgup", 0x21, kChordAlt | kChordWin},
        {"pause", 0x13, 0},
        {"Ctrl+a", 0x41, kChordCtrl},
        {"Alt+0", 0x30, kChordAlt},
        {"Ctrl+vk:186", 0xBA, kChordCtrl},
        {"Win+Esc", 0x1B, kChordWin},
        {"Caps", 0x14, 0},
        {"PrtSc", 0x2C, 0},
        {"Ctrl+Del", 0x2E, kChordCtrl},
        {"VK:254", 0xFE, 0},
    };
    for (const auto& row : rows) {
        HotkeyChord chord{0x01, 0xFF};
        ASSERT_TRUE(parseChord(row.text, chord)) << row.text;
        EXPECT_EQ(chord.key, row.key) << row.text;
        EXPECT_EQ(chord.modifiers, row.modifiers) << row.text;
    }
}

TEST(ParseChord, RefusesWhatIsNoChord)
{
    const char* const refused[] = {
        "",              // nothing
        "   ",           //
        "F13",           // unknown name
        "Ctrl+",         // no key
        "+F8",           // empty modifier
        "Ctrl+Ctrl+F8",  // a modifier twice
        "Ctrl+Control+F8",
        "Hyper+F8",  // unknown modifier
        "F8+Ctrl",   // the key comes last
        "Ctrl",      // a modifier alone
        "Shift_R",
        "Alt+Ctrl_R",
        "Win",
        "Win_R",
        "VK:1",  // the left mouse button
        "VK:4",
        "VK:0",
        "VK:255",
        "VK:300",
        "VK:-65",
        "VK: 65",
        "VK:",
        "F8 F9",
        "Ctrl Shift F11",
        "É",
    };
    for (const char* text : refused) {
        HotkeyChord chord{0x11, 0x0F};
        EXPECT_FALSE(parseChord(text, chord)) << text;
        EXPECT_EQ(chord.key, 0x11) << "untouched: " << text;
    }
}

TEST(ParseChord, EveryWrittenChordReadsBack)
{
    const uint8_t modifierSets[] = {0, kChordCtrl, kChordAlt | kChordShift,
                                    kChordCtrl | kChordAlt | kChordShift | kChordWin};
    for (uint32_t key = 1; key < 255; ++key) {
        if (!isHotkeyKey(key)) {
            continue;
        }
        for (uint8_t modifiers : modifierSets) {
            const HotkeyChord chord{static_cast<uint8_t>(key), modifiers};
            HotkeyChord read;
            ASSERT_TRUE(parseChord(chordText(chord), read)) << chordText(chord);
            EXPECT_EQ(read, chord) << chordText(chord);
        }
    }
}

TEST(HotkeyKeys, ModifiersAndMouseButtonsCannotCarryAHotkey)
{
    const struct {
        uint32_t key;
        bool allowed;
    } rows[] = {{0x00, false}, {0x01, false}, {0x02, false}, {0x03, true},  {0x04, false}, {0x05, false},
                {0x06, false}, {0x08, true},  {0x10, false}, {0x11, false}, {0x12, false}, {0x13, true},
                {0x5B, false}, {0x5C, false}, {0x5D, true},  {0x9F, true},  {0xA0, false}, {0xA5, false},
                {0xA6, true},  {0xFE, true},  {0xFF, false}, {0x100, false}};
    for (const auto& row : rows) {
        EXPECT_EQ(isHotkeyKey(row.key), row.allowed) << row.key;
    }
}

TEST(HotkeyKeys, TypedKeysNeedCtrlAltOrWin)
{
    const struct {
        HotkeyChord chord;
        bool refused;
    } rows[] = {
        {HotkeyChord{'A', 0}, true},
        {HotkeyChord{'Z', kChordShift}, true},
        {HotkeyChord{'0', 0}, true},
        {HotkeyChord{'9', kChordShift}, true},
        {HotkeyChord{0x20, 0}, true},  // Space
        {HotkeyChord{0x0D, 0}, true},  // Enter
        {HotkeyChord{0x09, kChordShift}, true},
        {HotkeyChord{0x1B, 0}, true},  // Esc
        {HotkeyChord{0x08, 0}, true},  // Backspace
        {HotkeyChord{'A', kChordCtrl}, false},
        {HotkeyChord{'A', kChordAlt}, false},
        {HotkeyChord{0x20, kChordWin}, false},
        {HotkeyChord{0x1B, kChordCtrl | kChordShift}, false},
        {HotkeyChord{0x77, 0}, false},  // F8
        {HotkeyChord{0x13, 0}, false},  // Pause
        {HotkeyChord{0x2E, 0}, false},  // Del
        {HotkeyChord{0x26, 0}, false},  // Up
        {HotkeyChord{0xBA, 0}, false},  // VK:186
    };
    for (const auto& row : rows) {
        EXPECT_EQ(isRefusedPlainKey(row.chord), row.refused) << chordText(row.chord);
    }
}

}  // namespace
