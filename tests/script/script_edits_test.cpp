#include "script/script_edits.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Events told apart by x, with delays 0.5, 1.5, 2.5, ...
std::vector<MacroEvent> numbered(size_t count)
{
    std::vector<MacroEvent> events(count);
    for (size_t i = 0; i < count; ++i) {
        events[i].x = static_cast<int32_t>(i);
        events[i].delay = static_cast<double>(i) + 0.5;
        events[i].keyOrText = i % 3 == 0 ? "key name long enough to live on the heap " + std::to_string(i) : "";
    }
    return events;
}

std::vector<int32_t> xs(const std::vector<MacroEvent>& events)
{
    std::vector<int32_t> out;
    for (const MacroEvent& e : events) {
        out.push_back(e.x);
    }
    return out;
}

std::vector<double> delays(const std::vector<MacroEvent>& events)
{
    std::vector<double> out;
    for (const MacroEvent& e : events) {
        out.push_back(e.delay);
    }
    return out;
}

std::vector<size_t> flatten(const std::vector<EventRange>& ranges)
{
    std::vector<size_t> out;
    for (const EventRange& r : ranges) {
        for (size_t i = 0; i < r.count; ++i) {
            out.push_back(r.first + i);
        }
    }
    return out;
}

constexpr size_t kUnchecked = static_cast<size_t>(-1);

bool sameEvents(const std::vector<MacroEvent>& a, const std::vector<MacroEvent>& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].x != b[i].x || a[i].delay != b[i].delay || a[i].keyOrText != b[i].keyOrText) {
            return false;
        }
    }
    return true;
}

}  // namespace

TEST(EventRanges, RunsOfIndices)
{
    const struct {
        std::vector<size_t> indices;
        std::vector<size_t> firstsAndCounts;
    } cases[] = {
        {{}, {}},
        {{5}, {5, 1}},
        {{7, 2, 3, 3, 9, 8}, {2, 2, 7, 3}},
        {{0, 1, 2}, {0, 3}},
        {{3, 1}, {1, 1, 3, 1}},
        {{4, 4, 4}, {4, 1}},
        {{0, 2, 4, 5, 6, 10}, {0, 1, 2, 1, 4, 3, 10, 1}},
    };
    for (const auto& c : cases) {
        std::vector<size_t> got;
        for (const EventRange& r : rangesOfIndices(c.indices)) {
            got.push_back(r.first);
            got.push_back(r.count);
        }
        EXPECT_EQ(got, c.firstsAndCounts);
    }
}

TEST(DelayText, NumbersOfSecondsWithinBounds)
{
    const struct {
        const wchar_t* text;
        double seconds;
    } accepted[] = {
        {L"1.5", 1.5},
        {L" 2 ", 2},
        {L".25", 0.25},
        {L"3.", 3},
        {L"0", 0},
        {L"000.0100", 0.01},
        {L"1000000", 1e6},
        {L"1000000.000", 1e6},
        {L"\t0.016\t", 0.016},
        {L"\xFF11\xFF0E\xFF15", 1.5},
        {L"\x3000"
         L"7\x3000",
         7},
    };
    for (const auto& c : accepted) {
        double seconds = -1;
        EXPECT_TRUE(parseDelaySeconds(c.text, seconds)) << c.text;
        EXPECT_EQ(seconds, c.seconds) << c.text;
    }
    for (const wchar_t* text : {L"", L" ", L".", L"-1", L"+1", L"-0", L"1e3", L"1,5", L"abc", L"1.2.3", L"1 5",
                                L"1000000.0001", L"99999999999", L"nan", L"inf", L"0x10", L"5s",
                                L"\xFF0D"
                                L"1"}) {
        double seconds = 42;
        EXPECT_FALSE(parseDelaySeconds(text, seconds)) << text;
        EXPECT_EQ(seconds, 42) << "a refused text leaves the value alone";
    }
}

