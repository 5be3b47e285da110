// The due-time rules over a zone with daylight-saving changes (Central European time in 2026:
// +1 h, +2 h from 29 March 01:00 UTC to 25 October 01:00 UTC) and a zone without.
#include "library/schedule_rules.h"

#include <gtest/gtest.h>

#include "library/civil_time.h"
#include "library/library_file.h"

namespace {

int64_t utc(const char* text)
{
    int64_t local = 0;
    EXPECT_TRUE(parseLocalSecond(text, local)) << text;
    return local;  // a UTC time is its own "local" second
}

int32_t centralEurope(int64_t instant, const void*)
{
    static const int64_t spring = utc("2026-03-29T01:00:00");
    static const int64_t autumn = utc("2026-10-25T01:00:00");
    return instant >= spring && instant < autumn ? 7200 : 3600;
}

int32_t china(int64_t, const void*)
{
    return 8 * 3600;
}

const TimeZoneSeam kEurope{centralEurope, nullptr};
const TimeZoneSeam kChina{china, nullptr};

Schedule daily(const char* at, uint8_t days = kAllWeekdays)
{
    Schedule schedule;
    schedule.kind = ScheduleKind::Daily;
    parseTimeOfDay(at, schedule.at);
    schedule.days = days;
    return schedule;
}

Schedule every(int minutes, const char* from = nullptr, const char* to = nullptr)
{
    Schedule schedule;
    schedule.kind = ScheduleKind::Every;
    schedule.minutes = minutes;
    schedule.window = from != nullptr;
    if (from != nullptr) {
        parseTimeOfDay(from, schedule.from);
        parseTimeOfDay(to, schedule.to);
    }
    return schedule;
}

Schedule once(const char* at)
{
    Schedule schedule;
    schedule.kind = ScheduleKind::Once;
    parseLocalSecond(at, schedule.onceAt);
    return schedule;
}

// The local text of the next due time after the local time "after", or "none".
std::string nextLocal(const Schedule& schedule, const char* after, const TimeZoneSeam& zone)
{
    int64_t local = 0;
    parseLocalSecond(after, local);
    const std::optional<int64_t> due = nextDueAfter(schedule, instantOfLocal(local, zone), zone);
    return due ? localSecondText(localSecondOf(*due, zone)) : "none";
}

TEST(CivilTime, DaysAndWeekdaysRoundTrip)
{
    for (int64_t days = -800000; days < 800000; days += 997) {
        const CivilDate date = civilFromDays(days);
        EXPECT_EQ(daysFromCivil(date), days);
    }
    EXPECT_EQ(weekdayOfDays(daysFromCivil({2026, 12, 24})), 4);  // a Thursday
    EXPECT_EQ(weekdayOfDays(daysFromCivil({2026, 12, 27})), 7);
    EXPECT_EQ(weekdayOfDays(daysFromCivil({1969, 12, 29})), 1);
    EXPECT_FALSE(isCalendarDate({2026, 2, 29}));
    EXPECT_TRUE(isCalendarDate({2028, 2, 29}));
}

TEST(ScheduleRules, NextDueTimes)
{
    const uint8_t workdays = 0x1F;
    struct Case {
        const char* name;
        Schedule schedule;
        const TimeZoneSeam& zone;
        const char* after;
        const char* expected;
    } cases[] = {
        {"daily later today", daily("08:00:00"), kChina, "2026-12-24T07:59:59", "2026-12-24T08:00:00"},
        {"daily exactly at its time runs tomorrow", daily("08:00:00"), kChina, "2026-12-24T08:00:00",
         "2026-12-25T08:00:00"},
        {"workdays skip the weekend", daily("08:00:00", workdays), kChina, "2026-12-25T09:00:00",
         "2026-12-28T08:00:00"},
        {"only Sunday", daily("23:30:00", 0x40), kChina, "2026-12-21T00:00:00", "2026-12-27T23:30:00"},
        {"daily over a year end", daily("00:00:05"), kChina, "2026-12-31T23:59:59", "2027-01-01T00:00:05"},
        {"skipped hour runs at the change", daily("02:30:00"), kEurope, "2026-03-29T00:00:00", "2026-03-29T03:00:00"},
        {"the day after the skip is normal", daily("02:30:00"), kEurope, "2026-03-29T03:00:00", "2026-03-30T02:30:00"},
        {"repeated hour runs once", daily("02:30:00"), kEurope, "2026-10-25T02:30:00", "2026-10-26T02:30:00"},
        {"every 15 from midnight", every(15), kChina, "2026-12-24T10:07:00", "2026-12-24T10:15:00"},
        {"every 7 restarts at midnight", every(7), kChina, "2026-12-24T23:55:00", "2026-12-25T00:00:00"},
        {"every 1440 is daily at midnight", every(1440), kChina, "2026-12-24T00:00:00", "2026-12-25T00:00:00"},
        {"window: before it opens", every(30, "09:00:00", "17:00:00"), kChina, "2026-12-24T06:00:00",
         "2026-12-24T09:00:00"},
        {"window: its end is included", every(30, "09:00:00", "17:00:00"), kChina, "2026-12-24T16:45:00",
         "2026-12-24T17:00:00"},
        {"window: after it closed", every(30, "09:00:00", "17:00:00"), kChina, "2026-12-24T17:00:00",
         "2026-12-25T09:00:00"},
        {"window over midnight, evening", every(45, "22:00:00", "02:00:00"), kChina, "2026-12-24T23:59:00",
         "2026-12-25T00:15:00"},
        {"window over midnight, after midnight", every(45, "22:00:00", "02:00:00"), kChina, "2026-12-25T01:40:00",
         "2026-12-25T01:45:00"},
        {"window over midnight, closed", every(45, "22:00:00", "02:00:00"), kChina, "2026-12-25T01:45:00",
         "2026-12-25T22:00:00"},
        {"every 30 over the skipped hour", every(30), kEurope, "2026-03-29T01:30:00", "2026-03-29T03:00:00"},
        {"every 30 after the skipped hour", every(30), kEurope, "2026-03-29T03:00:00", "2026-03-29T03:30:00"},
        {"once ahead", once("2026-12-24T08:00:00"), kChina, "2026-12-01T00:00:00", "2026-12-24T08:00:00"},
        {"once passed", once("2026-12-24T08:00:00"), kChina, "2026-12-24T08:00:00", "none"},
        {"once in the skipped hour", once("2026-03-29T02:15:00"), kEurope, "2026-03-28T00:00:00",
         "2026-03-29T03:00:00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nextLocal(c.schedule, c.after, c.zone), c.expected) << c.name;
    }
}

TEST(ScheduleRules, RepeatedHourRunsOnceForEveryN)
{
    // 02:00 to 03:00 local happens twice on 25 October: the half-hour steps run in the first.
    const Schedule schedule = every(30);
    int64_t local = 0;
    parseLocalSecond("2026-10-25T01:45:00", local);
    int64_t instant = instantOfLocal(local, kEurope);
    std::vector<std::string> runs;
    for (int i = 0; i < 4; ++i) {
        instant = *nextDueAfter(schedule, instant, kEurope);
        runs.push_back(localSecondText(localSecondOf(instant, kEurope)));
    }
    EXPECT_EQ(runs, (std::vector<std::string>{"2026-10-25T02:00:00", "2026-10-25T02:30:00", "2026-10-25T03:00:00",
                                              "2026-10-25T03:30:00"}));
    // From the second run to the fourth the clock shows one hour, and two passed.
    int64_t second = 0;
    parseLocalSecond("2026-10-25T02:30:00", second);
    EXPECT_EQ(instant - instantOfLocal(second, kEurope), 2 * 3600);
}

TEST(ScheduleRules, StepsRunOnTimeAndMissAfterAJump)
{
    std::vector<LibraryEntry> entries(3);
    entries[0].schedule = daily("08:00:00");
    entries[1].schedule = once("2026-12-24T07:00:00");  // passed before the start
    entries[2].schedule = every(10);
    const int64_t start = utc("2026-12-24T00:05:00");  // 08:05 in China
    ScheduleStart begun = startSchedules(entries, start, kChina);
    EXPECT_EQ(begun.passedOnce, std::vector<size_t>{1});
    EXPECT_FALSE(begun.state.due[1]);
    EXPECT_EQ(*earliestDue(begun.state), utc("2026-12-24T00:10:00"));

    // The timer fires a little late: the every-10 entry runs.
    ScheduleStep step = stepSchedules(entries, begun.state, utc("2026-12-24T00:10:02"), kChina);
    EXPECT_EQ(step.run, std::vector<size_t>{2});
    EXPECT_TRUE(step.missed.empty());
    EXPECT_EQ(*step.wake, utc("2026-12-24T00:20:00"));

    // Nothing is due early: nothing runs.
    step = stepSchedules(entries, begun.state, utc("2026-12-24T00:19:00"), kChina);
    EXPECT_TRUE(step.run.empty() && step.missed.empty());

    // The machine slept until the next morning: both missed, none made up, and next times follow the clock.
    step = stepSchedules(entries, begun.state, utc("2026-12-25T00:03:00"), kChina);
    EXPECT_TRUE(step.run.empty());
    EXPECT_EQ(step.missed, (std::vector<size_t>{0, 2}));
    EXPECT_EQ(*begun.state.due[0], utc("2026-12-26T00:00:00"));
    EXPECT_EQ(*begun.state.due[2], utc("2026-12-25T00:10:00"));
}

}  // namespace
