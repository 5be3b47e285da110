// The cursor that both JSON readers step with: where each read leaves it, what it hands over,
// and the message and position of each failure.
#include "script/json_cursor.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace {

// The cursor reads the text in place: the text must outlive it.
JsonCursor cursorOver(const std::string& text)
{
    return JsonCursor(text.data(), text.data() + text.size());
}

// What a read hands to a sink that keeps every byte, and where it leaves the cursor.
struct KeptBytes {
    std::string bytes;
    size_t offset = 0;
};

KeptBytes keptBy(const std::string& text, void (*read)(JsonCursor&, AllJsonBytes&))
{
    KeptBytes kept;
    AllJsonBytes sink{kept.bytes};
    JsonCursor cursor = cursorOver(text);
    read(cursor, sink);
    kept.offset = cursor.offset();
    return kept;
}

// The message of the failure a read throws, or "(read)" when it throws none.
std::string failureOf(const std::string& text, void (*read)(JsonCursor&))
{
    JsonCursor cursor = cursorOver(text);
    try {
        read(cursor);
    } catch (const JsonSyntaxError& error) {
        return error.message();
    }
    return "(read)";
}

}  // namespace

TEST(JsonCursor, PeekValueSkipsWhiteSpaceAndTellsTheKindByTheFirstByte)
{
    const struct {
        std::string text;
        JsonKind kind;
        size_t offset;
    } cases[] = {
        {"\"a\"", JsonKind::String, 0}, {" \t\r\n[", JsonKind::Array, 4},
        {"{}", JsonKind::Object, 0},    {"t", JsonKind::Bool, 0},
        {"  f", JsonKind::Bool, 2},     {"nope", JsonKind::Null, 0},
        {"-1", JsonKind::Number, 0},    {"x", JsonKind::Number, 0},
        {"]", JsonKind::Number, 0},     {"\xEF\xBB\xBF{}", JsonKind::Number, 0},
    };
    for (const auto& c : cases) {
        JsonCursor cursor = cursorOver(c.text);
        EXPECT_EQ(cursor.peekValue(), c.kind) << c.text;
        EXPECT_EQ(cursor.offset(), c.offset) << c.text;
    }
}

TEST(JsonCursor, NumberRunsStopAtTheFirstByteThatIsNoNumberByte)
{
    const struct {
        std::string text;
        std::string run;
    } cases[] = {
        {"12-3x", "12-3"}, {"+.eE5,", "+.eE5"}, {"-", "-"}, {"1.2.3]", "1.2.3"}, {"0 1", "0"}, {"-+-1}", "-+-1"},
    };
    for (const auto& c : cases) {
        JsonCursor cursor = cursorOver(c.text);
        EXPECT_EQ(cursor.readNumberRun(), c.run) << c.text;
        EXPECT_EQ(cursor.offset(), c.run.size()) << c.text;
    }
}

TEST(JsonCursor, LiteralsLeaveTheCursorJustAfterThemselves)
{
    const struct {
        std::string text;
        bool value;
        size_t offset;
    } bools[] = {{"truex", true, 4}, {"false ", false, 5}, {"true", true, 4}, {"false", false, 5}};
    for (const auto& c : bools) {
        JsonCursor cursor = cursorOver(c.text);
        EXPECT_EQ(cursor.readBool(), c.value) << c.text;
        EXPECT_EQ(cursor.offset(), c.offset) << c.text;
    }
    const std::string null = "null,";
    JsonCursor cursor = cursorOver(null);
    cursor.readNull();
    EXPECT_EQ(cursor.offset(), 4u);
}

