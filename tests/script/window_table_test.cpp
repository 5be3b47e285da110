#include "script/window_table.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

MacroEvent press(int32_t window, int32_t x = 0, int32_t y = 0)
{
    MacroEvent e;
    e.kind = EventKind::Click;
    e.pressed = true;
    e.window = EventWindow{window, x, y, 96};
    return e;
}

MacroEvent keyDown(int32_t window)
{
    MacroEvent e;
    e.kind = EventKind::KeyDown;
    e.keyOrText = "A";
    e.window.index = window;
    return e;
}

MacroEvent textStep(int32_t window)
{
    MacroEvent e;
    e.kind = EventKind::Text;
    e.keyOrText = "hi";
    e.window.index = window;
    return e;
}

WindowMember number(double value)
{
    return WindowMember{true, true, value};
}

const WindowMember kAbsent{};
const WindowMember kText{true, false, 0.0};

TEST(WindowTable, MembersMakeAWindowOnlyWhenEveryNeededOneIsAWholeNumberInRange)
{
    struct Case {
        const char* name;
        EventKind kind;
        bool pressed;
        WindowMembers members;
        int32_t index;  // kNoWindow: the event has no window
        int32_t x;
    };
    const WindowMembers full{number(2), number(-5), number(7), number(144)};
    const Case cases[] = {
        {"press with all four", EventKind::Click, true, full, 2, -5},
        {"wheel with all four", EventKind::Scroll, false, full, 2, -5},
        {"key press needs only w", EventKind::KeyDown, true, {number(3), kAbsent, kText, kAbsent}, 3, 0},
        {"text step needs only w", EventKind::Text, false, {number(4), kAbsent, kAbsent, kAbsent}, 4, 0},
        {"release carries none", EventKind::Click, false, full, kNoWindow, 0},
        {"move carries none", EventKind::Move, false, full, kNoWindow, 0},
        {"key release carries none", EventKind::KeyUp, false, full, kNoWindow, 0},
        {"press without wdpi", EventKind::Click, true, {number(0), number(1), number(1), kAbsent}, kNoWindow, 0},
        {"press with text wx", EventKind::Click, true, {number(0), kText, number(1), number(96)}, kNoWindow, 0},
        {"fractional w", EventKind::KeyDown, true, {number(1.5), kAbsent, kAbsent, kAbsent}, kNoWindow, 0},
        {"negative w", EventKind::KeyDown, true, {number(-1), kAbsent, kAbsent, kAbsent}, kNoWindow, 0},
        {"huge w", EventKind::KeyDown, true, {number(3e9), kAbsent, kAbsent, kAbsent}, kNoWindow, 0},
        {"w as text", EventKind::KeyDown, true, {kText, kAbsent, kAbsent, kAbsent}, kNoWindow, 0},
        {"wx beyond 32 bits", EventKind::Scroll, false, {number(0), number(3e9), number(0), number(96)}, kNoWindow, 0},
        {"wdpi zero", EventKind::Scroll, false, {number(0), number(1), number(1), number(0)}, kNoWindow, 0},
        {"wdpi too high", EventKind::Scroll, false, {number(0), number(1), number(1), number(9600)}, kNoWindow, 0},
        {"wdpi fractional", EventKind::Scroll, false, {number(0), number(1), number(1), number(96.5)}, kNoWindow, 0},
    };
    for (const Case& c : cases) {
        const EventWindow window = eventWindowFromMembers(c.members, c.kind, c.pressed);
        EXPECT_EQ(window.index, c.index) << c.name;
        EXPECT_EQ(window.x, c.x) << c.name;
        if (c.index != kNoWindow && windowInfoFor(c.kind, c.pressed) == WindowInfo::WithPlace) {
            EXPECT_EQ(window.y, 7) << c.name;
            EXPECT_EQ(window.dpi, 144) << c.name;
        }
    }
}

TEST(WindowTable, EventsPointingOutsideTheTableOrAtUnusableEntriesLoseTheirWindow)
{
    std::vector<MacroEvent> events = {press(0, 5, 6), keyDown(1), press(2), keyDown(7), press(kNoWindow)};
    EXPECT_EQ(dropUnknownWindows(events, {true, false, true}), 2u);
    const int32_t expected[] = {0, kNoWindow, 2, kNoWindow, kNoWindow};
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].window.index, expected[i]) << i;
    }
    EXPECT_EQ(events[0].window.x, 5);
    EXPECT_EQ(events[1].window.dpi, 0);
}

