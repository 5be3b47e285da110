// The fields of the wait step dialogs: what each takes and what it refuses.
#include "ui/wait_step_fields.h"

#include <gtest/gtest.h>

TEST(WaitStepFields, NumbersColoursAndSecondsAsTyped)
{
    const struct {
        const wchar_t* text;
        bool whole;  // as a whole number from -10 to 255
        int32_t value;
    } numbers[] = {{L"0", true, 0},    {L" 255 ", true, 255}, {L"-10", true, -10},
                   {L"256", false, 0}, {L"-11", false, 0},    {L"1.5", false, 0},
                   {L"", false, 0},    {L"-", false, 0},      {L"99999999999999", false, 0},
                   {L"1e2", false, 0}};
    for (const auto& n : numbers) {
        int32_t value = 77;
        EXPECT_EQ(parseWholeNumber(n.text, -10, 255, value), n.whole) << n.text;
        EXPECT_EQ(value, n.whole ? n.value : 77) << n.text;
    }
    const struct {
        const wchar_t* text;
        bool taken;
        double seconds;
    } waits[] = {{L"10", true, 10},   {L"0.1", true, 0.1},   {L"3600", true, 3600},
                 {L"0.05", false, 0}, {L"3600.5", false, 0}, {L"-1", false, 0}};
    for (const auto& w : waits) {
        double seconds = -1;
        EXPECT_EQ(parseWaitSeconds(w.text, seconds), w.taken) << w.text;
        if (w.taken) {
            EXPECT_DOUBLE_EQ(seconds, w.seconds);
        }
    }
    uint32_t rgb = 0;
    EXPECT_TRUE(parseColourText(L"#1e90FF", rgb));
    EXPECT_EQ(rgb, 0x1E90FFu);
    EXPECT_TRUE(parseColourText(L" 000000", rgb));
    EXPECT_EQ(rgb, 0u);
    EXPECT_FALSE(parseColourText(L"#1E90F", rgb));
    EXPECT_FALSE(parseColourText(L"##1E90FF", rgb));
    // A pick's COLORREF (0x00BBGGRR) as a step holds it.
    EXPECT_EQ(rgbOfColorref(0x00FF901E), 0x1E90FFu);
}
