#include "library/schedule_rules.h"

#include "library/civil_time.h"

namespace {

// Offsets lie within a day, and a zone changes its offset by a few hours at most: grid points
// this far before the local time of now cannot come after now.
constexpr int64_t kOffsetChangeBound = 3 * 3600;

std::optional<int64_t> nextDaily(const Schedule& schedule, int64_t after, const TimeZoneSeam& zone)
{
    const int64_t today = floorDiv(localSecondOf(after, zone), kSecondsPerDay);
    for (int64_t day = today - 1; day <= today + 8; ++day) {
        if ((schedule.days & (1u << (weekdayOfDays(day) - 1))) == 0) {
            continue;
        }
        const int64_t due = instantOfLocal(day * kSecondsPerDay + schedule.at, zone);
        if (due > after) {
            return due;
        }
    }
    return std::nullopt;  // no weekday at all
}

std::optional<int64_t> nextEvery(const Schedule& schedule, int64_t after, const TimeZoneSeam& zone)
{
    const int64_t step = static_cast<int64_t>(schedule.minutes) * 60;
    if (step <= 0) {
        return std::nullopt;
    }
    const int64_t local = localSecondOf(after, zone);
    const int64_t today = floorDiv(local, kSecondsPerDay);
    const int64_t length =
        schedule.window ? (schedule.to - schedule.from + kSecondsPerDay) % kSecondsPerDay : kSecondsPerDay - 1;
    // The window that began yesterday may run on into today; tomorrow's always has a run.
    for (int64_t day = today - 1; day <= today + 1; ++day) {
        const int64_t start = day * kSecondsPerDay + (schedule.window ? schedule.from : 0);
        const int64_t end = start + length;
        int64_t k = floorDiv(local - kOffsetChangeBound - start, step);
        for (k = k < 0 ? 0 : k; start + k * step <= end; ++k) {
            const int64_t due = instantOfLocal(start + k * step, zone);
            if (due > after) {
                return due;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

int64_t localSecondOf(int64_t instant, const TimeZoneSeam& zone)
{
    return instant + zone.at(instant);
}

int64_t instantOfLocal(int64_t local, const TimeZoneSeam& zone)
{
    // Every instant with this local time lies within a day of it; at most one change of offset
    // lies between the two ends.
    const int64_t low = local - kSecondsPerDay;
    const int64_t high = local + kSecondsPerDay;
    const int32_t early = zone.at(low);
    const int32_t late = zone.at(high);
    const int64_t first = local - (early > late ? early : late);
    const int64_t second = local - (early > late ? late : early);
    if (localSecondOf(first, zone) == local) {
        return first;  // the earlier of two occurrences, or the only one
    }
    if (localSecondOf(second, zone) == local) {
        return second;
    }
    // The clocks skipped this time: the moment of the change is the first one after it.
    int64_t before = low;
    int64_t changed = high;
    while (changed - before > 1) {
        const int64_t middle = before + (changed - before) / 2;
        (zone.at(middle) == early ? before : changed) = middle;
    }
    return changed;
}

std::optional<int64_t> nextDueAfter(const Schedule& schedule, int64_t after, const TimeZoneSeam& zone)
{
    switch (schedule.kind) {
    case ScheduleKind::Once: {
        const int64_t due = instantOfLocal(schedule.onceAt, zone);
        return due > after ? std::optional<int64_t>(due) : std::nullopt;
    }
    case ScheduleKind::Daily: return nextDaily(schedule, after, zone);
    case ScheduleKind::Every: return nextEvery(schedule, after, zone);
    case ScheduleKind::None: break;
    }
    return std::nullopt;
}

ScheduleStart startSchedules(const std::vector<LibraryEntry>& entries, int64_t now, const TimeZoneSeam& zone)
{
    ScheduleStart start;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Schedule& schedule = entries[i].schedule;
        start.state.due.push_back(nextDueAfter(schedule, now, zone));
        if (schedule.kind == ScheduleKind::Once && !start.state.due.back()) {
            start.passedOnce.push_back(i);
        }
    }
    return start;
}

ScheduleStep stepSchedules(const std::vector<LibraryEntry>& entries, ScheduleState& state, int64_t now,
                           const TimeZoneSeam& zone)
{
    ScheduleStep step;
    state.due.resize(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        std::optional<int64_t>& due = state.due[i];
        if (!due || *due > now) {
            continue;
        }
        (now - *due > kLateSeconds ? step.missed : step.run).push_back(i);
        due = nextDueAfter(entries[i].schedule, now, zone);
    }
    step.wake = earliestDue(state);
    return step;
}

std::optional<int64_t> earliestDue(const ScheduleState& state)
{
    std::optional<int64_t> earliest;
    for (const std::optional<int64_t>& due : state.due) {
        if (due && (!earliest || *due < *earliest)) {
            earliest = due;
        }
    }
    return earliest;
}