TEST(EditHistory, DeleteRangesAndUndo)
{
    const struct {
        std::vector<EventRange> ranges;
        std::vector<int32_t> left;
        std::vector<size_t> touched;
    } cases[] = {
        {{{1, 2}}, {0, 3, 4, 5}, {1, 2}},         {{{4, 2}, {0, 1}}, {1, 2, 3}, {0, 4, 5}},
        {{{1, 3}, {2, 3}}, {0, 5}, {1, 2, 3, 4}}, {{{1, 1}, {2, 1}}, {0, 3, 4, 5}, {1, 2}},
        {{{0, 6}}, {}, {0, 1, 2, 3, 4, 5}},       {{{5, 1}, {3, 0}}, {0, 1, 2, 3, 4}, {5}},
    };
    for (const auto& c : cases) {
        std::vector<MacroEvent> events = numbered(6);
        EditHistory history;
        ASSERT_TRUE(history.deleteRanges(events, c.ranges));
        EXPECT_EQ(xs(events), c.left);
        ASSERT_TRUE(history.canUndo());
        std::vector<EventRange> touched;
        ASSERT_TRUE(history.undo(events, touched));
        EXPECT_TRUE(sameEvents(events, numbered(6)));
        EXPECT_EQ(flatten(touched), c.touched);
        EXPECT_FALSE(history.canUndo());
    }
}

TEST(EditHistory, RefusedEditsChangeNothingAndLeaveNoUndo)
{
    const std::vector<std::vector<EventRange>> badRanges = {
        {}, {{0, 0}}, {{6, 0}}, {{5, 2}}, {{7, 0}}, {{1, 1}, {6, 1}}, {{SIZE_MAX, 2}}, {{1, SIZE_MAX}},
    };
    for (const auto& ranges : badRanges) {
        std::vector<MacroEvent> events = numbered(6);
        EditHistory history;
        EXPECT_FALSE(history.deleteRanges(events, ranges));
        EXPECT_FALSE(history.setDelays(events, ranges, 1.0));
        EXPECT_TRUE(sameEvents(events, numbered(6)));
        EXPECT_FALSE(history.canUndo());
    }
    std::vector<MacroEvent> events = numbered(6);
    EditHistory history;
    for (double seconds : {-0.001, 1000000.001, 1e300, -1e300}) {
        EXPECT_FALSE(history.setDelays(events, {{0, 2}}, seconds)) << seconds;
    }
    EXPECT_FALSE(history.setDelays(events, {{2, 1}}, 2.5)) << "the delay is 2.5 already";
    std::vector<MacroEvent> empty;
    EXPECT_FALSE(history.trimFirstDelay(empty));
    events[0].delay = 0;
    EXPECT_FALSE(history.trimFirstDelay(events)) << "no wait to remove";
    std::vector<EventRange> touched;
    EXPECT_FALSE(history.undo(events, touched));
    EXPECT_FALSE(history.canUndo());
}

TEST(EditHistory, SetDelaysTrimAndSeveralLevelsOfUndo)
{
    std::vector<MacroEvent> events = numbered(6);
    EditHistory history;
    ASSERT_TRUE(history.setDelays(events, {{4, 2}, {1, 2}}, 0.25));
    EXPECT_EQ(delays(events), (std::vector<double>{0.5, 0.25, 0.25, 3.5, 0.25, 0.25}));
    ASSERT_TRUE(history.trimFirstDelay(events));
    EXPECT_EQ(delays(events), (std::vector<double>{0, 0.25, 0.25, 3.5, 0.25, 0.25}));
    ASSERT_TRUE(history.deleteRanges(events, {{3, 1}}));
    ASSERT_TRUE(history.setDelays(events, {{0, 5}}, 1000000));
    EXPECT_EQ(history.undoLevels(), 4u);

    std::vector<EventRange> touched;
    ASSERT_TRUE(history.undo(events, touched));
    EXPECT_EQ(delays(events), (std::vector<double>{0, 0.25, 0.25, 0.25, 0.25}));
    EXPECT_EQ(flatten(touched), (std::vector<size_t>{0, 1, 2, 3, 4}));
    ASSERT_TRUE(history.undo(events, touched));
    EXPECT_EQ(xs(events), (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(flatten(touched), (std::vector<size_t>{3}));
    ASSERT_TRUE(history.undo(events, touched));
    EXPECT_EQ(delays(events), (std::vector<double>{0.5, 0.25, 0.25, 3.5, 0.25, 0.25}));
    EXPECT_EQ(flatten(touched), (std::vector<size_t>{0}));
    ASSERT_TRUE(history.undo(events, touched));
    EXPECT_TRUE(sameEvents(events, numbered(6)));
    EXPECT_EQ(flatten(touched), (std::vector<size_t>{1, 2, 4, 5}));
    EXPECT_FALSE(history.undo(events, touched));

    ASSERT_TRUE(history.deleteRanges(events, {{0, 1}}));
    history.clear();
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.undo(events, touched));
}

TEST(EditHistory, KeepsTheLastHundredLevelsAndRefusesAReplacedList)
{
    std::vector<MacroEvent> events = numbered(3);
    EditHistory history;
    for (int i = 1; i <= 101; ++i) {
        ASSERT_TRUE(history.setDelays(events, {{1, 1}}, i));
    }
    EXPECT_EQ(history.undoLevels(), 100u);
    std::vector<EventRange> touched;
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(history.undo(events, touched));
    }
    EXPECT_EQ(events[1].delay, 1.0) << "the first edit is forgotten, so its value stays";

    ASSERT_TRUE(history.deleteRanges(events, {{0, 1}}));
    std::vector<MacroEvent> replaced = numbered(7);
    EXPECT_FALSE(history.undo(replaced, touched));
    EXPECT_TRUE(sameEvents(replaced, numbered(7)));
}

