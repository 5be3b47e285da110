#include "script/macro_event.h"

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
