#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "script/script_file.h"
#include "script_text_reference.h"

namespace {

MacroEvent event(EventKind kind, int32_t x, int32_t y, bool pressed = true)
{
    MacroEvent e;
    e.kind = kind;
    e.delay = 0.25;
    e.x = x;
    e.y = y;
    e.pressed = kind == EventKind::Click && pressed;  // the file keeps it for clicks only
    if (kind == EventKind::KeyDown || kind == EventKind::KeyUp) {
        e.keyOrText = "A";
    } else if (kind == EventKind::Text) {
        e.keyOrText = "hi";
    }
    return e;
}

MacroEvent withWindow(MacroEvent e, int32_t index, int32_t wx = 0, int32_t wy = 0, int32_t dpi = 96)
{
    e.window = EventWindow{index, wx, wy, dpi};
    return e;
}

const std::vector<WindowIdentity> kTable = {
    {"unused.exe", "U", "never used"},
    {"notepad.exe", "Notepad", "无标题 - 记事本"},
    {"", "ConsoleWindowClass", "C:\\\"quoted\""},
};

std::vector<MacroEvent> recordedScript()
{
    return {
        event(EventKind::Move, 100, 200),
        withWindow(event(EventKind::Click, 110, 220), 1, 10, 20, 144),
        withWindow(event(EventKind::Click, 110, 220, false), 1),  // a release keeps no window
        withWindow(event(EventKind::KeyDown, 0, 0), 2),
        event(EventKind::KeyUp, 0, 0),
        withWindow(event(EventKind::Scroll, 5, 6), 1, -3, -4, 96),
        withWindow(event(EventKind::Text, 0, 0), 2),  // a text step keeps the index only
    };
}

TEST(ScriptFileWindows, TableFollowsTheEventsInOrderOfFirstUseAndLoadsBack)
{
    const std::string text = formatScriptText(recordedScript(), kTable);
    EXPECT_EQ(text, "{\n  \"v\": 4,\n  \"events\": [\n"
                    "    {\"t\": \"m\", \"d\": 0.25, \"x\": 100, \"y\": 200},\n"
                    "    {\"t\": \"c\", \"d\": 0.25, \"x\": 110, \"y\": 220, \"b\": \"左\", \"p\": true, \"w\": 0, "
                    "\"wx\": 10, \"wy\": 20, \"wdpi\": 144},\n"
                    "    {\"t\": \"c\", \"d\": 0.25, \"x\": 110, \"y\": 220, \"b\": \"左\", \"p\": false},\n"
                    "    {\"t\": \"kd\", \"d\": 0.25, \"k\": \"A\", \"w\": 1},\n"
                    "    {\"t\": \"ku\", \"d\": 0.25, \"k\": \"A\"},\n"
                    "    {\"t\": \"s\", \"d\": 0.25, \"x\": 5, \"y\": 6, \"dx\": 0, \"dy\": 0, \"w\": 0, \"wx\": -3, "
                    "\"wy\": -4, \"wdpi\": 96},\n"
                    "    {\"t\": \"tx\", \"d\": 0.25, \"s\": \"hi\", \"w\": 1}\n"
                    "  ],\n  \"windows\": [\n"
                    "    {\"exe\": \"notepad.exe\", \"class\": \"Notepad\", \"title\": \"无标题 - 记事本\"},\n"
                    "    {\"exe\": \"\", \"class\": \"ConsoleWindowClass\", \"title\": \"C:\\\\\\\"quoted\\\"\"}\n"
                    "  ]\n}\n");

    std::vector<MacroEvent> loaded;
    std::vector<WindowIdentity> windows;
    std::wstring error;
    ASSERT_TRUE(parseScriptText(text, loaded, windows, error, LoadProgress{}));
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0], kTable[1]);
    EXPECT_EQ(windows[1], kTable[2]);
    const int32_t indices[] = {kNoWindow, 0, kNoWindow, 1, kNoWindow, 0, 1};
    ASSERT_EQ(loaded.size(), 7u);
    for (size_t i = 0; i < loaded.size(); ++i) {
        EXPECT_EQ(loaded[i].window.index, indices[i]) << i;
    }
    EXPECT_EQ(loaded[1].window.x, 10);
    EXPECT_EQ(loaded[1].window.dpi, 144);
    EXPECT_EQ(loaded[5].window.y, -4);
    // Saved again, it is the same text.
    EXPECT_EQ(formatScriptText(loaded, windows), text);
}

