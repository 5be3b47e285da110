#include "ui/step_fields.h"

#include <gtest/gtest.h>

TEST(StepFields, WholeNumbersOfTheCoordinateAndRowFields)
{
    const struct {
        const wchar_t* text;
        bool ok;
        int32_t value;
    } cases[] = {
        {L"0", true, 0},
        {L" 1280 ", true, 1280},
        {L"-300", true, -300},
        {L"２４", true, 24},
        {L"－５", true, -5},
        {L"2147483647", true, 2147483647},
        {L"-2147483648", true, INT32_MIN},
        {L"2147483648", false, 0},
        {L"", false, 0},
        {L"-", false, 0},
        {L"1.5", false, 0},
        {L"+3", false, 0},
        {L"12a", false, 0},
        {L"99999999999999999999", false, 0},
    };
    for (const auto& c : cases) {
        int32_t value = 77;
        EXPECT_EQ(parseWholeNumber(c.text, value), c.ok);
        EXPECT_EQ(value, c.ok ? c.value : 77);
    }
}