// Random edits, undos and redos, applied to the history and to a model that keeps a whole copy
// of the list before every edit (and after every undo), deletes by position one at a time and
// moves rows by swapping neighbours.
TEST(EditHistory, RandomEditsAgreeWithACopyingModel)
{
    std::mt19937 random(5);
    for (int round = 0; round < 40; ++round) {
        std::vector<MacroEvent> events = numbered(random() % 60);
        std::vector<MacroEvent> model = events;
        std::vector<std::vector<MacroEvent>> modelCopies;
        std::vector<std::vector<size_t>> modelTouched;
        std::vector<std::vector<MacroEvent>> modelRedos;
        EditHistory history;
        for (int step = 0; step < 200; ++step) {
            const unsigned what = random() % 15;
            const size_t levels = modelCopies.size();
            if (what < 3) {
                std::vector<EventRange> ranges;
                const int count = static_cast<int>(random() % 4);
                for (int i = 0; i < count; ++i) {
                    ranges.push_back(EventRange{random() % (model.size() + 2), random() % 5});
                }
                std::vector<bool> hit(model.size(), false);
                bool valid = true;
                for (const EventRange& r : ranges) {
                    valid = valid && r.first + r.count <= model.size();
                    for (size_t i = r.first; valid && i < r.first + r.count; ++i) {
                        hit[i] = true;
                    }
                }
                std::vector<size_t> indices;
                for (size_t i = 0; valid && i < hit.size(); ++i) {
                    if (hit[i]) {
                        indices.push_back(i);
                    }
                }
                const bool expected = valid && !indices.empty();
                ASSERT_EQ(history.deleteRanges(events, ranges), expected);
                if (expected) {
                    modelCopies.push_back(model);
                    modelTouched.push_back(indices);
                    for (size_t i = indices.size(); i-- > 0;) {
                        model.erase(model.begin() + static_cast<std::ptrdiff_t>(indices[i]));
                    }
                }
            } else if (what < 6) {
                const size_t first = random() % (model.size() + 1);
                const size_t count = random() % 4;
                const double seconds = (random() % 5 == 0) ? 2e6 : static_cast<double>(random() % 8) * 0.5;
                bool changes = false;
                for (size_t i = first; i < first + count && i < model.size(); ++i) {
                    changes = changes || model[i].delay != seconds;
                }
                const bool expected = first + count <= model.size() && count > 0 && seconds <= 1e6 && changes;
                ASSERT_EQ(history.setDelays(events, {{first, count}}, seconds), expected);
                if (expected) {
                    modelCopies.push_back(model);
                    std::vector<size_t> indices;
                    for (size_t i = first; i < first + count; ++i) {
                        model[i].delay = seconds;
                        indices.push_back(i);
                    }
                    modelTouched.push_back(indices);
                }
            } else if (what == 6) {
                const bool expected = !model.empty() && model[0].delay != 0;
                ASSERT_EQ(history.trimFirstDelay(events), expected);
                if (expected) {
                    modelCopies.push_back(model);
                    modelTouched.push_back({0});
                    model[0].delay = 0;
                }
            } else if (what < 9) {
                std::vector<EventRange> touched;
                ASSERT_EQ(history.undo(events, touched), !modelCopies.empty());
                if (!modelCopies.empty()) {
                    modelRedos.push_back(model);
                    model = modelCopies.back();
                    modelCopies.pop_back();
                    if (modelTouched.back() != std::vector<size_t>{kUnchecked}) {
                        EXPECT_EQ(flatten(touched), modelTouched.back());
                    }
                    modelTouched.pop_back();
                }
            } else if (what == 9) {
                const size_t at = random() % (model.size() + 2);
                MacroEvent text;
                text.kind = EventKind::Text;
                text.x = 1000 + step;
                text.keyOrText = "text " + std::to_string(step);
                ASSERT_EQ(history.insertEvent(events, at, text), at <= model.size());
                if (at <= model.size()) {
                    modelCopies.push_back(model);
                    modelTouched.push_back({});  // an undone insert brings nothing back
                    model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), text);
                }
            } else if (what == 10) {
                const size_t at = random() % (model.size() + 1);
                MacroEvent changed = at < model.size() ? model[at] : MacroEvent{};
                const bool same = random() % 3 == 0;
                if (!same) {
                    changed.keyOrText += "+";
                }
                const bool expected = at < model.size() && !same;
                ASSERT_EQ(history.replaceEvent(events, at, changed), expected);
                if (expected) {
                    modelCopies.push_back(model);
                    modelTouched.push_back({at});
                    model[at] = changed;
                }
            } else if (what == 11) {
                // A scattered selection moves one place; runs at the end they move towards stay.
                const bool up = random() % 2 == 0;
                std::vector<bool> chosen(model.size());
                std::vector<size_t> indices;
                for (size_t i = 0; i < model.size(); ++i) {
                    chosen[i] = random() % 3 == 0;
                    if (chosen[i]) {
                        indices.push_back(i);
                    }
                }
                std::vector<MacroEvent> moved = model;
                bool changes = false;
                for (size_t k = 1; k < moved.size(); ++k) {
                    const size_t i = up ? k : moved.size() - 1 - k;
                    const size_t passed = up ? i - 1 : i + 1;
                    if (chosen[i] && !chosen[passed]) {
                        std::swap(moved[i], moved[passed]);
                        std::vector<bool>::swap(chosen[i], chosen[passed]);
                        changes = true;
                    }
                }
                std::vector<EventRange> selection;
                ASSERT_EQ(history.moveRanges(events, rangesOfIndices(indices), up, selection), changes);
                if (changes) {
                    modelCopies.push_back(model);
                    std::vector<size_t> after;
                    for (size_t i = 0; i < chosen.size(); ++i) {
                        if (chosen[i]) {
                            after.push_back(i);
                        }
                    }
                    EXPECT_EQ(flatten(selection), after);
                    modelTouched.push_back({kUnchecked});
                    model = moved;
                }
            } else if (what == 12) {
                const size_t at = random() % (model.size() + 1);
                std::vector<MacroEvent> block = numbered(random() % 4);
                for (MacroEvent& e : block) {
                    e.x += 500 + step * 10;
                }
                ASSERT_EQ(history.insertEvents(events, at, std::vector<MacroEvent>(block)), !block.empty());
                if (!block.empty()) {
                    modelCopies.push_back(model);
                    modelTouched.push_back({kUnchecked});
                    model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), block.begin(), block.end());
                }
            } else if (what == 13) {
                std::vector<EventRange> touched;
                ASSERT_EQ(history.redo(events, touched), !modelRedos.empty());
                if (!modelRedos.empty()) {
                    modelCopies.push_back(model);
                    modelTouched.push_back({kUnchecked});
                    model = modelRedos.back();
                    modelRedos.pop_back();
                }
            } else if (random() % 4 == 0) {
                history.clear();
                modelCopies.clear();
                modelTouched.clear();
                modelRedos.clear();
            }
            if (modelCopies.size() > levels && what != 13) {
                modelRedos.clear();  // a new edit: nothing left to redo
            }
            ASSERT_EQ(history.redoLevels(), modelRedos.size());
            ASSERT_TRUE(sameEvents(events, model)) << "round " << round << " step " << step;
            ASSERT_EQ(history.undoLevels(), modelCopies.size());
        }
    }
}

