#pragma once
// The one clock of recording and playback: the performance counter in seconds.

// Monotonic seconds; the counter frequency is read once, at the first call from any thread.
double performanceSeconds();
