// The streaming loader: literal results for inputs where a reader without a tree could go its
// own way, random documents against the first, tree-based loader, the exact reservation of the
// event list and the progress reports.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "script/script_file.h"
#include "script/script_text_reference.h"

namespace {

struct Loaded {
    bool ok = false;
    std::vector<MacroEvent> events;
    std::string error;  // UTF-8
};

Loaded load(const std::string& text)
{
    Loaded result;
    std::wstring error;
    result.ok = parseScriptText(text, result.events, error);
    result.error = wideToUtf8(error);
    return result;
}

void expectSameAsReference(const std::string& text)
{
    std::vector<MacroEvent> streamed;
    std::vector<MacroEvent> reference;
    std::wstring streamedError;
    std::wstring referenceError;
    const bool streamedOk = parseScriptText(text, streamed, streamedError);
    const bool referenceOk = parseScriptTextWithTree(text, reference, referenceError);
    ASSERT_EQ(streamedOk, referenceOk) << text;
    ASSERT_EQ(streamedError, referenceError) << text;
    ASSERT_EQ(streamed.size(), reference.size()) << text;
    for (size_t i = 0; i < streamed.size(); ++i) {
        ASSERT_TRUE(sameEvent(streamed[i], reference[i])) << text << " event " << i;
    }
}

}  // namespace

TEST(ScriptLoader, FailuresAnywhereInTheDocument)
{
    const std::string objects = "{\"events\":[{\"t\":\"m\",\"z\":";  // 24 bytes: root, array, event
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"{\"events\":[{\"t\":\"m\",\"x\":1}]} x", "JSON 尾部存在多余字符"},
        {"{\"events\":[{\"t\":\"m\"}],\"x\":[}", "JSON 解析失败(数字) 位置 27"},
        {"{\"events\":[{\"t\":\"m\"}],\"x\":\"\\q\"}", "JSON 解析失败(未知转义) 位置 29"},
        {"{\"events\":[{\"t\":\"m\"}]", "JSON 解析失败(意外结束) 位置 21"},
        {"[{\"t\":\"m\",\"q\":\"\\x\"}]", "JSON 解析失败(未知转义) 位置 17"},
        {"[{\"t\":\"m\",\"t\":tru}]", "JSON 解析失败(bool) 位置 14"},
        {"[{\"t\":\"m\",\"k\":\"\\u00G0\"}]", "JSON 解析失败(非法十六进制) 位置 20"},
        {"[{\"t\":\"m\"},]", "JSON 解析失败(数字) 位置 11"},
        {"[{\"t\":\"m\",}]", "JSON 解析失败(符号不匹配) 位置 10"},
        {"[{\"t\" \"m\"}]", "JSON 解析失败(符号不匹配) 位置 6"},
        {"[{\"t\":\"m\"} {\"t\":\"m\"}]", "JSON 解析失败(数组分隔符) 位置 11"},
        {"[{\"t\":\"m\" \"x\":1}]", "JSON 解析失败(对象分隔符) 位置 10"},
        {"[{\"t\":\"m\",\"d\":nul}]", "JSON 解析失败(null) 位置 14"},
        {"[{\"t\":\"m\",\"x\":]", "JSON 解析失败(数字) 位置 14"},
        {"[{\"t\":\"kd\",\"k\":\"abc", "JSON 解析失败(字符串未闭合) 位置 19"},
        {objects + std::string(253, '[') + std::string(253, ']') + "}]}", ""},
        {objects + std::string(254, '['), "JSON 解析失败(嵌套过深) 位置 277"},
        {"[" + std::string(255, '[') + std::string(255, ']') + "]", ""},
        {"[" + std::string(256, '['), "JSON 解析失败(嵌套过深) 位置 256"},
        {"{\"events\":3,\"events\":[{\"t\":\"m\"}]}", "不是有效的宏脚本（缺少 events 数组）"},
        {"{\"Events\":[{\"t\":\"m\"}]}", "不是有效的宏脚本（缺少 events 数组）"},
        {"{\"events\":[],\"z\":1e999}", ""},
        {"true", "不是有效的宏脚本（缺少 events 数组）"},
    };
    for (const auto& c : cases) {
        const Loaded loaded = load(c.text);
        EXPECT_EQ(loaded.ok, c.error[0] == '\0') << c.text.substr(0, 80);
        EXPECT_EQ(loaded.error, c.error) << c.text.substr(0, 80);
        expectSameAsReference(c.text);
    }
}

