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
    const struct {
        std::string text;
        std::string bytes;
    } cases[] = {
        {"\"\\u00e9\"", "\xC3\xA9"},
        {"\"\\ud83d\\ude00\"", "\xF0\x9F\x98\x80"},
        {"\"\\ud83dx\"", "\xED\xA0\xBDx"},
        {"\"a\nb\\/\\t\"", "a\nb/\t"},
        {"\"\\r\"", "\x0D"},
        {"\"\\n\"", "\x0A"},
        {"\"\\b\"", "\x08"},
        {"\"\\f\"", "\x0C"},
        {"\"\\\"\"", "\x22"},
        {"\"\\\\\"", "\x5C"},
        {"\"a\\r\\nb\\b\\fc\\\"\\\\\"", "a\x0D\x0A"
                                        "b\x08\x0C"
                                        "c\x22\x5C"},
        {"\"\\\\n\"", "\x5Cn"},
        {"\"\\u0000\\u001F\\u007f\"", std::string("\x00\x1F\x7F", 3)},
    };
    for (const auto& c : cases) {
        const JsonValue value = parseJson(c.text);
        EXPECT_EQ(value.kind, JsonKind::String) << c.text;
        EXPECT_EQ(value.text, c.bytes) << c.text;
    }
}

TEST(JsonReader, LiteralsAtTheVeryEndOfTheText)
{
    const struct {
        const char* text;
        JsonKind kind;
        bool boolean;
    } values[] = {
        {"true", JsonKind::Bool, true},  {"false", JsonKind::Bool, false},   {"null", JsonKind::Null, false},
        {" true", JsonKind::Bool, true}, {"false\n", JsonKind::Bool, false}, {"\tnull ", JsonKind::Null, false},
    };
    for (const auto& c : values) {
        const JsonValue value = parseJson(c.text);
        EXPECT_EQ(value.kind, c.kind) << c.text;
        EXPECT_EQ(value.boolean, c.boolean) << c.text;
    }
    const JsonValue array = parseJson("[false,true,null]");
    ASSERT_EQ(array.items.size(), 3u);
    EXPECT_EQ(array.items[0].kind, JsonKind::Bool);
    EXPECT_FALSE(array.items[0].boolean);
    EXPECT_TRUE(array.items[1].boolean);
    EXPECT_EQ(array.items[2].kind, JsonKind::Null);

    const struct {
        const char* text;
        const char* message;
    } failures[] = {
        {"fals", "JSON 解析失败(bool) 位置 0"},
        {"tru", "JSON 解析失败(bool) 位置 0"},
        {"nul", "JSON 解析失败(null) 位置 0"},
        {"[fals", "JSON 解析失败(bool) 位置 1"},
        {"[false", "JSON 解析失败(意外结束) 位置 6"},
        {"[null", "JSON 解析失败(意外结束) 位置 5"},
        {"{\"a\":true", "JSON 解析失败(意外结束) 位置 9"},
        {"falsee", "JSON 尾部存在多余字符"},
        {"t", "JSON 解析失败(bool) 位置 0"},
        {"f", "JSON 解析失败(bool) 位置 0"},
        {"n", "JSON 解析失败(null) 位置 0"},
    };
    for (const auto& c : failures) {
        EXPECT_EQ(parseError(c.text), c.message) << c.text;
    }
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
    EXPECT_EQ(kMaxJsonDepth, 256u);
    const std::string ok = std::string(256, '[') + std::string(256, ']');
    EXPECT_EQ(parseJson(ok).kind, JsonKind::Array);
    EXPECT_EQ(parseError(std::string(257, '[') + std::string(257, ']')), "JSON 解析失败(嵌套过深) 位置 256");
    EXPECT_EQ(parseError(std::string(1256, '[')), "JSON 解析失败(嵌套过深) 位置 256");
    // 256 levels of objects, each "{\"a\":" five bytes long, then a value: fine.
    std::string objects;
    for (int i = 0; i < 256; ++i) {
        objects += "{\"a\":";
    }
    EXPECT_EQ(parseJson(objects + "1" + std::string(256, '}')).kind, JsonKind::Object);
    // One more level: the brace one too deep stands at byte 1280 (256 levels of five bytes).
    EXPECT_EQ(parseError(objects + "{}" + std::string(256, '}')), "JSON 解析失败(嵌套过深) 位置 1280");
    // Arrays and objects count together.
    EXPECT_EQ(parseError("{\"a\":" + std::string(256, '[')), "JSON 解析失败(嵌套过深) 位置 260");
}
