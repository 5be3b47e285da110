#pragma once
// The recorder's clock: the performance counter in seconds.

// Monotonic seconds; the counter frequency is read once, at the first call from any thread.
double nowSeconds();

// The clock the capture reads: nowSeconds, unless a measurement replaced it to step time on
// faster than real time (set it only while no recording runs).
using CaptureClockFn = double (*)();
extern CaptureClockFn captureClock;
