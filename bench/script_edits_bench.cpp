// Edits of a 1 000 000-event list: deleting a selection of 500 000 events and undoing it, for
// selections of many ranges and of one; moving 1 000 scattered rows, copying 100 000 rows to
// clipboard text, pasting that text back into the loaded script, each undone and redone, and a
// paste into a list without room; all against the yardstick of
// copying the whole list once (what an undo history of whole copies would pay per edit, in time
// and in memory).
// Usage: script_edits_bench   (run by hand)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "script/script_document.h"
#include "script/script_edits.h"
#include "script/script_file.h"
#include "script/step_clipboard.h"

namespace {

std::vector<MacroEvent> makeEvents(size_t count)
{
    std::vector<MacroEvent> events(count);
    for (size_t i = 0; i < count; ++i) {
        events[i].kind = static_cast<EventKind>(i % 20 == 0 ? 3 : 0);
        events[i].x = static_cast<int32_t>(i % 2560);
        events[i].y = static_cast<int32_t>(i % 1440);
        events[i].delay = 0.02;
        if (events[i].kind == EventKind::KeyDown) {
            events[i].keyOrText = "Shift";
        }
    }
    return events;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void measure(const char* what, const std::vector<size_t>& selection, double copySeconds)
{
    std::vector<MacroEvent> events = makeEvents(1000000);
    EditHistory history;

    auto start = std::chrono::steady_clock::now();
    const std::vector<EventRange> ranges = rangesOfIndices(selection);
    const double rangesSeconds = secondsSince(start);

    start = std::chrono::steady_clock::now();
    const bool deleted = history.deleteRanges(events, ranges);
    const double deleteSeconds = secondsSince(start);
    const size_t left = events.size();

    std::vector<EventRange> touched;
    start = std::chrono::steady_clock::now();
    const bool undone = history.undo(events, touched);
    const double undoSeconds = secondsSince(start);

    const std::vector<MacroEvent> original = makeEvents(1000000);
    bool same = deleted && undone && events.size() == original.size();
    for (size_t i = 0; same && i < events.size(); ++i) {
        same = events[i].x == original[i].x && events[i].keyOrText == original[i].keyOrText;
    }
    std::printf("%-34s %7zu ranges: ranges %6.1f ms, delete %6.1f ms (%.2f x copy), undo %6.1f ms (%.2f x copy), "
                "%zu left, %s\n",
                what, ranges.size(), rangesSeconds * 1e3, deleteSeconds * 1e3, deleteSeconds / copySeconds,
                undoSeconds * 1e3, undoSeconds / copySeconds, left, same ? "restored" : "NOT RESTORED");
}

void report(const char* what, double seconds, double copySeconds, bool ok)
{
    std::printf("  %-40s %7.1f ms (%5.2f x copy)%s\n", what, seconds * 1e3, seconds / copySeconds,
                ok ? "" : "  FAILED");
}

// The editor's operations on a document of 1 000 000 events loaded as a script file is (with
// room for edits), each against the copy.
void measureEditor(double copySeconds)
{
    ScriptDocument document;
    {
        ScriptContents loaded;
        std::wstring error;
        const std::string text = formatScriptText(makeEvents(1000000), {{"notepad.exe", "Notepad", "a"}});
        if (!parseScriptText(text, loaded.events, loaded.windows, error, LoadProgress{})) {
            std::printf("the script text does not load\n");
            return;
        }
        document.replace(std::move(loaded));
    }
    std::vector<EventRange> touched;
    std::mt19937_64 random(7);
    std::vector<size_t> rows;
    for (int i = 0; i < 1000; ++i) {
        rows.push_back(static_cast<size_t>(random() % 1000000));
    }
    const std::vector<EventRange> scattered = rangesOfIndices(rows);
    std::printf("\neditor on 1 000 000 events:\n");
    for (const bool up : {false, true}) {
        std::vector<EventRange> selection;
        auto start = std::chrono::steady_clock::now();
        bool ok = document.moveRanges(scattered, up, selection);
        report(up ? "move 1 000 scattered rows up" : "move 1 000 scattered rows down", secondsSince(start), copySeconds,
               ok);
        start = std::chrono::steady_clock::now();
        ok = document.undo(touched);
        report("  undo", secondsSince(start), copySeconds, ok);
        start = std::chrono::steady_clock::now();
        ok = document.redo(touched);
        report("  redo", secondsSince(start), copySeconds, ok);
    }

    auto start = std::chrono::steady_clock::now();
    const std::string text = stepsClipboardText(document.copyRanges({{400000, 100000}}));
    report("copy 100 000 rows to clipboard text", secondsSince(start), copySeconds, !text.empty());
    std::printf("    (%.1f MB of text)\n", static_cast<double>(text.size()) / 1e6);

    start = std::chrono::steady_clock::now();
    ScriptContents pasted;
    std::wstring error;
    bool ok = readStepsClipboardText(text, pasted, error);
    const double readSeconds = secondsSince(start);
    report("paste: read the text", readSeconds, copySeconds, ok);
    start = std::chrono::steady_clock::now();
    ok = document.insertContents(500000, std::move(pasted));
    const double insertSeconds = secondsSince(start);
    report("paste: insert 100 000 in the middle", insertSeconds, copySeconds, ok);
    report("paste in all", readSeconds + insertSeconds, copySeconds, ok);
    start = std::chrono::steady_clock::now();
    ok = document.undo(touched);
    report("  undo", secondsSince(start), copySeconds, ok && document.eventCount() == 1000000);
    start = std::chrono::steady_clock::now();
    ok = document.redo(touched);
    report("  redo", secondsSince(start), copySeconds, ok && document.eventCount() == 1100000);

    // A list without room (held exactly, as a list built elsewhere may be): the paste moves every
    // event to a bigger block, which then has room for the next.
    ScriptDocument full;
    full.replace(ScriptContents{makeEvents(1000000), {}});
    ScriptContents again;
    readStepsClipboardText(text, again, error);
    start = std::chrono::steady_clock::now();
    ok = full.insertContents(500000, std::move(again));
    report("paste: insert into a list without room", secondsSince(start), copySeconds, ok);
}

}  // namespace

int main()
{
    const std::vector<MacroEvent> events = makeEvents(1000000);
    double copySeconds = 1e30;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::vector<MacroEvent> copy = events;
        copySeconds = std::min(copySeconds, secondsSince(start));
    }
    std::printf("yardstick: one copy of the 1 000 000-event list %.1f ms (%.0f MB)\n\n", copySeconds * 1e3,
                static_cast<double>(events.size() * sizeof(MacroEvent)) / 1e6);

    std::mt19937_64 random(3);
    std::vector<size_t> scattered(1000000);
    for (size_t i = 0; i < scattered.size(); ++i) {
        scattered[i] = i;
    }
    std::shuffle(scattered.begin(), scattered.end(), random);
    scattered.resize(500000);  // half of the events, at random: about 250 000 ranges
    measure("500 000 chosen at random", scattered, copySeconds);

    std::vector<size_t> everyOther;
    for (size_t i = 0; i < 1000000; i += 2) {
        everyOther.push_back(i);
    }
    measure("500 000, every other event", everyOther, copySeconds);

    std::vector<size_t> block;
    for (size_t i = 250000; i < 750000; ++i) {
        block.push_back(i);
    }
    measure("500 000 in one block", block, copySeconds);

    measureEditor(copySeconds);
    return 0;
}