TEST(WindowTable, InsertedTextTypesIntoTheWindowOfTheLastKeyOrPressBeforeIt)
{
    MacroEvent release = press(5);
    release.pressed = false;
    MacroEvent wheel = press(6);
    wheel.kind = EventKind::Scroll;
    MacroEvent move;
    move.window.index = 7;  // a stale index on a move is no window
    const std::vector<MacroEvent> events = {press(0, 3, 4), keyDown(1), textStep(2),       release,
                                            wheel,          move,       keyDown(kNoWindow)};
    const struct {
        size_t at;
        int32_t index;
    } cases[] = {
        {0, kNoWindow}, {1, 0}, {2, 1}, {3, 2}, {4, 2}, {7, 2}, {99, 2},
    };
    for (const auto& c : cases) {
        const EventWindow window = windowForInsertedText(events, c.at);
        EXPECT_EQ(window.index, c.index) << c.at;
        EXPECT_EQ(window.x, 0) << "index only";
    }
}

TEST(WindowTable, SavedTableHoldsUsedIdentitiesOnceInOrderOfFirstUse)
{
    const std::vector<WindowIdentity> table = {
        {"a.exe", "A", "one"},  // unused
        {"b.exe", "B", "two"},
        {"c.exe", "C", "three"},
        {"b.exe", "B", "two"},  // same identity as entry 1
    };
    MacroEvent release = press(0);
    release.pressed = false;  // a release's stale index is not a use
    const std::vector<MacroEvent> events = {release, keyDown(2), press(3), press(1), keyDown(9)};
    const SavedWindowTable saved = savedWindowTable(events, table);
    ASSERT_EQ(saved.entries.size(), 2u);
    EXPECT_EQ(saved.entries[0]->exe, "c.exe");
    EXPECT_EQ(saved.entries[1]->exe, "b.exe");
    const std::vector<int32_t> expected = {kNoWindow, 1, 0, 1};
    EXPECT_EQ(saved.savedIndex, expected);
    EXPECT_EQ(saved.indexFor(events[4].window), kNoWindow);
}

TEST(WindowTable, EventMembersAreWrittenPerKind)
{
    struct Case {
        MacroEvent event;
        int32_t savedIndex;
        const char* text;
    };
    MacroEvent wheel = press(0, -3, 40);
    wheel.kind = EventKind::Scroll;
    wheel.window.dpi = 144;
    MacroEvent release = press(0);
    release.pressed = false;
    const Case cases[] = {
        {press(5, 10, -4), 3, ", \"w\": 3, \"wx\": 10, \"wy\": -4, \"wdpi\": 96"},
        {wheel, 0, ", \"w\": 0, \"wx\": -3, \"wy\": 40, \"wdpi\": 144"},
        {keyDown(2), 1, ", \"w\": 1"},
        {textStep(4), 2, ", \"w\": 2"},
        {press(5), kNoWindow, ""},
        {release, 0, ""},
    };
    for (const Case& c : cases) {
        char text[kEventWindowTextRoom];
        EXPECT_EQ(std::string(text, writeEventWindow(text, c.event, c.savedIndex)), c.text);
    }
}

TEST(WindowTable, TableTextEscapesItsStringsAndIsEmptyWithoutEntries)
{
    std::string out;
    appendWindowTable(out, SavedWindowTable{});
    EXPECT_EQ(out, "");
    const std::vector<WindowIdentity> table = {{"", "Cls\"1", "标题\n"}, {"x.exe", "X", ""}};
    const SavedWindowTable saved = savedWindowTable({keyDown(0), keyDown(1)}, table);
    appendWindowTable(out, saved);
    EXPECT_EQ(out, ",\n  \"windows\": [\n    {\"exe\": \"\", \"class\": \"Cls\\\"1\", \"title\": \"标题\\n\"},\n"
                   "    {\"exe\": \"x.exe\", \"class\": \"X\", \"title\": \"\"}\n  ]");
}

TEST(WindowTable, AppendedEventsAreRenumberedIntoTheScriptsTable)
{
    std::vector<WindowIdentity> table = {{"a.exe", "A", ""}};
    std::vector<MacroEvent> events = {press(0)};
    const std::vector<WindowIdentity> added = {{"b.exe", "B", ""}, {"a.exe", "A", ""}};
    appendEventsWithWindows(events, table, {press(1), press(0), keyDown(5), keyDown(kNoWindow)}, added);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1].exe, "b.exe");
    const int32_t expected[] = {0, 0, 1, kNoWindow, kNoWindow};
    ASSERT_EQ(events.size(), 5u);
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].window.index, expected[i]) << i;
    }
}

TEST(WindowTable, InterningFindsEqualIdentitiesOnly)
{
    std::vector<WindowIdentity> table;
    EXPECT_EQ(internWindow(table, {"a.exe", "A", "t"}), 0);
    EXPECT_EQ(internWindow(table, {"a.exe", "A", "u"}), 1);
    EXPECT_EQ(internWindow(table, {"a.exe", "B", "t"}), 2);
    EXPECT_EQ(internWindow(table, {"a.exe", "A", "t"}), 0);
    EXPECT_EQ(table.size(), 3u);
}

}  // namespace
