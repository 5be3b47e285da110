#pragma once
// How the playback thread's coarse waits are made. Recent Windows ignores a process's timer
// resolution request while its windows are minimised or hidden (as in an unattended playback),
// and Sleep(1) then lasts up to 15.6 ms. A high-resolution waitable timer keeps waits fine
// regardless; where the system makes none, the process opts out of that throttling and sleeps.

enum class CoarseWait {
    HighResolutionTimer,  // waits on the high-resolution waitable timer
    UnthrottledSleep,     // Sleep, with the process exempt from timer-resolution throttling
    Sleep,                // Sleep as it comes (a system that offers neither)
};

// The system's offers, each of which may be missing.
struct TimerSupportSeam {
    void* context = nullptr;
    // A new high-resolution waitable timer (a handle the caller then owns), or null where the
    // system makes none.
    void* (*makeHighResolutionTimer)(void* context) = nullptr;
    // Exempts the process from timer-resolution throttling; false where the system cannot.
    bool (*ignoreTimerThrottling)(void* context) = nullptr;
};

struct CoarseWaitChoice {
    CoarseWait wait = CoarseWait::Sleep;
    void* timer = nullptr;  // HighResolutionTimer: the timer, which the caller owns; else null
};

// The timer where the system makes one, else the throttling exemption, else plain Sleep.
CoarseWaitChoice chooseCoarseWait(const TimerSupportSeam& seam);
