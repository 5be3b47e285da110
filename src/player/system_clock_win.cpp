#include "player/system_clock.h"

#include <immintrin.h>

#include "base/performance_clock.h"
#include "base/system_dpi.h"

namespace {

constexpr DWORD kCreateWaitableTimerHighResolution = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

// PROCESS_POWER_THROTTLING_STATE and its values, which older SDK headers lack.
struct PowerThrottlingState {
    ULONG version;
    ULONG controlMask;
    ULONG stateMask;
};
constexpr ULONG kPowerThrottlingCurrentVersion = 1;
constexpr ULONG kPowerThrottlingIgnoreTimerResolution = 0x4;
constexpr int kProcessPowerThrottling = 4;  // PROCESS_INFORMATION_CLASS ProcessPowerThrottling

using SetProcessInformationFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);

void* makeSystemHighResolutionTimer(void*)
{
    // Systems before Windows 10 1803 refuse the flag (ERROR_INVALID_PARAMETER).
    return CreateWaitableTimerExW(nullptr, nullptr, kCreateWaitableTimerHighResolution, TIMER_ALL_ACCESS);
}

bool ignoreSystemTimerThrottling(void*)
{
    static const auto setProcessInformation =
        systemFunction<SetProcessInformationFn>(L"kernel32.dll", "SetProcessInformation");
    if (setProcessInformation == nullptr) {
        return false;
    }
    // Controlled, and not in the state: timer resolution requests are never ignored.
    PowerThrottlingState state{kPowerThrottlingCurrentVersion, kPowerThrottlingIgnoreTimerResolution, 0};
    return setProcessInformation(GetCurrentProcess(), kProcessPowerThrottling, &state, sizeof state) != FALSE;
}

}  // namespace

TimerSupportSeam timerSupportSeam = {nullptr, &makeSystemHighResolutionTimer, &ignoreSystemTimerThrottling};

SystemClock::SystemClock()
{
    const CoarseWaitChoice choice = chooseCoarseWait(timerSupportSeam);
    timer_.reset(static_cast<HANDLE>(choice.timer));
    wait_ = choice.wait;
}

void SystemClock::sleepMilliseconds(uint32_t milliseconds)
{
    if (milliseconds != 0 && timer_) {
        LARGE_INTEGER due{};
        due.QuadPart = -static_cast<LONGLONG>(milliseconds) * 10000;  // relative, in 100 ns
        if (SetWaitableTimer(timer_.get(), &due, 0, nullptr, nullptr, FALSE) &&
            WaitForSingleObject(timer_.get(), INFINITE) == WAIT_OBJECT_0) {
            return;
        }
    }
    Sleep(milliseconds);
}

void SystemClock::setPriority(PlaybackPriority priority)
{
    const HANDLE thread = GetCurrentThread();
    if (priority == PlaybackPriority::Raised) {
        if (!raised_) {
            normalPriority_ = GetThreadPriority(thread);
            raised_ = true;
        }
        // The thread's own priority only: the process's class stays as the user started it.
        SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
    } else if (raised_) {
        SetThreadPriority(thread, normalPriority_);
        raised_ = false;
    }
}

PlaybackClockSeam SystemClock::seam()
{
    PlaybackClockSeam seam;
    seam.context = this;
    seam.now = [](void*) { return performanceSeconds(); };
    seam.sleepMilliseconds = [](void* context, uint32_t milliseconds) {
        static_cast<SystemClock*>(context)->sleepMilliseconds(milliseconds);
    };
    seam.pause = [](void*) { _mm_pause(); };
    seam.setPriority = [](void* context, PlaybackPriority priority) {
        static_cast<SystemClock*>(context)->setPriority(priority);
    };
    return seam;
}
