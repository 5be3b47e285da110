#include "ui/number_fields.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberFields, SpeedTextIsPrefixParsedDefaultedAndClamped)
{
    struct Case {
        const wchar_t* text;
        double speed;
        const wchar_t* shown;
    } cases[] = {
        {L"abc", 1.0, L"1.0"},   {L"0", 1.0, L"1.0"},     {L"-2", 1.0, L"1.0"},     {L"0.05", 0.1, L"0.1"},
        {L"25", 10.0, L"10.0"},  {L"1.26", 1.26, L"1.3"}, {L"  2.5x", 2.5, L"2.5"}, {L"", 1.0, L"1.0"},
        {L"1e1", 10.0, L"10.0"}, {L"inf", 10.0, L"10.0"}, {L"nan", 1.0, L"1.0"},    {L"+0.1", 0.1, L"0.1"},
        {L"3.", 3.0, L"3.0"},    {L".5", 0.5, L"0.5"},
    };
    for (const Case& c : cases) {
        const double speed = parseSpeedText(c.text);
        EXPECT_DOUBLE_EQ(speed, c.speed) << c.text;
        EXPECT_EQ(formatSpeedText(speed), c.shown) << c.text;
    }
    // Whatever way a tie rounds, the shown text reads back as itself: the shown value is the one used.
    const std::wstring shown = formatSpeedText(parseSpeedText(L"1.25"));
    EXPECT_TRUE(shown == L"1.2" || shown == L"1.3") << shown;
    EXPECT_EQ(formatSpeedText(parseSpeedText(shown)), shown);
    // Only the first 31 characters count: a digit in position 32 is not read.
    EXPECT_DOUBLE_EQ(parseSpeedText(std::wstring(30, L' ') + L"2" + L"5"), 2.0);
}

TEST(NumberFields, LoopCountTextIsPrefixParsedAndClamped)
{
    struct Case {
        const wchar_t* text;
        int count;
    } cases[] = {{L"0", 1},
                 {L"1500", 999},
                 {L"7abc", 7},
                 {L"", 1},
                 {L"abc", 1},
                 {L"-5", 1},
                 {L"  42", 42},
                 {L"999", 999},
                 {L"1", 1},
                 {L"+3", 3},
                 {L"99999999999999", 999},
                 {L"-99999999999999", 1},
                 {L"4.9", 4}};
    for (const Case& c : cases) {
        EXPECT_EQ(parseLoopCountText(c.text), c.count) << c.text;
    }
    EXPECT_EQ(parseLoopCountText(std::wstring(14, L' ') + L"5" + L"7"), 5);
}

TEST(NumberFields, ArrowStepsStayInRange)
{
    struct SpeedCase {
        double speed;
        int delta;
        int position;
    } speeds[] = {{10.0, 1, 100}, {0.1, -1, 1},    {1.0, 1, 11},           {1.0, -1, 9},
                  {1.25, 1, 14},  {5.0, -1000, 1}, {5.0, 2147483647, 100}, {0.1, -2147483647 - 1, 1}};
    for (const SpeedCase& c : speeds) {
        EXPECT_EQ(stepSpeedPosition(c.speed, c.delta), c.position) << c.speed << " " << c.delta;
    }
    EXPECT_EQ(speedSpinPosition(1.25), 13);
    EXPECT_EQ(speedSpinPosition(10.0), 100);

    struct CountCase {
        int count, delta, result;
    } counts[] = {{1, -1, 1}, {999, 1, 999}, {5, 1, 6}, {5, -1, 4}, {998, 2147483647, 999}, {2, -2147483647 - 1, 1}};
    for (const CountCase& c : counts) {
        EXPECT_EQ(stepLoopCount(c.count, c.delta), c.result) << c.count << " " << c.delta;
    }
}

}  // namespace