TEST(JsonCursor, StringsGoToTheSinkWithTheirEscapesResolved)
{
    const struct {
        std::string text;
        std::string bytes;
        size_t offset;
    } cases[] = {
        {"\"\"", "", 2},
        {"\"abc\" x", "abc", 5},
        {"\"a\\nb\"", "a\nb", 6},
        {"\"\\\"\\/\\\\\\b\\f\\r\\t\"", "\"/\\\x08\x0C\x0D\x09", 16},
        {"\"\\u00e9\"", "\xC3\xA9", 8},
        {"\"\\u20AC\"", "\xE2\x82\xAC", 8},
        {"\"\\ud83d\\ude00\"", "\xF0\x9F\x98\x80", 14},
        {"\"\\ud83dx\"", "\xED\xA0\xBDx", 9},
        // Only a real pair is combined; a lone half is written on its own and the character
        // after it is kept.
        {"\"\\ud83d\\u0041\"",
         "\xED\xA0\xBD"
         "A",
         14},
        {"\"\\udbff\\uffff\"", "\xED\xAF\xBF\xEF\xBF\xBF", 14},
        {"\"\\udc00\\u0041\"",
         "\xED\xB0\x80"
         "A",
         14},
        {"\"\\ud83d\\ud83d\\ude00\"", "\xED\xA0\xBD\xF0\x9F\x98\x80", 20},
        {"\"\\ude00\\ud83d\"", "\xED\xB8\x80\xED\xA0\xBD", 14},
        {"\"\\udbff\\udfff\"", "\xF4\x8F\xBF\xBF", 14},
        {"\"\\ud800\\udc00\"", "\xF0\x90\x80\x80", 14},
        {"\"\\ud83d\\n\"", "\xED\xA0\xBD\n", 10},
        {"\"\\ude00\"", "\xED\xB8\x80", 8},
        {std::string("\"\x01\n\0\xFF\"", 6), std::string("\x01\n\0\xFF", 4), 6},
    };
    for (const auto& c : cases) {
        const KeptBytes kept = keptBy(c.text, [](JsonCursor& cursor, AllJsonBytes& sink) { cursor.readString(sink); });
        EXPECT_EQ(kept.bytes, c.bytes) << c.text;
        EXPECT_EQ(kept.offset, c.offset) << c.text;

        DiscardedJsonBytes discarded;
        JsonCursor skipping = cursorOver(c.text);
        skipping.readString(discarded);
        EXPECT_EQ(skipping.offset(), c.offset) << c.text;
    }
}

TEST(JsonCursor, ContainersAndSeparators)
{
    const struct {
        std::string text;
        bool (*step)(JsonCursor&);
        bool result;
        size_t offset;
    } cases[] = {
        {"[]", [](JsonCursor& c) { return c.enterArray(1); }, false, 2},
        {"[ \n ]x", [](JsonCursor& c) { return c.enterArray(1); }, false, 5},
        {"[ 1", [](JsonCursor& c) { return c.enterArray(1); }, true, 2},
        {"{ }", [](JsonCursor& c) { return c.enterObject(256); }, false, 3},
        {"{\"", [](JsonCursor& c) { return c.enterObject(1); }, true, 1},
        {" , 2", [](JsonCursor& c) { return c.nextArrayElement(); }, true, 2},
        {" ] ,", [](JsonCursor& c) { return c.nextArrayElement(); }, false, 2},
        {",", [](JsonCursor& c) { return c.nextObjectMember(); }, true, 1},
        {"\t}", [](JsonCursor& c) { return c.nextObjectMember(); }, false, 2},
    };
    for (const auto& c : cases) {
        JsonCursor cursor = cursorOver(c.text);
        EXPECT_EQ(c.step(cursor), c.result) << c.text;
        EXPECT_EQ(cursor.offset(), c.offset) << c.text;
    }
}

TEST(JsonCursor, MemberNamesTakeTheColonWithThem)
{
    const struct {
        std::string text;
        std::string name;
        size_t offset;
    } cases[] = {{"\"a\":1", "a", 4}, {" \"events\" \n: [", "events", 12}, {"\"\\u0041b\":", "Ab", 10}};
    for (const auto& c : cases) {
        const KeptBytes kept =
            keptBy(c.text, [](JsonCursor& cursor, AllJsonBytes& sink) { cursor.readMemberName(sink); });
        EXPECT_EQ(kept.bytes, c.name) << c.text;
        EXPECT_EQ(kept.offset, c.offset) << c.text;
    }
}

