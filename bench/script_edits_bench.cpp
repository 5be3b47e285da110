// Edits of a 1 000 000-event list: deleting a selection of 500 000 events and undoing it, for
// selections of many ranges and of one, against the yardstick of copying the whole list once
// (what an undo history of whole copies would pay per edit, in time and in memory).
// Usage: script_edits_bench   (run by hand)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "script/script_edits.h"

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
    return 0;
}
