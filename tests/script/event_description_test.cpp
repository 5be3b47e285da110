#include "script/event_description.h"

#include <climits>
#include <cstdint>

#include <gtest/gtest.h>

#include "base/text_encoding.h"

namespace {

MacroEvent make(EventKind kind, int x = 0, int y = 0, bool pressed = false, int button = 0, std::string key = {})
{
    MacroEvent e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.dx = x;
    e.dy = y;
    e.pressed = pressed;
    e.button = static_cast<MouseButton>(button);
    e.keyOrText = std::move(key);
    return e;
}

}  // namespace

TEST(EventRows, TextsOfEveryKind)
{
    const struct {
        MacroEvent event;
        const wchar_t* row;
    } cases[] = {
        {make(EventKind::Move, 100, 200), L"  #0001  移动 (100,200)"},
        {make(EventKind::Click, 0, 0, true, 0), L"  #0001  按下 [左]"},
        {make(EventKind::Click, 0, 0, false, 1), L"  #0001  释放 [右]"},
        {make(EventKind::Click, 0, 0, true, 7), L"  #0001  按下 [左]"},
        {make(EventKind::Scroll, 0, -2), L"  #0001  滚轮 (0,-2)"},
        {make(EventKind::Scroll, -1, 0), L"  #0001  滚轮 (-1,0)"},
        {make(EventKind::KeyDown, 0, 0, false, 0, "A"), L"  #0001  按键 [A]"},
        {make(EventKind::KeyUp, 0, 0, false, 0, "Shift"), L"  #0001  释放 [Shift]"},
        {make(EventKind::KeyDown, 0, 0, false, 0, "VK:186"), L"  #0001  按键 [VK:186]"},
        {make(EventKind::KeyUp), L"  #0001  释放 []"},
        {make(static_cast<EventKind>(9)), L"  #0001  ?"},
        {make(EventKind::KeyDown, 0, 0, false, 0, "\xFF"), L"  #0001  按键 [\xFFFD]"},
        {make(EventKind::Text, 0, 0, false, 0, "你好，Lormin"), L"  #0001  文字 「你好，Lormin」"},
        {make(EventKind::Text), L"  #0001  文字 「」"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatEventRow(0, c.event), c.row);
    }
}

TEST(EventRows, NumbersGrowBeyondFourDigits)
{
    EXPECT_EQ(formatEventRow(9999, make(EventKind::Move)), L"  #10000  移动 (0,0)");
    EXPECT_EQ(formatEventRow(123455, make(EventKind::Move)), L"  #123456  移动 (0,0)");
}

TEST(EventRows, LongKeysAreCutWithoutSplittingASurrogatePair)
{
    // "按键 [" is four units; the 251st and 252nd units of the text would be the two halves of
    // an emoji, so the cut must fall before the pair.
    std::string key(250, 'k');
    for (int i = 0; i < 10; ++i) {
        key += "\xF0\x9F\x98\x80";
    }
    const std::wstring text = describeEvent(make(EventKind::KeyDown, 0, 0, false, 0, key));
    ASSERT_LE(text.size(), 255u);
    const unsigned last = static_cast<unsigned>(text.back()) & 0xFFFF;
    EXPECT_FALSE(last >= 0xD800 && last <= 0xDBFF);
    EXPECT_EQ(text.size(), 254u);
    EXPECT_EQ(describeEvent(make(EventKind::KeyDown, 0, 0, false, 0, std::string(400, 'k'))).size(), 255u);
}

TEST(EventRows, NumberingFromTheFirstRowOn)
{
    const struct {
        uint32_t index;
        const wchar_t* prefix;
    } cases[] = {
        {0, L"  #0001  "},
        {8, L"  #0009  "},
        {9, L"  #0010  "},
        {9998, L"  #9999  "},
        {9999, L"  #10000  "},
        {123455, L"  #123456  "},
        {4294967294u, L"  #4294967295  "},
    };
    MacroEvent down;
    down.kind = EventKind::KeyDown;
    down.keyOrText = "F5";
    for (const auto& c : cases) {
        EXPECT_EQ(formatEventRow(c.index, down), std::wstring(c.prefix) + L"按键 [F5]") << c.index;
    }
}

