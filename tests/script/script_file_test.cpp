#include "script/script_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "base/atomic_file.h"
#include "base/text_encoding.h"
#include "support/scoped_seam.h"

#ifdef _WIN32
#include <direct.h>
#define MAKE_DIR(p) _mkdir(p)
#define REMOVE_DIR(p) _rmdir(p)
#else
#include <sys/stat.h>
#include <unistd.h>
#define MAKE_DIR(p) mkdir(p, 0755)
#define REMOVE_DIR(p) rmdir(p)
#endif

namespace {

MacroEvent click(double delay, int x, int y, MouseButton button, bool pressed)
{
    MacroEvent e;
    e.kind = EventKind::Click;
    e.delay = delay;
    e.x = x;
    e.y = y;
    e.button = button;
    e.pressed = pressed;
    return e;
}

MacroEvent key(EventKind kind, const std::string& name, double delay = 0)
{
    MacroEvent e;
    e.kind = kind;
    e.keyOrText = name;
    e.delay = delay;
    return e;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::wstring wide(const std::string& s)
{
    return utf8ToWide(s);
}

// Removes a file named in UTF-8 (narrow C runtime calls on Windows use the ANSI code page).
int removeUtf8(const std::string& path)
{
#ifdef _WIN32
    return _wremove(utf8ToWide(path).c_str());
#else
    return std::remove(path.c_str());
#endif
}

bool existsUtf8(const std::string& path)
{
#ifdef _WIN32
    std::FILE* file = _wfopen(utf8ToWide(path).c_str(), L"rb");
#else
    std::FILE* file = std::fopen(path.c_str(), "rb");
#endif
    if (file != nullptr) {
        std::fclose(file);
    }
    return file != nullptr;
}

uint32_t constantTag()
{
    return 0x0BADC0DE;
}

// Tags 1, 1, 1, 2, 3, ...: the first three tries of a save meet the same name.
uint32_t repeatingThenNewTag()
{
    static uint32_t calls = 0;
    ++calls;
    return calls <= 3 ? 1 : calls - 2;
}

std::vector<MacroEvent> loadText(const std::string& text, std::wstring* error = nullptr)
{
    std::vector<MacroEvent> events;
    std::wstring message;
    EXPECT_TRUE(parseScriptText(text, events, message)) << text;
    if (error != nullptr) {
        *error = message;
    }
    return events;
}

std::wstring loadError(const std::string& text)
{
    std::vector<MacroEvent> events(1);
    std::wstring error;
    EXPECT_FALSE(parseScriptText(text, events, error)) << text;
    EXPECT_EQ(events.size(), 1u) << "a failed load must keep the caller's events";
    return error;
}

}  // namespace

TEST(ScriptText, GoldenBytes)
{
    EXPECT_EQ(formatScriptText({}), "{\n  \"v\": 4,\n  \"events\": []\n}\n");
    EXPECT_EQ(formatScriptText({}).size(), 29u);

    MacroEvent move;
    move.x = 10;
    move.y = 20;
    move.delay = 0.5;
    MacroEvent scroll;
    scroll.kind = EventKind::Scroll;
    scroll.dy = -2;
    const std::string text =
        formatScriptText({move, click(0.25, 640, 360, MouseButton::Left, true), key(EventKind::KeyDown, "A"),
                          key(EventKind::KeyUp, "\x01\"\\"), scroll});
    EXPECT_EQ(text, "{\n  \"v\": 4,\n  \"events\": [\n"
                    "    {\"t\": \"m\", \"d\": 0.5, \"x\": 10, \"y\": 20},\n"
                    "    {\"t\": \"c\", \"d\": 0.25, \"x\": 640, \"y\": 360, \"b\": \"\xE5\xB7\xA6\", \"p\": true},\n"
                    "    {\"t\": \"kd\", \"d\": 0, \"k\": \"A\"},\n"
                    "    {\"t\": \"ku\", \"d\": 0, \"k\": \"\\u0001\\\"\\\\\"},\n"
                    "    {\"t\": \"s\", \"d\": 0, \"x\": 0, \"y\": 0, \"dx\": 0, \"dy\": -2}\n"
                    "  ]\n}\n");
}

TEST(ScriptText, NumberFormat)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.25, "0.25"}, {1.5, "1.5"},    {2, "2"},
        {640, "640"},   {-3, "-3"},      {0.123456, "0.1235"},
        {0.00004, "0"}, {-0.00004, "0"}, {1234.5678, "1234.5678"},
        {0, "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatJsonNumber(c.value), c.text) << c.value;
    }
}

