#include "update/update_manifest.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct ExtractCase {
    const char* label;
    std::string text;
    const char* name;
    bool found;
    std::string value;
};

TEST(extractJsonString, ReadsMembersTheWayTheScannerDefinesThem)
{
    const std::vector<ExtractCase> cases = {
        {"plain", R"({"ver":"2.1.0","url":"a.exe"})", "ver", true, "2.1.0"},
        {"second member", R"({"ver":"2.1.0","url":"a.exe"})", "url", true, "a.exe"},
        {"spread over lines", "{\n  \"url\" :\r\n\t \"x/y.exe\" ,\n  \"ver\"\n:\n\"3\"\n}", "ver", true, "3"},
        {"missing member", R"({"ver":"2.1.0"})", "url", false, ""},
        {"name is case-sensitive", R"({"VER":"2.1.0"})", "ver", false, ""},
        {"escapes are kept", R"({"note":"a\nb"})", "note", true, "a\\nb"},
        {"number takes the next quoted text", R"({"ver": 2, "url": "a.exe"})", "ver", true, "url"},
        {"empty value", R"({"ver":""})", "ver", true, ""},
        {"name at the very end", R"(x "ver")", "ver", false, ""},
        {"no colon", R"({"ver" "2"})", "ver", false, ""},
        {"no opening quote", R"({"ver": 2})", "ver", false, ""},
        {"no closing quote", R"({"ver": "2)", "ver", false, ""},
        {"first occurrence wins, even a value", R"({"a":"ver","b":"x","ver":"9"})", "ver", true, "x"},
        {"utf-8 bytes unchanged", "{\"note\":\"\xE4\xBF\xAE\xE5\xA4\x8D\"}", "note", true, "\xE4\xBF\xAE\xE5\xA4\x8D"},
        {"longer name is not the member", R"({"version":"1","ver":"2"})", "ver", true, "2"},
    };
    for (const ExtractCase& c : cases) {
        std::string value = "untouched";
        EXPECT_EQ(extractJsonString(c.text, c.name, value), c.found) << c.label;
        EXPECT_EQ(value, c.found ? c.value : std::string("untouched")) << c.label;
    }
}

TEST(isAcceptableVersionText, AllowsOnlyNamesThatStayInTheFolder)
{
    const std::vector<std::pair<std::string, bool>> cases = {
        {"2.1.0", true},
        {"2.1.0-beta_1+build.7", true},
        {"v10.0", true},
        {"", true},
        {std::string(64, '1'), true},
        {std::string(65, '1'), false},
        {"..\\..\\x", false},
        {"../x", false},
        {".hidden", false},
        {"2.1/0", false},
        {"2.1\\0", false},
        {"C:2", false},
        {"2 1", false},
        {"2.1\t", false},
        {"2.1*", false},
        {std::string("2.\0"
                     "1",
                     4),
         false},
        {"\xE7\x89\x88", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isAcceptableVersionText(c.first), c.second) << c.first;
    }
}

TEST(isAcceptableVersionText, WideTextOutsideAsciiIsRefusedEvenWhenItsLowByteIsPlain)
{
    // U+0132 has the low byte '2'; a narrowing copy would let it through.
    EXPECT_FALSE(isAcceptableVersionText(std::wstring(L"2.\x0132")));
    EXPECT_FALSE(isAcceptableVersionText(std::wstring(L"..\\x")));
    EXPECT_TRUE(isAcceptableVersionText(std::wstring(L"2.1.0")));
}

TEST(downloadFileName, CarriesTheVersion)
{
    EXPECT_EQ(downloadFileName(L"2.1.0"), L"LorminRecorder_v2.1.0.exe");
}

