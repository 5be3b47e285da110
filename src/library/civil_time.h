#pragma once
// Days of the proleptic Gregorian calendar counted from 1970-01-01, and back.

#include <cstdint>

struct CivilDate {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
};

int64_t daysFromCivil(const CivilDate& date);
CivilDate civilFromDays(int64_t days);
// 1 = Monday ... 7 = Sunday.
int weekdayOfDays(int64_t days);
// Whether the date is a day of the calendar (no 31 April, 29 February only in leap years).
bool isCalendarDate(const CivilDate& date);
// floor(a / b) for b > 0.
inline int64_t floorDiv(int64_t a, int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
