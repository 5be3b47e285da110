#include "script/utf8_text.h"

#include <gtest/gtest.h>

TEST(Utf8Text, ConvertsChineseAndAsciiToUtf16Units)
{
    EXPECT_EQ(utf8ToWide("A\xE5\xB7\xA6"), std::wstring(L"A\x5DE6"));
    EXPECT_EQ(utf8ToWide("\xF0\x9F\x98\x80"), std::wstring({wchar_t(0xD83D), wchar_t(0xDE00)}));
    EXPECT_EQ(wideToUtf8(std::wstring({wchar_t(0xD83D), wchar_t(0xDE00)})), "\xF0\x9F\x98\x80");
}
