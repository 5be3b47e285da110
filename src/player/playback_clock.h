#pragma once
// The clock a playback thread waits on, as a seam: the waits of a playback and of a playback
// that waits for a window both go through it.

#include <cstdint>

// How the playback thread runs: Raised keeps it ahead of the machine's normal work while it plays.
enum class PlaybackPriority { Normal, Raised };

// The clock and the waits of a playback thread. Windows fills it with the performance counter, a
// high-resolution waitable timer (or Sleep), the pause hint and the thread's priority; tests and
// benchmarks with fakes.
struct PlaybackClockSeam {
    void* context = nullptr;
    double (*now)(void* context) = nullptr;                                     // seconds on a monotonic clock
    void (*sleepMilliseconds)(void* context, uint32_t milliseconds) = nullptr;  // 0 yields the time slice
    void (*pause)(void* context) = nullptr;                                     // one step of a busy wait
    // Raised before the first input of a playback, Normal again before its end is reported.
    void (*setPriority)(void* context, PlaybackPriority priority) = nullptr;
};
