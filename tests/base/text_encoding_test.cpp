#include "base/text_encoding.h"

#include <gtest/gtest.h>

TEST(Utf8Text, ConvertsChineseAndAsciiToUtf16Units)
{
    EXPECT_EQ(utf8ToWide("A\xE5\xB7\xA6"), std::wstring(L"A\x5DE6"));
    EXPECT_EQ(utf8ToWide("\xF0\x9F\x98\x80"), std::wstring({wchar_t(0xD83D), wchar_t(0xDE00)}));
    EXPECT_EQ(wideToUtf8(std::wstring({wchar_t(0xD83D), wchar_t(0xDE00)})), "\xF0\x9F\x98\x80");
}

namespace {

std::wstring units(std::initializer_list<unsigned> values)
{
    std::wstring out;
    for (unsigned v : values) {
        out.push_back(static_cast<wchar_t>(v));
    }
    return out;
}

}  // namespace

// How many replacement characters each kind of malformed input gives; the same counts as the
// system's CP_UTF8 conversion (checked against it directly in the Windows build).
TEST(Utf8Text, MalformedInputBecomesReplacementCharacters)
{
    const unsigned R = 0xFFFD;
    const struct {
        const char* bytes;
        std::wstring expected;
    } cases[] = {
        {"\x80", units({R})},
        {"\x80\xBF"
         "A",
         units({R, R, 'A'})},
        {"\xC0\x80", units({R, R})},  // C0 and C1 never start a sequence
        {"\xC1\xBF", units({R, R})},
        {"\xC3"
         "A",
         units({R, 'A'})},  // broken before the end: the ASCII survives
        {"\xE5\xB7\xE5\xB7\xA6", units({R, 0x5DE6})},
        {"\xE0\x80\x80", units({R, R})},  // overlong: lead and first byte, then one more
        {"\xE0\x9F\xBF", units({R, R})},
        {"\xF0\x80\x80\x80", units({R, R, R})},
        {"\xF0\x8F\xBF\xBF", units({R, R, R})},
        {"\xED\xA0\x80", units({R, R})},  // surrogate
        {"\xED\x9F\xBF", units({0xD7FF})},
        {"\xF4\x8F\xBF\xBF", units({0xDBFF, 0xDFFF})},  // U+10FFFF
        {"\xF4\x90\x80\x80", units({R, R, R})},         // above U+10FFFF
        {"\xF5\x80\x80\x80", units({R, R, R, R})},
        {"\xFF\xFE", units({R, R})},
        {"\xE5", units({R})},          // cut short by the end of the input:
        {"\xF0\x9F\x98", units({R})},  // the rest is one replacement
        {"A\xE5"
         "B",
         units({'A', R})},
        {"\xF0"
         "AB",
         units({R})},
        {"\xF0"
         "ABC",
         units({R, 'A', 'B', 'C'})},  // long enough: only the lead is wrong
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8ToWide(c.bytes), c.expected) << c.bytes;
    }
    EXPECT_EQ(utf8ToWide(std::string("\xE0\0", 2)), units({R}));
    EXPECT_EQ(utf8ToWide(std::string("a\0b", 3)), units({'a', 0, 'b'}));
}

TEST(Utf8Text, EveryCodePointRoundTrips)
{
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            continue;
        }
        std::string bytes;
        appendUtf8(bytes, cp);
        const std::wstring wide = utf8ToWide(bytes);
        ASSERT_EQ(wide.size(), cp >= 0x10000 ? 2u : 1u) << cp;
        ASSERT_EQ(wideToUtf8(wide), bytes) << cp;
    }
}

TEST(Utf8Text, UnpairedSurrogatesBecomeReplacementCharactersInUtf8)
{
    EXPECT_EQ(wideToUtf8(units({0xD800})), "\xEF\xBF\xBD");
    EXPECT_EQ(wideToUtf8(units({'a', 0xDC00, 'b'})), "a\xEF\xBF\xBD"
                                                     "b");
    EXPECT_EQ(wideToUtf8(units({0xDBFF, 0xDBFF, 0xDFFF})), "\xEF\xBF\xBD\xF4\x8F\xBF\xBF");
}