TEST(JsonCursor, FailuresNameTheErrorAndTheByteWhereReadingStopped)
{
    const auto peek = [](JsonCursor& c) { c.peekValue(); };
    const auto number = [](JsonCursor& c) { c.readNumberRun(); };
    const auto boolLiteral = [](JsonCursor& c) { c.readBool(); };
    const auto nullLiteral = [](JsonCursor& c) { c.readNull(); };
    const auto quoted = [](JsonCursor& c) {
        DiscardedJsonBytes ignored;
        c.readString(ignored);
    };
    const auto memberName = [](JsonCursor& c) {
        DiscardedJsonBytes ignored;
        c.readMemberName(ignored);
    };
    const auto documentEnd = [](JsonCursor& c) { c.expectEnd(); };
    const struct {
        std::string text;
        void (*read)(JsonCursor&);
        const char* message;
    } cases[] = {
        {"", peek, "JSON 解析失败(意外结束) 位置 0"},
        {" \r\n\t", peek, "JSON 解析失败(意外结束) 位置 4"},
        {"x", number, "JSON 解析失败(数字) 位置 0"},
        {",1", number, "JSON 解析失败(数字) 位置 0"},
        {"tru", boolLiteral, "JSON 解析失败(bool) 位置 0"},
        {"fals", boolLiteral, "JSON 解析失败(bool) 位置 0"},
        {"frue", boolLiteral, "JSON 解析失败(bool) 位置 0"},
        {"nul", nullLiteral, "JSON 解析失败(null) 位置 0"},
        {"nulL", nullLiteral, "JSON 解析失败(null) 位置 0"},
        {"", quoted, "JSON 解析失败(符号不匹配) 位置 0"},
        {"'a'", quoted, "JSON 解析失败(符号不匹配) 位置 0"},
        {"\"abc", quoted, "JSON 解析失败(字符串未闭合) 位置 4"},
        {"\"a\\", quoted, "JSON 解析失败(转义未闭合) 位置 3"},
        {"\"\\x\"", quoted, "JSON 解析失败(未知转义) 位置 3"},
        {"\"\\u12", quoted, "JSON 解析失败(\\u 长度不足) 位置 3"},
        {"\"\\u12G4\"", quoted, "JSON 解析失败(非法十六进制) 位置 6"},
        {"\"\\ud83d\\u12\"", quoted, "JSON 解析失败(\\u 长度不足) 位置 9"},
        {"\"\\ud83d\\uz000\"", quoted, "JSON 解析失败(非法十六进制) 位置 10"},
        {"\"\\ud83d\\udc0g\"", quoted, "JSON 解析失败(非法十六进制) 位置 13"},
        {"\"\\ud83d\\x\"", quoted, "JSON 解析失败(未知转义) 位置 9"},
        {"\"a\"", memberName, "JSON 解析失败(符号不匹配) 位置 3"},
        {"\"a\"  ", memberName, "JSON 解析失败(符号不匹配) 位置 5"},
        {"\"a\" 1", memberName, "JSON 解析失败(符号不匹配) 位置 4"},
        {" a:", memberName, "JSON 解析失败(符号不匹配) 位置 1"},
        {"[", [](JsonCursor& c) { c.enterArray(1); }, "JSON 解析失败(意外结束) 位置 1"},
        {"[]", [](JsonCursor& c) { c.enterArray(257); }, "JSON 解析失败(嵌套过深) 位置 0"},
        {"{}", [](JsonCursor& c) { c.enterObject(257); }, "JSON 解析失败(嵌套过深) 位置 0"},
        {" ", [](JsonCursor& c) { c.nextArrayElement(); }, "JSON 解析失败(意外结束) 位置 1"},
        {" }", [](JsonCursor& c) { c.nextArrayElement(); }, "JSON 解析失败(数组分隔符) 位置 1"},
        {"]", [](JsonCursor& c) { c.nextObjectMember(); }, "JSON 解析失败(对象分隔符) 位置 0"},
        {" \n", documentEnd, "(read)"},
        {" x", documentEnd, "JSON 尾部存在多余字符"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(failureOf(c.text, c.read), c.message) << c.text;
    }
}

TEST(JsonCursor, FailureMessages)
{
    const struct {
        JsonSyntaxError error;
        const char* message;
    } cases[] = {
        {{"数字", 0}, "JSON 解析失败(数字) 位置 0"},
        {{"意外结束", 268435456}, "JSON 解析失败(意外结束) 位置 268435456"},
        {{nullptr, 12}, "JSON 尾部存在多余字符"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.error.message(), c.message);
    }
}