TEST(ScriptText, RoundTripKeepsEventsUpToDocumentedLosses)
{
    MacroEvent scroll;
    scroll.kind = EventKind::Scroll;
    scroll.x = -5;
    scroll.dx = 1;
    scroll.delay = 0.123456;
    const std::vector<MacroEvent> original = {
        click(1.5, 1, 2, MouseButton::Right, false), click(0, 3, 4, MouseButton::Middle, true),
        key(EventKind::KeyDown, "VK:186", 0.01), scroll, key(EventKind::KeyUp, "Shift_R")};
    const std::vector<MacroEvent> back = loadText(formatScriptText(original));
    ASSERT_EQ(back.size(), original.size());
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].kind, original[i].kind);
        EXPECT_EQ(back[i].x, original[i].x);
        EXPECT_EQ(back[i].dx, original[i].dx);
        EXPECT_EQ(back[i].button, original[i].button);
        EXPECT_EQ(back[i].pressed, original[i].pressed);
        EXPECT_EQ(back[i].keyOrText, original[i].keyOrText);
    }
    EXPECT_DOUBLE_EQ(back[3].delay, 0.1235);
}

TEST(ScriptText, KeyNamesWithQuotesBackslashesAndControlBytesRoundTrip)
{
    EXPECT_EQ(formatScriptText({key(EventKind::KeyDown, std::string("\r\n\b\f\t\"\\\x01\x1b\x00\x7f/", 12))}),
              "{\n  \"v\": 4,\n  \"events\": [\n"
              "    {\"t\": \"kd\", \"d\": 0, \"k\": \"\\r\\n\\b\\f\\t\\\"\\\\\\u0001\\u001b\\u0000\x7f/\"}\n"
              "  ]\n}\n");

    std::vector<MacroEvent> original = {key(EventKind::KeyDown, "\""), key(EventKind::KeyUp, "\\"),
                                        key(EventKind::KeyDown, "a\"b\\c\"\""), key(EventKind::KeyUp, "\\\"")};
    std::string everyControlByte;
    for (int b = 0; b < 0x20; ++b) {
        everyControlByte.push_back(static_cast<char>(b));
        original.push_back(key(EventKind::KeyDown, std::string(1, static_cast<char>(b))));
    }
    original.push_back(key(EventKind::KeyUp, everyControlByte + "\"\\\x7F\xE4\xB8\xAD"));
    const std::vector<MacroEvent> back = loadText(formatScriptText(original));
    ASSERT_EQ(back.size(), original.size());
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].kind, original[i].kind) << i;
        EXPECT_EQ(back[i].keyOrText, original[i].keyOrText) << i;
    }
}

TEST(ScriptText, LenientLoading)
{
    auto events = loadText("[{\"t\":\"m\",\"x\":1,\"y\":2}]");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].y, 2);

    events = loadText("{\"events\":[1,\"s\",{},{\"t\":5},{\"t\":\"M\"},{\"t\":\"x\"},"
                      "{\"t\":\"c\",\"t\":\"zz\",\"d\":-1,\"x\":12.9,\"y\":-12.9,\"p\":1,\"b\":\"Left\"},"
                      "{\"t\":\"zz\",\"t\":\"c\"},{\"t\":\"kd\",\"d\":\"1\",\"k\":7,\"x\":1e12}]}");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, EventKind::Click);
    EXPECT_EQ(events[0].delay, 0.0);
    EXPECT_EQ(events[0].x, 12);
    EXPECT_EQ(events[0].y, -12);
    EXPECT_FALSE(events[0].pressed);
    EXPECT_EQ(events[0].button, MouseButton::Left);
    EXPECT_EQ(events[1].kind, EventKind::KeyDown);
    EXPECT_EQ(events[1].keyOrText, "");
    EXPECT_EQ(events[1].x, INT32_MIN);
}

TEST(ScriptText, ExtremeDelaysStayFiniteAndSaveBack)
{
    for (const char* d : {"1e400", "1e300", "123456789"}) {
        const auto events = loadText(std::string("[{\"t\":\"m\",\"d\":") + d + "}]");
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].delay, 1000000.0) << d;
        EXPECT_EQ(loadText(formatScriptText(events))[0].delay, 1000000.0);
    }
}

TEST(ScriptText, LoadErrors)
{
    const std::wstring noEvents = L"不是有效的宏脚本（缺少 events 数组）";
    EXPECT_EQ(loadError("{\"v\":4}"), noEvents);
    EXPECT_EQ(loadError("{\"events\":{}}"), noEvents);
    EXPECT_EQ(loadError("{\"events\":3}"), noEvents);
    EXPECT_EQ(loadError("\"x\""), noEvents);
    EXPECT_EQ(loadError("42"), noEvents);
    EXPECT_EQ(loadError("   "), wide("JSON 解析失败(意外结束) 位置 3"));
    EXPECT_EQ(loadError("\xEF\xBB\xBF{}"), wide("JSON 解析失败(数字) 位置 0"));
    EXPECT_EQ(loadError("{} x"), wide("JSON 尾部存在多余字符"));
}

