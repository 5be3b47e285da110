#pragma once
// When library entries come due: pure functions of (entry, now), where now is an instant (seconds
// of UTC) and a zone seam tells the local offset at any instant, so that tests give any zone and
// any daylight-saving change.
//
// - A schedule names local times. A local time that does not exist that day (the hour the clocks
//   skip) runs at the first moment after it, the moment of the change; one that occurs twice
//   (the hour the clocks repeat) runs once, at its first occurrence.
// - "every N minutes" runs at the times from + k*N up to to (both ends included), where a to
//   before from runs on past midnight; without a window from is midnight and the day ends there.
// - A due time that the program finds more than kLateSeconds behind the clock (the machine slept,
//   the clock was set forward) is missed: it is not made up, the entry's next due time follows
//   the clock.

#include <cstdint>
#include <optional>
#include <vector>

#include "library/library_entry.h"

// The local offset in seconds (local = instant + offset) at an instant.
struct TimeZoneSeam {
    int32_t (*offsetAt)(int64_t instant, const void* context) = nullptr;
    const void* context = nullptr;
    int32_t at(int64_t instant) const { return offsetAt(instant, context); }
};

// A due time found this much behind the clock counts as missed: a timer of a program that runs
// is late by far less, a machine that slept or a clock that jumped by far more.
constexpr int64_t kLateSeconds = 60;

// The local second of an instant.
int64_t localSecondOf(int64_t instant, const TimeZoneSeam& zone);
// The first instant whose local time is local; in a skipped hour the first instant after it.
int64_t instantOfLocal(int64_t local, const TimeZoneSeam& zone);

// The first instant strictly after after at which the schedule runs; none for no schedule or a
// once that lies before.
std::optional<int64_t> nextDueAfter(const Schedule& schedule, int64_t after, const TimeZoneSeam& zone);

// The due time of every entry and the clock's last look.
struct ScheduleState {
    std::vector<std::optional<int64_t>> due;  // one per entry
};

struct ScheduleStart {
    ScheduleState state;
    std::vector<size_t> passedOnce;  // once-entries whose time passed while the program was not running
};
// At start-up or after the library changed: every entry's next due time after now.
ScheduleStart startSchedules(const std::vector<LibraryEntry>& entries, int64_t now, const TimeZoneSeam& zone);

struct ScheduleStep {
    std::vector<size_t> run;      // entries due now, in the order of the library
    std::vector<size_t> missed;   // entries whose due time lies more than kLateSeconds behind now
    std::optional<int64_t> wake;  // the earliest next due time; none: nothing is scheduled
};
// The timer fired, the clock changed or the machine woke: what runs now, what was missed, and
// when to look next. Every entry that was due gets its next due time after now.
ScheduleStep stepSchedules(const std::vector<LibraryEntry>& entries, ScheduleState& state, int64_t now,
                           const TimeZoneSeam& zone);
// The earliest due time of the state; none when nothing is scheduled.
std::optional<int64_t> earliestDue(const ScheduleState& state);
