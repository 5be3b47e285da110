#pragma once
// The system's clock and time zone for the schedules: now as an instant (seconds of UTC from
// 1970) and the local offset at any instant by the system's rules for that date.

#include <cstdint>

#include "library/schedule_rules.h"

// Milliseconds of UTC from 1970.
int64_t currentUtcMilliseconds();
// The zone the system is set to.
TimeZoneSeam systemTimeZone();
