#include "library/civil_time.h"

// After Howard Hinnant's days_from_civil and civil_from_days: eras of 400 years that begin on
// 1 March, so the leap day is the last day of its year.
int64_t daysFromCivil(const CivilDate& date)
{
    const int64_t y = date.year - (date.month <= 2 ? 1 : 0);
    const int64_t era = floorDiv(y, 400);
    const int64_t yearOfEra = y - era * 400;
    const int64_t monthFromMarch = (date.month + 9) % 12;
    const int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilDate civilFromDays(int64_t days)
{
    days += 719468;
    const int64_t era = floorDiv(days, 146097);
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    CivilDate date;
    date.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    date.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

int weekdayOfDays(int64_t days)
{
    // 1970-01-01 was a Thursday.
    return static_cast<int>(floorDiv(days + 3, 7) * -7 + days + 3) + 1;
}

bool isCalendarDate(const CivilDate& date)
{
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.year < 1601 || date.year > 9999) {
        return false;
    }
    const CivilDate back = civilFromDays(daysFromCivil(date));
    return back.year == date.year && back.month == date.month && back.day == date.day;
}