TEST(EditHistory, InsertAndReplaceOneEvent)
{
    MacroEvent text;
    text.kind = EventKind::Text;
    text.keyOrText = "\xE4\xBD\xA0";
    text.x = 99;
    const struct {
        const char* name;
        size_t size;
        bool insert;
        size_t at;
        bool changed;
        std::vector<int32_t> after;
    } cases[] = {
        {"insert before the first", 3, true, 0, true, {99, 0, 1, 2}},
        {"insert in the middle", 3, true, 2, true, {0, 1, 99, 2}},
        {"append", 3, true, 3, true, {0, 1, 2, 99}},
        {"into an empty script", 0, true, 0, true, {99}},
        {"insert past the end", 3, true, 4, false, {0, 1, 2}},
        {"replace", 3, false, 1, true, {0, 99, 2}},
        {"replace past the end", 3, false, 3, false, {0, 1, 2}},
    };
    for (const auto& c : cases) {
        std::vector<MacroEvent> events = numbered(c.size);
        EditHistory history;
        const bool changed =
            c.insert ? history.insertEvent(events, c.at, text) : history.replaceEvent(events, c.at, text);
        EXPECT_EQ(changed, c.changed) << c.name;
        EXPECT_EQ(xs(events), c.after) << c.name;
        EXPECT_EQ(history.canUndo(), c.changed) << c.name;
        std::vector<EventRange> touched;
        EXPECT_EQ(history.undo(events, touched), c.changed) << c.name;
        EXPECT_TRUE(sameEvents(events, numbered(c.size))) << c.name;
    }
    // Replacing an event with an equal one is no edit.
    std::vector<MacroEvent> events = numbered(2);
    EditHistory history;
    EXPECT_FALSE(history.replaceEvent(events, 1, numbered(2)[1]));
    EXPECT_FALSE(history.canUndo());
}

