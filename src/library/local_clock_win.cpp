#include "library/local_clock.h"

#include <windows.h>

namespace {

// FILETIME counts 100 ns from 1601; Unix time seconds from 1970.
constexpr int64_t kFileTimeUnixEpoch = 116444736000000000LL;

int64_t fileTimeValue(const FILETIME& time)
{
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

int32_t systemOffsetAt(int64_t instant, const void*)
{
    const uint64_t value = static_cast<uint64_t>(instant * 10000000LL + kFileTimeUnixEpoch);
    FILETIME utc{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
    SYSTEMTIME utcParts{};
    SYSTEMTIME localParts{};
    FILETIME local{};
    // The rules of the year in question, not today's offset (which FileTimeToLocalFileTime uses).
    if (!FileTimeToSystemTime(&utc, &utcParts) || !SystemTimeToTzSpecificLocalTime(nullptr, &utcParts, &localParts) ||
        !SystemTimeToFileTime(&localParts, &local)) {
        return 0;
    }
    return static_cast<int32_t>((fileTimeValue(local) - fileTimeValue(utc)) / 10000000LL);
}

}  // namespace

int64_t currentUtcMilliseconds()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (fileTimeValue(now) - kFileTimeUnixEpoch) / 10000;
}

TimeZoneSeam systemTimeZone()
{
    return TimeZoneSeam{&systemOffsetAt, nullptr};
}
