#include "script/script_document.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<MacroEvent> moves(int count, int firstX = 0)
{
    std::vector<MacroEvent> events(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        events[static_cast<size_t>(i)].x = firstX + i;
        events[static_cast<size_t>(i)].delay = 1.0 + i;
    }
    return events;
}

std::vector<int32_t> xs(const ScriptDocument& document)
{
    std::vector<int32_t> out;
    for (const MacroEvent& e : document.events()) {
        out.push_back(e.x);
    }
    return out;
}

// A document that was loaded with three events (x 0, 1, 2), saved, nothing to undo.
ScriptDocument loadedThree()
{
    ScriptDocument document;
    document.replace(ScriptContents{moves(3), {}});
    return document;
}

using Change = std::function<bool(ScriptDocument&)>;

// A change that returns nothing, as one that returns true.
Change done(void (*change)(ScriptDocument&))
{
    return [change](ScriptDocument& d) { return change(d), true; };
}

struct Step {
    const char* name;
    Change run;
    bool returns;
    std::vector<int32_t> events;  // the xs after it
    const char* flags;            // u: unsaved, g: the generation moved, z: something to undo; -: not
};

TEST(ScriptDocumentTest, EveryChangeSaysWhetherItNeedsSavingAndMovesTheGeneration)
{
    std::vector<EventRange> touched;
    const std::vector<Step> steps = {
        {"replace",
         done([](ScriptDocument& d) {
             d.replace(ScriptContents{moves(2, 7), {}});
         }),
         true,
         {7, 8},
         "-g-"},
        {"clear", done([](ScriptDocument& d) { d.clear(); }), true, {}, "-g-"},
        {"append recorded",
         done([](ScriptDocument& d) { d.appendRecorded(moves(2, 5), {}); }),
         true,
         {0, 1, 2, 5, 6},
         "ug-"},
        {"append nothing", done([](ScriptDocument& d) { d.appendRecorded({}, {}); }), true, {0, 1, 2}, "---"},
        {"finish recording", done([](ScriptDocument& d) { d.finishRecording(moves(1, 9), {}); }), true, {9}, "ug-"},
        {"finish a recording left empty", done([](ScriptDocument& d) { d.finishRecording({}, {}); }), true, {}, "-g-"},
        {"delete",
         [](ScriptDocument& d) {
             return d.deleteRanges({{1, 1}});
         },
         true,
         {0, 2},
         "ugz"},
        {"delete past the end",
         [](ScriptDocument& d) {
             return d.deleteRanges({{2, 2}});
         },
         false,
         {0, 1, 2},
         "---"},
        {"set delays",
         [](ScriptDocument& d) {
             return d.setDelays({{0, 3}}, 0.5);
         },
         true,
         {0, 1, 2},
         "ugz"},
        {"set delays out of bounds",
         [](ScriptDocument& d) {
             return d.setDelays({{0, 1}}, -1.0);
         },
         false,
         {0, 1, 2},
         "---"},
        {"trim first delay", [](ScriptDocument& d) { return d.trimFirstDelay(); }, true, {0, 1, 2}, "ugz"},
        {"insert", [](ScriptDocument& d) { return d.insertEvent(1, moves(1, 4)[0]); }, true, {0, 4, 1, 2}, "ugz"},
        {"insert past the end",
         [](ScriptDocument& d) { return d.insertEvent(4, moves(1, 4)[0]); },
         false,
         {0, 1, 2},
         "---"},
        {"replace one", [](ScriptDocument& d) { return d.replaceEvent(2, moves(1, 4)[0]); }, true, {0, 1, 4}, "ugz"},
        {"replace with an equal one",
         [](ScriptDocument& d) { return d.replaceEvent(0, *d.eventAt(0)); },
         false,
         {0, 1, 2},
         "---"},
        {"undo with nothing to undo", [&](ScriptDocument& d) { return d.undo(touched); }, false, {0, 1, 2}, "---"},
        {"delete, then undo",
         [&](ScriptDocument& d) {
             return d.deleteRanges({{0, 2}}) && d.undo(touched);
         },
         true,
         {0, 1, 2},
         "ug-"},
        {"move up",
         [&](ScriptDocument& d) {
             return d.moveRanges({{2, 1}}, true, touched);
         },
         true,
         {0, 2, 1},
         "ugz"},
        {"move the first row up",
         [&](ScriptDocument& d) {
             return d.moveRanges({{0, 1}}, true, touched);
         },
         false,
         {0, 1, 2},
         "---"},
        {"paste",
         [](ScriptDocument& d) {
             return d.insertContents(3, ScriptContents{moves(2, 8), {}});
         },
         true,
         {0, 1, 2, 8, 9},
         "ugz"},
        {"paste nothing",
         [](ScriptDocument& d) { return d.insertContents(0, ScriptContents{}); },
         false,
         {0, 1, 2},
         "---"},
        {"undo, then redo",
         [&](ScriptDocument& d) {
             return d.deleteRanges({{0, 1}}) && d.undo(touched) && d.redo(touched) && !d.canRedo();
         },
         true,
         {1, 2},
         "ugz"},
        {"a new edit clears the redo",
         [&](ScriptDocument& d) {
             return d.deleteRanges({{0, 1}}) && d.undo(touched) && d.trimFirstDelay() && !d.redo(touched);
         },
         true,
         {0, 1, 2},
         "ugz"},
        {"a load clears the redo",
         [&](ScriptDocument& d) {
             d.deleteRanges({{0, 1}}), d.undo(touched), d.replace(ScriptContents{moves(3), {}});
             return !d.canRedo() && !d.redo(touched);
         },
         true,
         {0, 1, 2},
         "-g-"},
        {"a recording clears the redo",
         [&](ScriptDocument& d) {
             d.deleteRanges({{0, 1}}), d.undo(touched), d.finishRecording(moves(3), {});
             return !d.canRedo();
         },
         true,
         {0, 1, 2},
         "ug-"},
        {"delete, then replace",
         done([](ScriptDocument& d) {
             d.deleteRanges({{0, 1}}), d.clear();
         }),
         true,
         {},
         "-g-"},
    };
    for (const Step& step : steps) {
        ScriptDocument document = loadedThree();
        const uint64_t before = document.generation();
        EXPECT_EQ(step.run(document), step.returns) << step.name;
        EXPECT_EQ(xs(document), step.events) << step.name;
        const std::string flags = {document.isUnsaved() ? 'u' : '-', document.generation() != before ? 'g' : '-',
                                   document.canUndo() ? 'z' : '-'};
        EXPECT_EQ(flags, step.flags) << step.name;
    }
}

