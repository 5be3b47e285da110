#pragma once
// The clock the capture reads.

#include "base/performance_clock.h"

// performanceSeconds, unless a measurement replaced it to step time on faster than real time
// (set it only while no recording runs).
using CaptureClockFn = double (*)();
extern CaptureClockFn captureClockSeam;
