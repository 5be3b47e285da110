#include "script/json_reader.h"

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string parseError(const std::string& text)
{
    try {
        parseJson(text);
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(parsed)";
}

}  // namespace

TEST(JsonReader, FailureMessagesAndPositions)
{
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"", "JSON 解析失败(意外结束) 位置 0"},
        {"  \n", "JSON 解析失败(意外结束) 位置 3"},
        {"{\"a\":1}x", "JSON 尾部存在多余字符"},
        {"[1,]", "JSON 解析失败(数字) 位置 3"},
        {"{\"a\":1,}", "JSON 解析失败(符号不匹配) 位置 7"},
        {"tru", "JSON 解析失败(bool) 位置 0"},
        {"nul", "JSON 解析失败(null) 位置 0"},
        {"\"\\u12", "JSON 解析失败(\\u 长度不足) 位置 3"},
        {"\"\\u12G4\"", "JSON 解析失败(非法十六进制) 位置 6"},
        {"\"\\x\"", "JSON 解析失败(未知转义) 位置 3"},
        {"\"abc", "JSON 解析失败(字符串未闭合) 位置 4"},
        {"\"\\", "JSON 解析失败(转义未闭合) 位置 2"},
        {"[1 2]", "JSON 解析失败(数组分隔符) 位置 3"},
        {"{\"a\":1 \"b\":2}", "JSON 解析失败(对象分隔符) 位置 7"},
        {"{\"a\" 1}", "JSON 解析失败(符号不匹配) 位置 5"},
        {"{\"a\"", "JSON 解析失败(符号不匹配) 位置 4"},
        {"\xEF\xBB\xBF{}", "JSON 解析失败(数字) 位置 0"},
        {"[", "JSON 解析失败(意外结束) 位置 1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseError(c.text), c.message) << c.text;
    }
}

TEST(JsonReader, NumbersReadLikeAtof)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"-5", -5}, {"+5", 5}, {"1e3", 1000}, {"2.50", 2.5}, {"0.000001", 0.000001},
        {"-", 0},   {".", 0},  {"e", 0},      {"12-3", 12},  {"1.2.3", 1.2},
    };
    for (const auto& c : cases) {
        const JsonValue value = parseJson(c.text);
        EXPECT_EQ(value.kind, JsonKind::Number) << c.text;
        EXPECT_DOUBLE_EQ(value.number, c.value) << c.text;
    }
}

TEST(JsonReader, StringEscapesBecomeUtf8Bytes)
{
    EXPECT_EQ(parseJson("\"\\u00e9\"").text, "\xC3\xA9");
    EXPECT_EQ(parseJson("\"\\ud83d\\ude00\"").text, "\xF0\x9F\x98\x80");
    EXPECT_EQ(parseJson("\"\\ud83dx\"").text, "\xED\xA0\xBDx");
    EXPECT_EQ(parseJson("\"a\nb\\/\\t\"").text, "a\nb/\t");
}

TEST(JsonReader, ObjectsKeepOrderAndDuplicates)
{
    const JsonValue root = parseJson("{\"k\":1,\"k\":2,\"K\":3}\n");
    ASSERT_EQ(root.members.size(), 3u);
    ASSERT_NE(findMember(root, "k"), nullptr);
    EXPECT_EQ(findMember(root, "k")->number, 1.0);
    EXPECT_EQ(findMember(root, "K")->number, 3.0);
    EXPECT_EQ(findMember(root, "x"), nullptr);
    EXPECT_TRUE(parseJson("[true,false,null]").items[0].boolean);
}

TEST(JsonReader, NestingIsLimitedAtTheBracketOneTooDeep)
{
    const std::string ok = std::string(kMaxJsonDepth, '[') + std::string(kMaxJsonDepth, ']');
    EXPECT_EQ(parseJson(ok).kind, JsonKind::Array);
    const std::string deep(kMaxJsonDepth + 1000, '[');
    EXPECT_EQ(parseError(deep), "JSON 解析失败(嵌套过深) 位置 " + std::to_string(kMaxJsonDepth));
    std::string deepObjects;
    for (unsigned i = 0; i <= kMaxJsonDepth; ++i) {
        deepObjects += "{\"a\":";
    }
    // Each level is five bytes long; the brace one too deep stands at the last level.
    EXPECT_EQ(parseError(deepObjects), "JSON 解析失败(嵌套过深) 位置 " + std::to_string(kMaxJsonDepth * 5));
}
