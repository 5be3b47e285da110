#include "update/url_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

using namespace UpdateRules;

namespace {

TEST(manifestUrlFor, BuildsTheManifestUrl)
{
    const struct {
        std::u16string base;
        std::u16string expected;
    } cases[] = {
        {u"", u""},
        {u"https://h/r/", u"https://h/r/version.json"},
        {u"https://h/r", u"https://h/r/version.json"},
        {u"https://h/r/beta.json", u"https://h/r/beta.json"},
        {u"https://h/r/V.JSON", u"https://h/r/V.JSON/version.json"},
        {u".json", u".json"},
        {u"json", u"json/version.json"},
        {u"https://h", u"https://h/version.json"},
        {u"https://h//r/../x/", u"https://h//r/../x/version.json"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(manifestUrlFor(c.base), c.expected);
    }
}

TEST(manifestUrlFor, DefaultIsAnHttpsDirectory)
{
    const std::u16string base = u"" LR_DEFAULT_UPDATE_BASE_URL;
    EXPECT_EQ(base.rfind(u"https://", 0), 0u);
    EXPECT_EQ(manifestUrlFor(base), base + u"version.json");
    EXPECT_NE(base.find(u"/static/release/recorder/"), std::u16string::npos);
}

TEST(resolveUrl, ResolvesAgainstTheManifestFolder)
{
    const std::u16string manifest = u"https://h/r/version.json";
    const struct {
        std::u16string manifest;
        std::u16string reference;
        std::u16string expected;
    } cases[] = {
        {manifest, u"app.exe", u"https://h/r/app.exe"},
        {manifest, u"https://other/x/app.exe", u"https://other/x/app.exe"},
        {manifest, u"", u""},
        {manifest, u"ab", u"https://h/r/ab"},
        {manifest, u"a:/", u"https://h/r/a:/"},
        {manifest, u"://", u"://"},
        {manifest, u"x://y", u"x://y"},
        {manifest, u"/x.exe", u"https://h/r//x.exe"},
        {manifest, u"../x.exe", u"https://h/r/../x.exe"},
        {u"noslash", u"app.exe", u"noslashapp.exe"},
        {u"", u"app.exe", u"app.exe"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(resolveUrl(c.manifest, c.reference), c.expected);
    }
}

TEST(compareVersions, ComparesComponentsAsNumbers)
{
    const struct {
        std::u16string a;
        std::u16string b;
        int expected;
    } cases[] = {
        {u"2.0.0", u"2.0.0", 0},
        {u"2.1", u"2.0.9", 1},
        {u"2.0", u"2.0.0", 0},
        {u"", u"2.0.0", -1},
        {u"", u"", 0},
        {u"0.0.0", u"", 0},
        {u"10.0.0", u"9.9.9", 1},
        {u"2..1", u"2.0.1", 0},
        {u"2.0.10", u"2.0.9", 1},
        {u"2.0.9", u"2.0.10", -1},
        {u"v2.0.0", u"2.0.0", 0},
        {u"2.0.0-beta1", u"2.0.1", 0},
        {u"2.0.0.1", u"2.0.0", 1},
        {u"2.0.0", u"2.0.0.1", -1},
        {u"1.99", u"2", -1},
        {u"...", u"0", 0},
        {u"２.0", u"0.0", 0},  // full-width digits are not digits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(compareVersions(c.a, c.b), c.expected);
        EXPECT_EQ(compareVersions(c.b, c.a), -c.expected);
    }
}

TEST(compareVersions, OverlongComponentsStayLargestInsteadOfWrapping)
{
    // 4294967296 would wrap to 0 in 32 bits, 2147483648 to a negative number.
    EXPECT_EQ(compareVersions(u"4294967296", u"1"), 1);
    EXPECT_EQ(compareVersions(u"2147483648", u"2147483647"), 0);
    EXPECT_EQ(compareVersions(u"99999999999999999999.0", u"2.0"), 1);
    EXPECT_EQ(compareVersions(u"2147483646", u"2147483647"), -1);
}

TEST(formatFileVersion, UsesTheFirstThreeNumbers)
{
    EXPECT_EQ(formatFileVersion(0x00020000, 0x00000000), u"2.0.0");
    EXPECT_EQ(formatFileVersion(0x00020001, 0x00030004), u"2.1.3");
    EXPECT_EQ(formatFileVersion(0xFFFFFFFF, 0xFFFFFFFF), u"65535.65535.65535");
}

TEST(requestPathWithStamp, AppendsTheTimeStampParameter)
{
    const struct {
        std::u16string path;
        uint64_t stamp;
        std::u16string expected;
    } cases[] = {
        {u"/r/version.json", 12345, u"/r/version.json?t=12345"},
        {u"/r/version.json?channel=beta", 7, u"/r/version.json?channel=beta&t=7"},
        {u"", 0, u"/?t=0"},
        {u"/a?", 1, u"/a?&t=1"},
        {u"/", std::numeric_limits<uint64_t>::max(), u"/?t=18446744073709551615"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(requestPathWithStamp(c.path, c.stamp), c.expected);
    }
}

TEST(nextRequestStamp, NeverRepeatsAStamp)
{
    EXPECT_EQ(nextRequestStamp(1000, 0), 1000u);
    EXPECT_EQ(nextRequestStamp(1000, 999), 1000u);
    EXPECT_EQ(nextRequestStamp(1000, 1000), 1001u);
    EXPECT_EQ(nextRequestStamp(1000, 1005), 1006u);
}

TEST(parseContentLength, ReadsLeadingDigits)
{
    const struct {
        std::u16string text;
        int64_t expected;
    } cases[] = {
        {u"1234", 1234},
        {u"0", 0},
        {u"", 0},
        {u"abc", 0},
        {u"12abc", 12},
        {u" 42", 42},
        {u"-5", -5},
        {u"+7", 7},
        {u"9223372036854775807", std::numeric_limits<int64_t>::max()},
        {u"99999999999999999999", std::numeric_limits<int64_t>::max()},
        {u"-9223372036854775808", std::numeric_limits<int64_t>::min()},
        {u"-99999999999999999999", std::numeric_limits<int64_t>::min()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseContentLength(c.text), c.expected);
    }
}

}  // namespace