TEST(ScriptDocumentTest, ASaveCountsOnlyForTheScriptThatWasSaved)
{
    ScriptDocument document = loadedThree();
    ASSERT_TRUE(document.deleteRanges({{0, 1}}));
    const uint64_t saved = document.generation();
    EXPECT_TRUE(document.markSaved(saved));
    EXPECT_FALSE(document.isUnsaved());

    // Changed while the save dialog was open: the script shown is not the one written.
    ASSERT_TRUE(document.trimFirstDelay());
    const uint64_t written = document.generation();
    document.appendRecorded(moves(1), {});
    EXPECT_FALSE(document.markSaved(written));
    EXPECT_TRUE(document.isUnsaved());
}

TEST(ScriptDocumentTest, ARecordingsEndReplacesWhatWasAddedWhileItRanAndForgetsOlderEdits)
{
    ScriptDocument document = loadedThree();
    ASSERT_TRUE(document.deleteRanges({{0, 1}}));
    document.appendRecorded(moves(2, 10), {});
    document.finishRecording(moves(1, 10), {});  // the second was a stop chord's modifier
    EXPECT_EQ(xs(document), std::vector<int32_t>{10});
    EXPECT_TRUE(document.isUnsaved()) << "the recording is not saved";
    std::vector<EventRange> touched;
    EXPECT_FALSE(document.undo(touched)) << "an undo must not reach back over a recording";
    EXPECT_EQ(xs(document), std::vector<int32_t>{10});
}