TEST(ScriptFileWindows, EarlierReadersSeeTheSameEventsAtTheirAbsolutePlaces)
{
    const std::vector<MacroEvent> script = recordedScript();
    const std::string text = formatScriptText(script, kTable);
    std::vector<MacroEvent> seen;
    std::wstring error;
    ASSERT_TRUE(parseScriptTextWithTree(text, seen, error));
    ASSERT_EQ(seen.size(), script.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_TRUE(sameEvent(seen[i], script[i])) << i;
    }
    // The loader without a table gives events without window information.
    ASSERT_TRUE(parseScriptText(text, seen, error));
    for (const MacroEvent& e : seen) {
        EXPECT_EQ(e.window.index, kNoWindow);
    }
}

TEST(ScriptFileWindows, ScriptWithoutWindowInformationIsWrittenAsBefore)
{
    std::vector<MacroEvent> script = recordedScript();
    for (MacroEvent& e : script) {
        e.window = EventWindow{};
    }
    const std::string plain = formatScriptText(script);
    EXPECT_EQ(formatScriptText(script, kTable), plain);  // no event uses the table
    EXPECT_EQ(plain, formatScriptTextWithPrintf(script));
    EXPECT_EQ(formatScriptText({}, kTable), "{\n  \"v\": 4,\n  \"events\": []\n}\n");
}

TEST(ScriptFileWindows, MalformedWindowInformationLeavesTheEventWithoutAndLosesNothingElse)
{
    struct Case {
        const char* name;
        const char* eventMembers;  // after the press's own members
        const char* windows;
        bool hasWindow;
    };
    const Case cases[] = {
        {"well formed", ", \"w\": 0, \"wx\": 1, \"wy\": 2, \"wdpi\": 96",
         "[{\"exe\": \"a\", \"class\": \"B\", \"title\": \"\"}]", true},
        {"w beyond the table", ", \"w\": 1, \"wx\": 1, \"wy\": 2, \"wdpi\": 96",
         "[{\"exe\": \"a\", \"class\": \"B\", \"title\": \"\"}]", false},
        {"no table at all", ", \"w\": 0, \"wx\": 1, \"wy\": 2, \"wdpi\": 96", nullptr, false},
        {"table not an array", ", \"w\": 0, \"wx\": 1, \"wy\": 2, \"wdpi\": 96", "{}", false},
        {"entry without class", ", \"w\": 0, \"wx\": 1, \"wy\": 2, \"wdpi\": 96", "[{\"exe\": \"a\", \"title\": \"\"}]",
         false},
        {"entry with a number title", ", \"w\": 0, \"wx\": 1, \"wy\": 2, \"wdpi\": 96",
         "[{\"exe\": \"a\", \"class\": \"B\", \"title\": 5}]", false},
        {"entry not an object", ", \"w\": 0, \"wx\": 1, \"wy\": 2, \"wdpi\": 96", "[\"a\"]", false},
        {"w as text", ", \"w\": \"0\", \"wx\": 1, \"wy\": 2, \"wdpi\": 96",
         "[{\"exe\": \"a\", \"class\": \"B\", \"title\": \"\"}]", false},
        {"wx missing", ", \"w\": 0, \"wy\": 2, \"wdpi\": 96", "[{\"exe\": \"a\", \"class\": \"B\", \"title\": \"\"}]",
         false},
        {"wdpi null", ", \"w\": 0, \"wx\": 1, \"wy\": 2, \"wdpi\": null",
         "[{\"exe\": \"a\", \"class\": \"B\", \"title\": \"\"}]", false},
        {"first w wins", ", \"w\": 0, \"wx\": 1, \"wy\": 2, \"wdpi\": 96, \"w\": 5",
         "[{\"exe\": \"a\", \"class\": \"B\", \"title\": \"\"}]", true},
    };
    for (const Case& c : cases) {
        std::string text = std::string("{\"events\": [{\"t\": \"c\", \"d\": 0.5, \"x\": 7, \"y\": 8, \"p\": true") +
                           c.eventMembers + "}, {\"t\": \"kd\", \"k\": \"B\", \"w\": 0}]";
        if (c.windows != nullptr) {
            text += std::string(", \"windows\": ") + c.windows;
        }
        text += "}";
        std::vector<MacroEvent> events;
        std::vector<WindowIdentity> windows;
        std::wstring error;
        ASSERT_TRUE(parseScriptText(text, events, windows, error, LoadProgress{})) << c.name;
        ASSERT_EQ(events.size(), 2u) << c.name;
        EXPECT_EQ(events[0].window.index != kNoWindow, c.hasWindow) << c.name;
        EXPECT_EQ(events[0].x, 7) << c.name;
        EXPECT_EQ(events[0].delay, 0.5) << c.name;
        EXPECT_TRUE(events[0].pressed) << c.name;
        EXPECT_EQ(events[1].keyOrText, "B") << c.name;
    }
}

}  // namespace
