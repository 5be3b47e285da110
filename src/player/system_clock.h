#pragma once
// The playback thread's clock on Windows: the performance counter, the pause hint, coarse waits
// as chooseCoarseWait decides, and the thread's priority during a playback.

#include <windows.h>

#include "base/win_owners.h"
#include "player/coarse_wait.h"
#include "player/playback_loop.h"

// What the system offers for coarse waits: CreateWaitableTimerExW with
// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, and SetProcessInformation's exemption from timer
// resolution throttling (looked up at run time; older systems have neither). Replaced by tests to
// see the choice made where the system offers less; replace it only while no playback runs.
extern TimerSupportSeam timerSupportSeam;

// Made on the playback thread, alive for its playback; one per thread.
class SystemClock {
public:
    SystemClock();
    SystemClock(const SystemClock&) = delete;
    SystemClock& operator=(const SystemClock&) = delete;

    PlaybackClockSeam seam();
    CoarseWait coarseWait() const { return wait_; }

private:
    void sleepMilliseconds(uint32_t milliseconds);
    void setPriority(PlaybackPriority priority);

    KernelHandle timer_;
    CoarseWait wait_ = CoarseWait::Sleep;
    int normalPriority_ = THREAD_PRIORITY_NORMAL;  // the thread's priority before it was raised
    bool raised_ = false;
};
