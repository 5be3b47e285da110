#include "script/step_changes.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "script/script_document.h"
#include "script/step_clipboard.h"

namespace {

MacroEvent at(EventKind kind, int32_t x, int32_t y, bool pressed = false, MouseButton button = MouseButton::Left)
{
    MacroEvent e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.pressed = pressed;
    e.button = button;
    e.delay = 0.25;
    return e;
}

// A move, a drag (press at 10,10, moves to 40,10 in three steps, release), a move.
std::vector<MacroEvent> drag()
{
    std::vector<MacroEvent> events = {
        at(EventKind::Move, 0, 0),   at(EventKind::Click, 10, 10, true), at(EventKind::Move, 20, 10),
        at(EventKind::Move, 30, 10), at(EventKind::Move, 40, 10),        at(EventKind::Click, 40, 10, false),
        at(EventKind::Move, 90, 90),
    };
    events[1].window = EventWindow{0, 5, 6, 96};
    return events;
}

std::string points(const StepChange& change)
{
    std::string out;
    for (size_t r = 0, e = 0; r < change.ranges.size(); ++r) {
        for (size_t i = 0; i < change.ranges[r].count; ++i, ++e) {
            out += std::to_string(change.ranges[r].first + i) + ":" + std::to_string(change.events[e].x) + "," +
                   std::to_string(change.events[e].y) + " ";
        }
    }
    return out;
}

TEST(StepChanges, APressMovesItsDragAndAReleaseBendsIt)
{
    const struct {
        const char* name;
        size_t step;
        int32_t x, y;
        const char* expected;
    } cases[] = {
        {"a press moves its whole drag", 1, 15, 30, "1:15,30 2:25,30 3:35,30 4:45,30 5:45,30 "},
        {"a release bends the moves by their share", 5, 40, 50, "1:10,10 2:20,20 3:30,30 4:40,40 5:40,50 "},
        {"a move alone", 6, 1, 2, "6:1,2 "},
        {"a move inside the drag alone", 3, 31, 11, "3:31,11 "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(points(positionChange(drag(), c.step, c.x, c.y)), c.expected) << c.name;
    }
    const StepChange pressed = positionChange(drag(), 1, 15, 30);
    EXPECT_EQ(pressed.events[0].window.x, 10) << "the place in the window moves along";
    EXPECT_EQ(pressed.events[0].window.y, 26);
    const EventWindow picked{3, 1, 2, 144};
    EXPECT_EQ(positionChange(drag(), 1, 15, 30, &picked).events[0].window.index, 3);

    // A press whose release never comes, and a release without its press, change alone.
    std::vector<MacroEvent> open = drag();
    open.resize(5);
    EXPECT_EQ(points(positionChange(open, 1, 0, 0)), "1:0,0 ");
    const std::vector<MacroEvent> whole = drag();
    EXPECT_EQ(points(positionChange(std::vector<MacroEvent>(whole.begin() + 2, whole.end()), 3, 0, 0)), "3:0,0 ");
    MacroEvent key;
    key.kind = EventKind::KeyDown;
    EXPECT_TRUE(positionChange({key}, 0, 1, 1).ranges.empty());

    // The change is one undo step of the document.
    ScriptDocument document;
    document.replace(ScriptContents{drag(), {}});
    StepChange change = positionChange(document.events(), 1, 15, 30);
    ASSERT_TRUE(document.replaceEvents(change.ranges, std::move(change.events)));
    std::vector<EventRange> touched;
    ASSERT_TRUE(document.undo(touched));
    EXPECT_EQ(document.events()[4].x, 40);
}

TEST(StepChanges, AKeysPressRepeatsAndReleaseChangeTogether)
{
    std::vector<MacroEvent> events;
    for (const auto& step : std::vector<std::pair<EventKind, const char*>>{{EventKind::KeyDown, "A"},
                                                                           {EventKind::KeyUp, "A"},
                                                                           {EventKind::KeyDown, "A"},
                                                                           {EventKind::KeyDown, "B"},
                                                                           {EventKind::KeyDown, "A"},
                                                                           {EventKind::KeyUp, "A"},
                                                                           {EventKind::KeyUp, "B"}}) {
        MacroEvent e;
        e.kind = step.first;
        e.keyOrText = step.second;
        events.push_back(e);
    }
    const struct {
        size_t step;
        std::vector<size_t> changed;
    } cases[] = {{2, {2, 4, 5}}, {5, {2, 4, 5}}, {4, {2, 4, 5}}, {0, {0, 1}}, {3, {3, 6}}, {6, {3, 6}}};
    for (const auto& c : cases) {
        const StepChange change = keyChange(events, c.step, "F5");
        std::vector<size_t> changed;
        for (size_t i = 0; i < change.ranges.size(); ++i) {
            changed.push_back(change.ranges[i].first);
            EXPECT_EQ(change.events[i].keyOrText, "F5");
        }
        EXPECT_EQ(changed, c.changed) << "step " << c.step;
    }
}

TEST(StepChanges, InsertedKeysAndClicks)
{
    const std::vector<MacroEvent> chord = keyChordSteps(0x53, kStepCtrl | kStepShift, 1.5, 2);
    std::string text;
    for (const MacroEvent& e : chord) {
        text += (e.kind == EventKind::KeyDown ? "+" : "-") + e.keyOrText + (e.window.index == 2 ? "w " : " ");
    }
    EXPECT_EQ(text, "+Ctrlw +Shiftw +Sw -S -Shift -Ctrl ");
    EXPECT_EQ(chord[0].delay, 1.5);
    EXPECT_EQ(chord[1].delay, kInsertedStepGap);

    const std::vector<MacroEvent> clicks = clickSteps(MouseButton::Right, true, 7, 8, 0.0, EventWindow{0, 1, 1, 96});
    ASSERT_EQ(clicks.size(), 4u);
    for (size_t i = 0; i < clicks.size(); ++i) {
        EXPECT_EQ(clicks[i].pressed, i % 2 == 0);
        EXPECT_EQ(clicks[i].button, MouseButton::Right);
        EXPECT_EQ(clicks[i].window.index, i % 2 == 0 ? 0 : kNoWindow);
    }
    EXPECT_EQ(clickSteps(MouseButton::Left, false, 7, 8, 0.0, EventWindow{}).size(), 2u);
}

// Copied steps go out as a script file's text and come back the same, windows included.
TEST(StepClipboard, TheTextIsAScriptFileThatReadsBack)
{
    std::vector<MacroEvent> steps = drag();
    MacroEvent text;
    text.kind = EventKind::Text;
    text.keyOrText = "你好\n";
    text.window.index = 1;
    steps.push_back(text);
    const ScriptContents copied{steps, {{"a.exe", "A", "a"}, {"b.exe", "B", "b"}, {"unused.exe", "U", ""}}};
    const std::string clipboard = stepsClipboardText(copied);
    EXPECT_EQ(clipboard.find("unused.exe"), std::string::npos) << "only the windows the steps use";
    ScriptContents pasted;
    std::wstring error;
    ASSERT_TRUE(readStepsClipboardText(clipboard, pasted, error));
    ASSERT_EQ(pasted.events.size(), steps.size());
    EXPECT_EQ(stepsClipboardText(pasted), clipboard);
    EXPECT_EQ(pasted.windows[static_cast<size_t>(pasted.events.back().window.index)].exe, "b.exe");

    for (const char* notSteps : {"", "hello", "{\"v\": 4, \"events\": []}", "[1, 2]"}) {
        ScriptContents untouched = copied;
        error.clear();
        EXPECT_FALSE(readStepsClipboardText(notSteps, untouched, error)) << notSteps;
        EXPECT_FALSE(error.empty()) << notSteps;
        EXPECT_EQ(untouched.events.size(), steps.size()) << notSteps;
    }
}

}  // namespace
