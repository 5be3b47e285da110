// Compares the core's UTF-8 decoder with the system's MultiByteToWideChar(CP_UTF8, 0, ...), which the
// program's Windows parts use for the same texts: both must give the same units for any bytes.
#include "base/text_encoding.h"

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <windows.h>
#include <gtest/gtest.h>

namespace {

std::wstring systemConversion(const std::string& bytes)
{
    if (bytes.empty()) {
        return std::wstring();
    }
    const int length = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, nullptr, 0);
    std::wstring out(static_cast<size_t>(units), L'\0');
    if (units > 0) {
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, &out[0], units);
    }
    return out;
}

std::string hexBytes(const std::string& bytes)
{
    std::string text;
    char part[4];
    for (unsigned char b : bytes) {
        snprintf(part, sizeof part, "%02X ", b);
        text += part;
    }
    return text;
}

std::string hexUnits(const std::wstring& units)
{
    std::string text;
    char part[6];
    for (wchar_t u : units) {
        snprintf(part, sizeof part, "%04X ", static_cast<unsigned>(u) & 0xFFFF);
        text += part;
    }
    return text;
}

void expectSameAsSystem(const std::string& bytes)
{
    const std::wstring expected = systemConversion(bytes);
    const std::wstring actual = utf8ToWide(bytes);
    EXPECT_EQ(hexUnits(actual), hexUnits(expected)) << "input: " << hexBytes(bytes);
}

}  // namespace

TEST(Utf8TextAgainstSystem, TrickyInputs)
{
    const char* const inputs[] = {
        "",
        "plain ascii",
        "\xE5\xB7\xA6\xE5\x8F\xB3",  // valid CJK
        "\xF0\x9F\x98\x80",          // valid U+1F600
        "\xF4\x8F\xBF\xBF",          // U+10FFFF, the last code point
        "\xEF\xBF\xBF\xEF\xBF\xBE",  // noncharacters U+FFFF, U+FFFE
        "\xEF\xBB\xBF"
        "A",  // byte-order mark kept as U+FEFF
        // Lone continuation bytes.
        "\x80",
        "\xBF",
        "\x80\x80\x80",
        "A\x80"
        "B",
        // Truncated sequences: at the end and followed by ASCII or a new lead byte.
        "\xC3",
        "\xE5",
        "\xE5\xB7",
        "\xF0",
        "\xF0\x9F",
        "\xF0\x9F\x98",
        "\xC3"
        "A",
        "\xE5\xB7"
        "A",
        "\xF0\x9F\x98"
        "A",
        "\xE5\xB7\xE5\xB7\xA6",
        "\xF0\x9F\xF0\x9F\x98\x80",
        // Overlong forms.
        "\xC0\x80",
        "\xC1\xBF",
        "\xC0\xAF",
        "\xE0\x80\x80",
        "\xE0\x80\xAF",
        "\xE0\x9F\xBF",
        "\xF0\x80\x80\x80",
        "\xF0\x8F\xBF\xBF",
        "\xF0\x80\x80\xAF",
        // UTF-16 surrogates encoded directly (CESU-style pairs too).
        "\xED\xA0\x80",
        "\xED\xBF\xBF",
        "\xED\xA0\xBD\xED\xB8\x80",
        "\xED\x9F\xBF",
        // Beyond U+10FFFF and bytes that never occur.
        "\xF4\x90\x80\x80",
        "\xF5\x80\x80\x80",
        "\xF7\xBF\xBF\xBF",
        "\xF8\x88\x80\x80\x80",
        "\xFC\x84\x80\x80\x80\x80",
        "\xFE",
        "\xFF",
        "\xFE\xFF",
        "\xFF\xFE",
        // Mixtures.
        "a\xC3\xA9"
        "b\xE2\x82\xAC"
        "c\xF0\x90\x8D\x88"
        "d",
        "\xE2\x82"
        "\xC3\xA9",
        "\xE2"
        "\x82\xAC\xAC",
        "\xC2\xC2\xA9",
        "\xED\xA0\x80"
        "A\xED\xB0\x80",
    };
    for (const char* input : inputs) {
        expectSameAsSystem(input);
    }
    expectSameAsSystem(std::string("nul\0inside\0", 11));
    expectSameAsSystem(std::string("\0\xC3\0", 3));
}

TEST(Utf8TextAgainstSystem, EveryTwoByteString)
{
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string bytes{static_cast<char>(a), static_cast<char>(b)};
            if (utf8ToWide(bytes) != systemConversion(bytes)) {
                expectSameAsSystem(bytes);
                return;  // one report is enough; the rest would repeat it
            }
        }
    }
}

TEST(Utf8TextAgainstSystem, EveryLeadWithEveryThreeContinuationPatterns)
{
    // Lead bytes from C0 on followed by bytes from each class that matters for the decoder.
    const unsigned char follow[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC2, 0xE0, 0xF0, 0xFF};
    int reported = 0;
    for (int lead = 0xC0; lead < 256 && reported < 5; ++lead) {
        for (unsigned char b1 : follow) {
            for (unsigned char b2 : follow) {
                for (unsigned char b3 : follow) {
                    const std::string bytes{static_cast<char>(lead), static_cast<char>(b1), static_cast<char>(b2),
                                            static_cast<char>(b3)};
                    if (utf8ToWide(bytes) != systemConversion(bytes) && reported < 5) {
                        expectSameAsSystem(bytes);
                        ++reported;
                    }
                }
            }
        }
    }
}

TEST(Utf8TextAgainstSystem, RandomByteStrings)
{
    // Bytes drawn mostly from the classes that start, continue or break sequences.
    const unsigned char alphabet[] = {0x00, 0x20, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0,
                                      0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1,
                                      0xF3, 0xF4, 0xF5, 0xF7, 0xF8, 0xFB, 0xFC, 0xFE, 0xFF};
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> pickLength(1, 24);
    std::uniform_int_distribution<int> pickClass(0, static_cast<int>(sizeof alphabet) - 1);
    std::uniform_int_distribution<int> pickAny(0, 255);
    std::uniform_int_distribution<int> coin(0, 3);
    int reported = 0;
    for (int round = 0; round < 50000 && reported < 5; ++round) {
        std::string bytes;
        const int length = pickLength(random);
        for (int i = 0; i < length; ++i) {
            const int b = coin(random) == 0 ? pickAny(random) : alphabet[pickClass(random)];
            bytes.push_back(static_cast<char>(b));
        }
        if (utf8ToWide(bytes) != systemConversion(bytes)) {
            expectSameAsSystem(bytes);
            ++reported;
        }
    }
}

TEST(Utf8TextAgainstSystem, RandomValidTextRoundTrips)
{
    // Valid text of every length class converts like the system does and back to the same bytes.
    std::mt19937 random(7);
    std::uniform_int_distribution<uint32_t> pickPoint(0, 0x10FFFF);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        for (int i = 0; i < 8; ++i) {
            uint32_t cp = pickPoint(random) >> (random() % 21);
            if (cp >= 0xD800 && cp <= 0xDFFF) {
                cp = 0xE000;
            }
            appendUtf8(bytes, cp);
        }
        const std::wstring units = utf8ToWide(bytes);
        ASSERT_EQ(hexUnits(units), hexUnits(systemConversion(bytes))) << hexBytes(bytes);
        ASSERT_EQ(wideToUtf8(units), bytes);
    }
}
