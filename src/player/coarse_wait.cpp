#include "player/coarse_wait.h"

CoarseWaitChoice chooseCoarseWait(const TimerSupportSeam& seam)
{
    CoarseWaitChoice choice;
    choice.timer = seam.makeHighResolutionTimer(seam.context);
    if (choice.timer != nullptr) {
        // The timer's waits do not depend on the process's timer resolution: nothing to opt out of.
        choice.wait = CoarseWait::HighResolutionTimer;
    } else {
        choice.wait = seam.ignoreTimerThrottling(seam.context) ? CoarseWait::UnthrottledSleep : CoarseWait::Sleep;
    }
    return choice;
}