TEST(ScriptDocumentTest, EventsAreReadByPosition)
{
    const ScriptDocument document = loadedThree();
    ASSERT_NE(document.eventAt(2), nullptr);
    EXPECT_EQ(document.eventAt(2)->x, 2);
    EXPECT_EQ(document.eventAt(3), nullptr);
    const std::vector<std::pair<size_t, std::vector<int32_t>>> cases = {
        {0, {0, 1, 2}}, {1, {1, 2}}, {2, {2}}, {3, {}}, {99, {}}};
    for (const auto& c : cases) {
        std::vector<int32_t> got;
        for (const MacroEvent& e : document.eventsFrom(c.first)) {
            got.push_back(e.x);
        }
        EXPECT_EQ(got, c.second) << "from " << c.first;
    }
}

}  // namespace

namespace {

// Every path that changes the script keeps each event's window and the table it points into.
TEST(ScriptDocumentWindows, RecordingLoadEditsAndUndoKeepEachEventsWindow)
{
    MacroEvent press;
    press.kind = EventKind::Click;
    press.pressed = true;
    press.window = EventWindow{1, 4, 5, 96};
    MacroEvent plain;
    plain.delay = 0.5;
    const std::vector<WindowIdentity> table = {{"a.exe", "A", ""}, {"b.exe", "B", "t"}};

    ScriptDocument document;
    document.appendRecorded({plain, press}, table);
    document.finishRecording({plain, press, plain}, std::vector<WindowIdentity>(table));
    EXPECT_EQ(document.windows().size(), 2u);
    ASSERT_TRUE(document.deleteRanges({EventRange{0, 1}}));
    ASSERT_TRUE(document.setDelays({EventRange{0, 2}}, 2.0));
    ASSERT_TRUE(document.trimFirstDelay());
    EXPECT_EQ(document.events()[0].window.index, 1);
    EXPECT_EQ(document.events()[0].window.x, 4);
    std::vector<EventRange> touched;
    ASSERT_TRUE(document.undo(touched));
    ASSERT_TRUE(document.undo(touched));
    ASSERT_TRUE(document.undo(touched));
    EXPECT_EQ(document.events()[1].window.index, 1);
    EXPECT_EQ(document.windows()[1].exe, "b.exe");

    // A pasted block brings its windows: the same window is one entry, a new one is added.
    MacroEvent key;
    key.kind = EventKind::KeyDown;
    key.window.index = 0;
    MacroEvent lost = key;
    lost.window.index = 7;  // no entry of its table: no window
    press.window.index = 1;
    ASSERT_TRUE(document.insertContents(1, ScriptContents{{press, key, lost}, {{"c.exe", "C", ""}, table[1]}}));
    ASSERT_EQ(document.windows().size(), 3u);
    EXPECT_EQ(document.windows()[2].exe, "c.exe");
    EXPECT_EQ(document.events()[1].window.index, 1) << "b.exe is in the table already";
    EXPECT_EQ(document.events()[1].window.x, 4);
    EXPECT_EQ(document.events()[2].window.index, 2);
    EXPECT_EQ(document.events()[3].window.index, kNoWindow);
    // What a copy takes along: the steps and the table they point into.
    const ScriptContents copy = document.copyRanges({{1, 2}, {4, 9}});
    ASSERT_EQ(copy.events.size(), 4u);
    EXPECT_EQ(copy.events[1].window.index, 2);
    EXPECT_EQ(copy.windows, document.windows());

    document.replace(ScriptContents{{press}, {table[1]}});
    EXPECT_EQ(document.windows().size(), 1u);
    document.clear();
    EXPECT_TRUE(document.windows().empty());
}

}  // namespace