TEST(formatSize, SwitchesUnitsAtTheBoundaries)
{
    const std::vector<std::pair<int64_t, std::wstring>> cases = {
        {0, L"0 B"},
        {-5, L"-5 B"},
        {512, L"512 B"},
        {1023, L"1023 B"},
        {1024, L"1.0 KB"},
        {1536, L"1.5 KB"},
        {1048575, L"1024.0 KB"},
        {1048576, L"1.00 MB"},
        {3145728, L"3.00 MB"},
        {5368709120LL, L"5120.00 MB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatSize(c.first), c.second) << c.first;
    }
}

TEST(downloadPercent, TruncatesAndNeverPassesAHundred)
{
    EXPECT_EQ(downloadPercent(0, 1000), 0);
    EXPECT_EQ(downloadPercent(999, 1000), 99);
    EXPECT_EQ(downloadPercent(1000, 1000), 100);
    EXPECT_EQ(downloadPercent(5000, 1000), 100);
    EXPECT_EQ(downloadPercent(1, 3), 33);
    EXPECT_EQ(downloadPercent(4000000000LL, 8000000000LL), 50);
}

TEST(hexDigest, LowerCaseHighNibbleFirst)
{
    const unsigned char bytes[] = {0x00, 0x0f, 0xa0, 0xff, 0x5c};
    EXPECT_EQ(hexDigest(bytes, sizeof(bytes)), "000fa0ff5c");
    EXPECT_EQ(hexDigest(bytes, 0), "");
}

TEST(digestMatches, IgnoresCaseSpacesAndTabsOnly)
{
    const std::string computed = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const std::vector<std::pair<std::wstring, bool>> cases = {
        {L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", true},
        {L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD", true},
        {L"ba7816bf 8f01cfea\t414140de 5dae2223  b00361a3 96177a9c b410ff61 f20015ad ", true},
        {L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ae", false},
        {L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015", false},
        {L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad00", false},
        {L"   \t  ", false},
        {L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015a\x0144", false},
        {L"ba7816bf-8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(digestMatches(computed, c.first), c.second);
    }
}

}  // namespace

namespace {

TEST(readManifest, ValidJsonIsDecodedAndAnythingElseGoesThroughTheScanner)
{
    const struct {
        const char* label;
        std::string text;
        bool found;
        ManifestReading reading;
        ManifestFields fields;
    } cases[] = {
        {"plain JSON",
         R"({"ver":"2.1.0","url":"a.exe","sha256":"ab","note":"n","sig":"cd"})",
         true,
         ManifestReading::Json,
         {"2.1.0", "a.exe", "ab", "n", "cd"}},
        {"escapes decoded",
         R"({"ver":"2.1.0","url":"a\/b.exe","note":"第一行\n\"引号\"\u4e2d\\"})",
         true,
         ManifestReading::Json,
         {"2.1.0", "a/b.exe", "", "第一行\n\"引号\"中\\", ""}},
        {"byte-order mark",
         "\xEF\xBB\xBF{\"ver\":\"2\",\"url\":\"u\",\"note\":\"a\\nb\"}",
         true,
         ManifestReading::Json,
         {"2", "u", "", "a\nb", ""}},
        {"other members ignored",
         R"({"x":{"ver":"1"},"ver":"2","url":"u","n":[1,2]})",
         true,
         ManifestReading::Json,
         {"2", "u", "", "", ""}},
        {"trailing comma is no JSON",
         R"({"ver":"2","url":"u","note":"a\nb",})",
         true,
         ManifestReading::Scanner,
         {"2", "u", "", "a\\nb", ""}},
        {"number where a string belongs",
         R"({"ver": 3, "url": "x.exe"})",
         true,
         ManifestReading::Scanner,
         {"url", "x.exe", "", "", ""}},
        {"sha256 as a number",
         R"({"ver":"2","url":"u","sha256":12})",
         true,
         ManifestReading::Scanner,
         {"2", "u", "", "", ""}},
        {"JSON without url", R"({"ver":"2"})", false, ManifestReading::Scanner, {}},
        {"array", R"(["ver","url"])", false, ManifestReading::Scanner, {}},
        {"empty values count as found", R"({"ver":"","url":""})", true, ManifestReading::Json, {}},
    };
    for (const auto& c : cases) {
        ManifestFields fields;
        fields.note = "stale";
        ManifestReading reading = ManifestReading::Json;
        EXPECT_EQ(readManifest(c.text, fields, &reading), c.found) << c.label;
        EXPECT_EQ(reading, c.reading) << c.label;
        EXPECT_EQ(fields.ver, c.fields.ver) << c.label;
        EXPECT_EQ(fields.url, c.fields.url) << c.label;
        EXPECT_EQ(fields.sha256, c.fields.sha256) << c.label;
        EXPECT_EQ(fields.note, c.fields.note) << c.label;
        EXPECT_EQ(fields.sig, c.fields.sig) << c.label;
    }
}

TEST(temporaryDownloadName, IsRecognisedAndNothingElseIs)
{
    EXPECT_EQ(temporaryDownloadName(0x0123456789abcdefULL), L"LorminRecorder_download_0123456789abcdef.part");
    EXPECT_EQ(temporaryDownloadName(0), L"LorminRecorder_download_0000000000000000.part");
    const std::vector<std::pair<std::wstring, bool>> cases = {
        {L"LorminRecorder_download_0123456789abcdef.part", true},
        {L"LorminRecorder_download_0123456789ABCDEF.part", true},
        {L"LorminRecorder_download_0123456789abcde.part", false},
        {L"LorminRecorder_download_0123456789abcdef0.part", false},
        {L"LorminRecorder_download_0123456789abcdeg.part", false},
        {L"LorminRecorder_download_0123456789abcdef.exe", false},
        {L"LorminRecorder_v2.1.0.exe", false},
        {L"lorminrecorder_download_0123456789abcdef.part", false},
        {L"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isTemporaryDownloadName(c.first), c.second);
    }
}

}  // namespace