TEST(ScriptLoader, MembersInAnyOrderFirstOneWins)
{
    const Loaded loaded =
        load("{\"x\":[{\"t\":\"m\"}],\"e\\u0076ents\":["
             "{\"x\":3,\"p\":true,\"t\":\"c\",\"b\":\"\\u4e2d\",\"p\":false,\"b\":\"\xE5\x8F\xB3\"},"
             "{\"\\u0074\":\"k\\u0064\",\"k\":\"a\\\"b\",\"k\":\"c\",\"d\":0.5,\"d\":2},"
             "{\"t\":\"c\",\"t\":\"zz\",\"x\":\"2\",\"x\":1,\"y\":{\"y\":4},\"dx\":-1.9,\"dy\":2.9,\"d\":-1},"
             "{\"t\":\"zz\",\"t\":\"c\"},{\"t\":null},{\"t\":[\"m\"]},[{\"t\":\"m\"}],"
             "{\"t\":\"ku\",\"k\":\"\\ud83d\\ude00\",\"events\":[{\"t\":\"m\"}]}],"
             "\"events\":[{\"t\":\"m\"}]}");
    ASSERT_TRUE(loaded.ok) << loaded.error;
    ASSERT_EQ(loaded.events.size(), 4u);
    EXPECT_EQ(loaded.events[0].kind, EventKind::Click);
    EXPECT_EQ(loaded.events[0].x, 3);
    EXPECT_TRUE(loaded.events[0].pressed);
    EXPECT_EQ(loaded.events[0].button, MouseButton::Middle);
    EXPECT_EQ(loaded.events[1].kind, EventKind::KeyDown);
    EXPECT_EQ(loaded.events[1].keyOrText, "a\"b");
    EXPECT_EQ(loaded.events[1].delay, 0.5);
    EXPECT_EQ(loaded.events[2].kind, EventKind::Click);
    EXPECT_EQ(loaded.events[2].x, 0);
    EXPECT_EQ(loaded.events[2].y, 0);
    EXPECT_EQ(loaded.events[2].dx, -1);
    EXPECT_EQ(loaded.events[2].dy, 2);
    EXPECT_EQ(loaded.events[2].delay, 0.0);
    EXPECT_EQ(loaded.events[3].kind, EventKind::KeyUp);
    EXPECT_EQ(loaded.events[3].keyOrText, "\xF0\x9F\x98\x80");
}

// The list is reserved to the number of events, not of elements: a file of a million numbers
// holds no room for a million events, and a list of events has no spare room.
TEST(ScriptLoader, EventListIsReservedExactly)
{
    std::string numbers = "[";
    for (int i = 0; i < 1000000; ++i) {
        numbers += "0,";
    }
    numbers += "0]";
    const Loaded none = load(numbers);
    ASSERT_TRUE(none.ok);
    EXPECT_EQ(none.events.capacity(), 0u);

    const Loaded some = load("[1,{},{\"t\":\"m\"},\"x\",{\"t\":\"q\"},{\"t\":\"s\"},{\"t\":\"kd\"}]");
    ASSERT_TRUE(some.ok);
    EXPECT_EQ(some.events.size(), 3u);
    EXPECT_EQ(some.events.capacity(), 3u);
}

// Random documents built from the pieces a script has (and some it should not have), and the
// same documents cut short or with a byte changed, against the tree-based loader.
TEST(ScriptLoader, RandomDocumentsAgreeWithTheTreeReader)
{
    std::mt19937 random(1234);
    const char* const names[] = {"t", "d",      "x", "y",       "dx",       "dy", "p", "b",
                                 "k", "events", "v", "\\u0074", "t\\u0000", "s",  "s"};
    const char* const values[] = {"\"m\"",
                                  "\"c\"",
                                  "\"s\"",
                                  "\"kd\"",
                                  "\"ku\"",
                                  "\"tx\"",
                                  "\"tx\"",
                                  "\"\\ud83d\\u0041\\udc00\"",
                                  "\"\xED\xA0\xBD\xE4\xB8\"",
                                  "\"k\\u0064\"",
                                  "\"x\"",
                                  "0.25",
                                  "-1",
                                  "1e400",
                                  "12-3",
                                  "-0",
                                  "true",
                                  "false",
                                  "null",
                                  "[]",
                                  "{}",
                                  "[1,[2]]",
                                  "\"\\u53f3\"",
                                  "\"\xE4\xB8\xAD\"",
                                  "\"a\\\"\\\\\"",
                                  "2147483648",
                                  "-12.9",
                                  ".5e1"};
    constexpr size_t kNames = sizeof names / sizeof names[0];
    constexpr size_t kValues = sizeof values / sizeof values[0];
    const auto member = [&]() {
        return std::string("\"") + names[random() % kNames] + "\":" + values[random() % kValues];
    };
    for (int i = 0; i < 3000; ++i) {
        std::string events = "[";
        const int count = static_cast<int>(random() % 6);
        for (int e = 0; e < count; ++e) {
            events += e == 0 ? "" : ",";
            if (random() % 5 == 0) {
                events += values[random() % kValues];
                continue;
            }
            events += "{";
            const int members = static_cast<int>(random() % 5);
            for (int m = 0; m < members; ++m) {
                events += (m == 0 ? "" : ", ") + member();
            }
            events += "}";
        }
        events += "]";
        std::string text = random() % 3 == 0 ? events : "{" + member() + ",\"events\":" + events + "}";
        if (random() % 4 == 0) {
            text.resize(random() % (text.size() + 1));
        } else if (random() % 4 == 0) {
            text[random() % text.size()] = "[]{}\",:\\ x"[random() % 10];
        }
        expectSameAsReference(text);
        if (HasFatalFailure()) {
            return;
        }
    }
}