TEST(EventRows, ExtremeCoordinatesKeepTheirSigns)
{
    MacroEvent move;
    move.kind = EventKind::Move;
    move.x = INT32_MIN;
    move.y = INT32_MAX;
    EXPECT_EQ(describeEvent(move), L"移动 (-2147483648,2147483647)");
    MacroEvent wheel;
    wheel.kind = EventKind::Scroll;
    wheel.x = 5;  // the pointer position is not shown for the wheel
    wheel.dx = 3;
    wheel.dy = -120;
    EXPECT_EQ(describeEvent(wheel), L"滚轮 (3,-120)");
    MacroEvent middle;
    middle.kind = EventKind::Click;
    middle.button = MouseButton::Middle;
    middle.pressed = false;
    EXPECT_EQ(describeEvent(middle), L"释放 [中]");
    MacroEvent negativeKind;
    negativeKind.kind = static_cast<EventKind>(-1);
    EXPECT_EQ(describeEvent(negativeKind), L"?");
}

TEST(EventRows, CutAtEveryPositionNeverLeavesHalfACharacter)
{
    // Key names of n ASCII letters followed by emojis put a surrogate pair across the 255-unit
    // limit for every parity; the cut keeps the longest prefix of whole characters.
    for (size_t letters = 240; letters <= 256; ++letters) {
        SCOPED_TRACE(letters);
        std::string key(letters, 'k');
        for (int i = 0; i < 20; ++i) {
            key += "\xF0\x9F\x98\x80";
        }
        key += "\xE5\xB7\xA6";
        MacroEvent up;
        up.kind = EventKind::KeyUp;
        up.keyOrText = key;
        const std::wstring full = L"释放 [" + utf8ToWide(key) + L"]";
        const std::wstring text = describeEvent(up);
        ASSERT_LE(text.size(), 255u);
        ASSERT_GE(text.size(), 254u);
        EXPECT_EQ(full.compare(0, text.size(), text), 0) << "the description is a prefix of the full text";
        const unsigned last = static_cast<unsigned>(text.back()) & 0xFFFF;
        EXPECT_FALSE(last >= 0xD800 && last <= 0xDBFF) << "high surrogate left at the end";
        const std::wstring row = formatEventRow(0, up);
        EXPECT_LE(row.size(), 319u) << "the row fits its 320-unit buffer";
    }
    // Replacement characters from bad bytes count like any other unit.
    MacroEvent bad;
    bad.kind = EventKind::KeyDown;
    bad.keyOrText = std::string(300, '\x80');
    EXPECT_EQ(describeEvent(bad), L"按键 [" + std::wstring(251, L'\xFFFD'));
}

TEST(EventRows, TextStepsShowTheirTextOnOneLine)
{
    const struct {
        std::string text;
        std::wstring row;
    } cases[] = {
        {"a\r\nb\nc\rd", L"文字 「a⏎b⏎c⏎d」"},
        {"\n\n", L"文字 「⏎⏎」"},
        {"\r\r\n", L"文字 「⏎⏎」"},
        {"7\xF0\x9F\x98\x80\t\"\\", L"文字 「7\xD83D\xDE00\t\"\\」"},
        {"\xED\xA0\xBD", L"文字 「\xFFFD」"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(describeEvent(make(EventKind::Text, 0, 0, false, 0, c.text)), c.row) << c.text;
    }
}

TEST(EventRows, LongTextsAreCutLikeOtherRows)
{
    // "文字 「" is four units: 251 more fill the row; a pair across the end is left out whole.
    const struct {
        std::string text;
        size_t units;
    } cases[] = {
        {std::string(100000, 'x'), 255}, {std::string(250, 'x') + "\xF0\x9F\x98\x80", 254},
        {std::string(251, 'x'), 255},    {std::string(250, 'x'), 255},  // the closing bracket is the 255th unit
        {std::string(249, 'x'), 254},
    };
    for (const auto& c : cases) {
        const std::wstring row = describeEvent(make(EventKind::Text, 0, 0, false, 0, c.text));
        EXPECT_EQ(row.size(), c.units) << c.text.size();
        EXPECT_EQ(row.compare(0, 4, L"文字 「"), 0);
    }
    std::string lines;
    for (int i = 0; i < 50000; ++i) {
        lines += "\r\n";
    }
    EXPECT_EQ(describeEvent(make(EventKind::Text, 0, 0, false, 0, lines)), L"文字 「" + std::wstring(251, L'⏎'));
}