TEST(ScriptFile, SaveLoadAndFailures)
{
    const std::string path = "lr_script_test.json";
    std::vector<MacroEvent> events = {key(EventKind::KeyDown, "A", 0.5)};
    std::wstring error;
    ASSERT_TRUE(saveScript(wide(path), events, error));
    EXPECT_EQ(readAll(path), formatScriptText(events));

    std::vector<MacroEvent> loaded;
    ASSERT_TRUE(loadScript(wide(path), loaded, error));
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].keyOrText, "A");

    // A save that cannot write its temporary file keeps the previous file byte for byte: every
    // name it tries is taken.
    const std::string before = readAll(path);
    {
        ScopedSeam sameTag(temporaryTagSeam, &constantTag);
        const std::string blocker = path + ".0badc0de.saving";
        ASSERT_EQ(MAKE_DIR(blocker.c_str()), 0);
        EXPECT_FALSE(saveScript(wide(path), {}, error));
        EXPECT_EQ(error, L"无法写入文件（可能被占用或无权限）");
        EXPECT_EQ(readAll(path), before);
        REMOVE_DIR(blocker.c_str());
    }

    // Paths are UTF-16 all the way down to the file system (wide C runtime calls on Windows).
    const std::string chinesePath = "\xE5\xAE\x8F\xE8\x84\x9A\xE6\x9C\xAC.json";  // 宏脚本.json
    ASSERT_TRUE(saveScript(wide(chinesePath), events, error));
    EXPECT_TRUE(loadScript(wide(chinesePath), loaded, error));
    EXPECT_EQ(loaded.size(), 1u);
    EXPECT_FALSE(existsUtf8(chinesePath + ".saving")) << "no temporary file may stay behind";
    EXPECT_EQ(removeUtf8(chinesePath), 0) << "the file must exist under its own name";

    writeAll(path, "");
    loaded = events;
    EXPECT_FALSE(loadScript(wide(path), loaded, error));
    EXPECT_EQ(error, L"文件为空或过大");
    EXPECT_EQ(loaded.size(), 1u);
    std::remove(path.c_str());
    EXPECT_FALSE(loadScript(wide(path), loaded, error));
    EXPECT_EQ(error, L"无法打开文件");
}

TEST(ScriptFile, SaveNeverTouchesAFileThatWasThere)
{
    const std::string path = "lr_script_stranger.json";
    const std::string strangerBytes = std::string("someone else's \0 file\r\n", 23) + "\xFF";
    const std::vector<MacroEvent> events = {key(EventKind::KeyDown, "Z", 0.25)};
    std::wstring error;

    // The name an earlier version of the program used for its temporary file, owned by someone else.
    writeAll(path + ".saving", strangerBytes);
    ASSERT_TRUE(saveScript(wide(path), events, error));
    EXPECT_EQ(readAll(path),
              "{\n  \"v\": 4,\n  \"events\": [\n    {\"t\": \"kd\", \"d\": 0.25, \"k\": \"Z\"}\n  ]\n}\n");
    EXPECT_EQ(readAll(path + ".saving"), strangerBytes);
    EXPECT_EQ(removeUtf8(path + ".saving"), 0);

    // A name that is taken is skipped for another one, and the file of that name stays as it was.
    {
        ScopedSeam tags(temporaryTagSeam, &repeatingThenNewTag);
        writeAll(path + ".00000001.saving", strangerBytes);
        ASSERT_TRUE(saveScript(wide(path), {}, error));
        EXPECT_EQ(readAll(path), "{\n  \"v\": 4,\n  \"events\": []\n}\n");
        EXPECT_EQ(readAll(path + ".00000001.saving"), strangerBytes);
        EXPECT_FALSE(existsUtf8(path + ".00000002.saving")) << "the temporary file became the script";
        EXPECT_EQ(removeUtf8(path + ".00000001.saving"), 0);
    }

    // A folder of the old temporary name does not stop a save either.
    ASSERT_EQ(MAKE_DIR((path + ".saving").c_str()), 0);
    EXPECT_TRUE(saveScript(wide(path), events, error));
    EXPECT_EQ(REMOVE_DIR((path + ".saving").c_str()), 0);
    EXPECT_EQ(removeUtf8(path), 0);
}
