#include "script/macro_event.h"

#include <algorithm>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

TEST(KeyNames, NameForVirtualKey)
{
    const struct {
        uint32_t code;
        const char* name;
    } cases[] = {
        {0x10, "Shift"},  {0x11, "Ctrl"},
        {0x12, "Alt"},    {0xA1, "Shift_R"},
        {0x41, "A"},      {0x39, "9"},
        {0x08, "BS"},     {0x7B, "F12"},
        {0x7C, "VK:124"}, {0x60, "VK:96"},
        {0xBA, "VK:186"}, {0, "VK:0"},
        {0x2C, "PrtSc"},  {4294967295u, "VK:4294967295"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keyNameForVirtualKey(c.code), c.name) << std::hex << c.code;
    }
}

TEST(KeyNames, VirtualKeyForName)
{
    const struct {
        const char* name;
        int32_t code;
    } cases[] = {
        {"Shift", 0xA0}, {"shift", 0}, {"VK:186", 186}, {"VK:", 0},  {"VK:12abc", 12}, {"vk:186", 0},  {"F13", 0},
        {"", 0},         {"A", 0x41},  {"a", 0x41},     {"/", 0xBF}, {"Ctrl_R", 0xA3}, {"PgDn", 0x22},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(virtualKeyForName(c.name), c.code) << c.name;
    }
}

// Every named key, pinned both ways: the 37 rows of the key table, the letters and the digits.
TEST(KeyNames, EveryNamedKeyBothWays)
{
    const struct {
        const char* name;
        uint32_t code;
    } cases[] = {
        {"F1", 0x70},    {"F2", 0x71},      {"F3", 0x72},   {"F4", 0x73},     {"F5", 0x74},   {"F6", 0x75},
        {"F7", 0x76},    {"F8", 0x77},      {"F9", 0x78},   {"F10", 0x79},    {"F11", 0x7A},  {"F12", 0x7B},
        {"Enter", 0x0D}, {"Space", 0x20},   {"Tab", 0x09},  {"Esc", 0x1B},    {"BS", 0x08},   {"Del", 0x2E},
        {"Shift", 0xA0}, {"Shift_R", 0xA1}, {"Ctrl", 0xA2}, {"Ctrl_R", 0xA3}, {"Alt", 0xA4},  {"Alt_R", 0xA5},
        {"Win", 0x5B},   {"Win_R", 0x5C},   {"Caps", 0x14}, {"Up", 0x26},     {"Down", 0x28}, {"Left", 0x25},
        {"Right", 0x27}, {"Home", 0x24},    {"End", 0x23},  {"PgUp", 0x21},   {"PgDn", 0x22}, {"Ins", 0x2D},
        {"PrtSc", 0x2C}, {"A", 0x41},       {"B", 0x42},    {"C", 0x43},      {"D", 0x44},    {"E", 0x45},
        {"F", 0x46},     {"G", 0x47},       {"H", 0x48},    {"I", 0x49},      {"J", 0x4A},    {"K", 0x4B},
        {"L", 0x4C},     {"M", 0x4D},       {"N", 0x4E},    {"O", 0x4F},      {"P", 0x50},    {"Q", 0x51},
        {"R", 0x52},     {"S", 0x53},       {"T", 0x54},    {"U", 0x55},      {"V", 0x56},    {"W", 0x57},
        {"X", 0x58},     {"Y", 0x59},       {"Z", 0x5A},    {"0", 0x30},      {"1", 0x31},    {"2", 0x32},
        {"3", 0x33},     {"4", 0x34},       {"5", 0x35},    {"6", 0x36},      {"7", 0x37},    {"8", 0x38},
        {"9", 0x39},
    };
    EXPECT_EQ(sizeof cases / sizeof cases[0], 73u);
    for (const auto& c : cases) {
        EXPECT_EQ(keyNameForVirtualKey(c.code), c.name) << std::hex << c.code;
        EXPECT_EQ(virtualKeyForName(c.name), static_cast<int32_t>(c.code)) << c.name;
    }
}

// Every code without a name of its own is written VK:<decimal>; these are all of them below 256
// apart from the 73 named codes and the three generic modifiers.
TEST(KeyNames, CodesWithoutANameAreVkNumbers)
{
    const uint32_t named[] = {0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x0D, 0x20,
                              0x09, 0x1B, 0x08, 0x2E, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0x5B, 0x5C, 0x14, 0x26,
                              0x28, 0x25, 0x27, 0x24, 0x23, 0x21, 0x22, 0x2D, 0x2C, 0x10, 0x11, 0x12};
    int unnamed = 0;
    for (uint32_t v = 0; v < 256; ++v) {
        const bool isNamed = std::find(std::begin(named), std::end(named), v) != std::end(named) ||
                             (v >= 0x41 && v <= 0x5A) || (v >= 0x30 && v <= 0x39);
        if (!isNamed) {
            EXPECT_EQ(keyNameForVirtualKey(v), "VK:" + std::to_string(v));
            ++unnamed;
        }
    }
    EXPECT_EQ(unnamed, 180);
}

TEST(KeyNames, EveryCodeComesBackExceptTheGenericModifiers)
{
    for (uint32_t v = 0; v < 256; ++v) {
        const int32_t back = virtualKeyForName(keyNameForVirtualKey(v));
        if (v == 0x10 || v == 0x11 || v == 0x12) {
            EXPECT_EQ(back, static_cast<int32_t>(0xA0 + 2 * (v - 0x10))) << v;
        } else {
            EXPECT_EQ(back, static_cast<int32_t>(v)) << v;
        }
    }
}

TEST(KeyNames, ExtendedKeysAreExactlyTheEighteen)
{
    int count = 0;
    for (uint32_t v = 0; v < 256; ++v) {
        count += isExtendedKey(v) ? 1 : 0;
    }
    EXPECT_EQ(count, 18);
    EXPECT_TRUE(isExtendedKey(0x25));
    EXPECT_TRUE(isExtendedKey(0xA3));
    EXPECT_FALSE(isExtendedKey(0xA2));
    EXPECT_FALSE(isExtendedKey(0x0D));
    EXPECT_FALSE(isExtendedKey(0x2F));
}

TEST(Vocabulary, ButtonsAndKinds)
{
    EXPECT_STREQ(buttonName(static_cast<MouseButton>(7)), "\xE5\xB7\xA6");
    EXPECT_STREQ(buttonName(MouseButton::Right), "\xE5\x8F\xB3");
    MouseButton button = MouseButton::Left;
    EXPECT_TRUE(buttonFromName("\xE4\xB8\xAD", button));
    EXPECT_EQ(button, MouseButton::Middle);
    EXPECT_FALSE(buttonFromName("Left", button));
    EXPECT_FALSE(buttonFromName("\xE5\xB7\xA6\xE5\xB7\xA6", button));
    EXPECT_EQ(button, MouseButton::Middle);
    EXPECT_STREQ(kindToken(static_cast<EventKind>(9)), "m");
    EXPECT_STREQ(kindToken(EventKind::KeyUp), "ku");
    EventKind kind = EventKind::Move;
    EXPECT_TRUE(kindFromToken("kd", kind));
    EXPECT_EQ(kind, EventKind::KeyDown);
    for (const char* bad : {"K", "kdx", "", "M"}) {
        EXPECT_FALSE(kindFromToken(bad, kind)) << bad;
    }
}
