#include "script/event_description.h"

#include <gtest/gtest.h>

namespace {

MacroEvent make(int32_t kind, int x = 0, int y = 0, bool pressed = false, int button = 0, std::string key = {})
{
    MacroEvent e;
    e.kind = static_cast<EventKind>(kind);
    e.x = x;
    e.y = y;
    e.dx = x;
    e.dy = y;
    e.pressed = pressed;
    e.button = static_cast<MouseButton>(button);
    e.key = std::move(key);
    return e;
}

}  // namespace

TEST(EventRows, TextsOfEveryKind)
{
    const struct {
        MacroEvent event;
        const wchar_t* row;
    } cases[] = {
        {make(Move, 100, 200), L"  #0001  移动 (100,200)"},
        {make(Click, 0, 0, true, 0), L"  #0001  按下 [左]"},
        {make(Click, 0, 0, false, 1), L"  #0001  释放 [右]"},
        {make(Click, 0, 0, true, 7), L"  #0001  按下 [左]"},
        {make(Scroll, 0, -2), L"  #0001  滚轮 (0,-2)"},
        {make(Scroll, -1, 0), L"  #0001  滚轮 (-1,0)"},
        {make(KeyDown, 0, 0, false, 0, "A"), L"  #0001  按键 [A]"},
        {make(KeyUp, 0, 0, false, 0, "Shift"), L"  #0001  释放 [Shift]"},
        {make(KeyDown, 0, 0, false, 0, "VK:186"), L"  #0001  按键 [VK:186]"},
        {make(KeyUp), L"  #0001  释放 []"},
        {make(9), L"  #0001  ?"},
        {make(KeyDown, 0, 0, false, 0, "\xFF"), L"  #0001  按键 [\xFFFD]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatEventRow(0, c.event), c.row);
    }
}

TEST(EventRows, NumbersGrowBeyondFourDigits)
{
    EXPECT_EQ(formatEventRow(9999, make(Move)), L"  #10000  移动 (0,0)");
    EXPECT_EQ(formatEventRow(123455, make(Move)), L"  #123456  移动 (0,0)");
}

TEST(EventRows, LongKeysAreCutWithoutSplittingASurrogatePair)
{
    // "按键 [" is four units; the 251st and 252nd units of the text would be the two halves of
    // an emoji, so the cut must fall before the pair.
    std::string key(250, 'k');
    for (int i = 0; i < 10; ++i) {
        key += "\xF0\x9F\x98\x80";
    }
    const std::wstring text = describeEvent(make(KeyDown, 0, 0, false, 0, key));
    ASSERT_LE(text.size(), 255u);
    const unsigned last = static_cast<unsigned>(text.back()) & 0xFFFF;
    EXPECT_FALSE(last >= 0xD800 && last <= 0xDBFF);
    EXPECT_EQ(text.size(), 254u);
    EXPECT_EQ(describeEvent(make(KeyDown, 0, 0, false, 0, std::string(400, 'k'))).size(), 255u);
}