TEST(EditHistory, MovesScatteredRowsAtTheEnds)
{
    const struct {
        const char* name;
        std::vector<size_t> rows;
        bool up;
        std::vector<int32_t> after;
        std::vector<size_t> selected;
    } cases[] = {
        {"scattered up", {1, 3, 4}, true, {1, 0, 3, 4, 2, 5}, {0, 2, 3}},
        {"scattered down", {1, 3, 4}, false, {0, 2, 1, 5, 3, 4}, {2, 4, 5}},
        {"up with the first row: it stays", {0, 2, 5}, true, {0, 2, 1, 3, 5, 4}, {0, 1, 4}},
        {"down with the last row: it stays", {0, 3, 5}, false, {1, 0, 2, 4, 3, 5}, {1, 4, 5}},
        {"a block at the top cannot move up", {0, 1}, true, {0, 1, 2, 3, 4, 5}, {}},
        {"every row", {0, 1, 2, 3, 4, 5}, false, {0, 1, 2, 3, 4, 5}, {}},
    };
    for (const auto& c : cases) {
        std::vector<MacroEvent> events = numbered(6);
        EditHistory history;
        std::vector<EventRange> selection;
        const bool moved = history.moveRanges(events, rangesOfIndices(c.rows), c.up, selection);
        EXPECT_EQ(moved, !c.selected.empty()) << c.name;
        EXPECT_EQ(xs(events), c.after) << c.name;
        EXPECT_EQ(flatten(selection), moved ? c.selected : std::vector<size_t>{}) << c.name;
        for (size_t i = 0; i < events.size(); ++i) {
            EXPECT_EQ(events[i].delay, events[i].x + 0.5) << c.name << ": every step keeps its own delay";
        }
        std::vector<EventRange> touched;
        EXPECT_EQ(history.undo(events, touched), moved) << c.name;
        EXPECT_TRUE(sameEvents(events, numbered(6))) << c.name;
        EXPECT_EQ(history.redo(events, touched), moved) << c.name;
        EXPECT_EQ(xs(events), c.after) << c.name;
    }
}