namespace {

struct ProgressLog {
    std::vector<uint64_t> done;
    uint64_t total = 0;
    bool sameTotal = true;
};

void logProgress(void* context, uint64_t done, uint64_t total)
{
    ProgressLog& log = *static_cast<ProgressLog*>(context);
    log.sameTotal = log.sameTotal && (log.done.empty() || total == log.total);
    log.total = total;
    log.done.push_back(done);
}

}  // namespace

TEST(ScriptLoader, ProgressGrowsToItsTotalInAFewHundredSteps)
{
    std::vector<MacroEvent> many(100000);
    const std::string text = formatScriptText(many);
    ProgressLog log;
    std::vector<MacroEvent> events;
    std::wstring error;
    ASSERT_TRUE(parseScriptText(text, events, error, LoadProgress{&logProgress, &log}));
    EXPECT_EQ(events.size(), 100000u);
    EXPECT_TRUE(log.sameTotal);
    EXPECT_EQ(log.total, 2 * text.size());
    ASSERT_GE(log.done.size(), 50u);
    EXPECT_LE(log.done.size(), 300u);
    EXPECT_EQ(log.done.back(), log.total);
    for (size_t i = 1; i < log.done.size(); ++i) {
        EXPECT_LE(log.done[i - 1], log.done[i]) << i;
    }
    EXPECT_LT(log.done[log.done.size() / 4], log.total / 2) << "the first pass reports too";
}

TEST(ScriptLoader, LoadingAFileReportsReadingAndBothPasses)
{
    std::vector<MacroEvent> many(20000);
    const std::wstring path = L"lr_progress_test.json";
    std::wstring error;
    ASSERT_TRUE(saveScript(path, many, error));
    const uint64_t fileSize = formatScriptText(many).size();
    ProgressLog log;
    std::vector<MacroEvent> events;
    ASSERT_TRUE(loadScript(path, events, error, LoadProgress{&logProgress, &log}));
    EXPECT_EQ(events.size(), 20000u);
    EXPECT_TRUE(log.sameTotal);
    EXPECT_EQ(log.total, 3 * fileSize);
    ASSERT_FALSE(log.done.empty());
    EXPECT_LE(log.done.size(), 300u);
    EXPECT_EQ(log.done.back(), 3 * fileSize);
    EXPECT_LE(log.done.front(), fileSize) << "reading the file comes first";
    for (size_t i = 1; i < log.done.size(); ++i) {
        EXPECT_LE(log.done[i - 1], log.done[i]) << i;
    }
    std::remove(wideToUtf8(path).c_str());
}

// Random events of every kind, with extreme numbers and keys of any bytes, written by the fast
// writer and by the printf one.
TEST(ScriptWriter, RandomEventsWrittenAsThePrintfWriterWrites)
{
    std::mt19937_64 random(99);
    std::vector<MacroEvent> events(20000);
    for (MacroEvent& event : events) {
        // The kinds the printf writer knows, and one of none (the wait steps have tests of their own).
        const auto kind = static_cast<int32_t>(random() % 7);
        event.kind = static_cast<EventKind>(kind == 6 ? 99 : kind);
        switch (random() % 4) {
        case 0: event.delay = static_cast<double>(random() % 100000) / 10000.0; break;
        case 1: event.delay = static_cast<double>(random() % 1000) / 64.0; break;
        case 2:
            event.delay = std::ldexp(static_cast<double>(random() % 100000), static_cast<int>(random() % 80) - 40);
            break;
        default: {
            const uint64_t bits = random();
            std::memcpy(&event.delay, &bits, sizeof bits);
            if (std::isnan(event.delay)) {
                event.delay = -1e300;
            }
        }
        }
        event.x = static_cast<int32_t>(random());
        event.y = static_cast<int32_t>(random() % 4000) - 2000;
        event.dx = static_cast<int32_t>(random() % 5) - 2;
        event.dy = static_cast<int32_t>(random());
        event.button = static_cast<MouseButton>(random() % 5);
        event.pressed = random() % 2 != 0;
        const size_t keyLength = random() % 8;
        for (size_t i = 0; i < keyLength; ++i) {
            event.keyOrText.push_back(static_cast<char>(random() % 256));
        }
    }
    EXPECT_EQ(formatScriptText(events), formatScriptTextWithPrintf(events));
}
