// Does the system honour thread priorities? With one busy normal-priority thread per processor,
// a thread sleeps 1 ms 500 times at each priority and the lateness of its wake-ups is printed;
// where priorities count, the higher ones wake on time and the normal one does not. Also shows
// which coarse waits the system offers (the high-resolution waitable timer).
// Run under wine: wine $LR_BUILD/windows/bench/thread_priority_probe_win.exe
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include <windows.h>
#include <timeapi.h>

#include "base/performance_clock.h"
#include "base/win_owners.h"

namespace {

struct Lateness {
    double median = 0;
    double p99 = 0;
    double max = 0;
};

Lateness sleepLateness(int priority)
{
    Lateness result;
    std::thread sleeper([&] {
        SetThreadPriority(GetCurrentThread(), priority);
        std::vector<double> late;
        for (int i = 0; i < 500; ++i) {
            const double before = performanceSeconds();
            Sleep(1);
            late.push_back(performanceSeconds() - before - 0.001);
        }
        std::sort(late.begin(), late.end());
        result.median = late[late.size() / 2];
        result.p99 = late[late.size() * 99 / 100];
        result.max = late.back();
    });
    sleeper.join();
    return result;
}

void report(const char* load, const char* name, int priority)
{
    const Lateness l = sleepLateness(priority);
    std::printf("%-7s %-14s Sleep(1) late by median %8.1f us  p99 %8.1f us  max %8.1f us\n", load, name, l.median * 1e6,
                l.p99 * 1e6, l.max * 1e6);
}

void reportAll(const char* load)
{
    report(load, "normal", THREAD_PRIORITY_NORMAL);
    report(load, "highest", THREAD_PRIORITY_HIGHEST);
    report(load, "time-critical", THREAD_PRIORITY_TIME_CRITICAL);
}

}  // namespace

int wmain()
{
    timeBeginPeriod(1);
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const KernelHandle timer(
        CreateWaitableTimerExW(nullptr, nullptr, 0x00000002 /* high resolution */, TIMER_ALL_ACCESS));
    std::printf("high-resolution waitable timer: %s (error %lu)\n", timer ? "made" : "refused",
                timer ? 0ul : static_cast<unsigned long>(GetLastError()));
    reportAll("idle");
    std::atomic<bool> stop{false};
    std::vector<std::thread> busy;
    for (DWORD i = 0; i < system.dwNumberOfProcessors; ++i) {
        busy.emplace_back([&stop] {
            volatile unsigned long long counter = 0;
            while (!stop.load(std::memory_order_relaxed)) {
                counter = counter + 1;
            }
        });
    }
    reportAll("loaded");
    stop = true;
    for (std::thread& t : busy) {
        t.join();
    }
    timeEndPeriod(1);
    return 0;
}
