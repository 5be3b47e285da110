// Scheduling accuracy of the playback loop with the performance counter, the program's waits and
// real SendInput, idle and with every core busy, beside a naive player that sleeps each event's
// delay in turn; plus the time stopPlayback takes to end a playback and the playback thread's
// CPU time per second of playback.
// Run under wine: wine $LR_BUILD/windows/bench/playback_timing_win.exe [events] [idle|loaded|both]
#include <cstdlib>
#include <cwchar>
#include <thread>

#include <windows.h>
#include <timeapi.h>

#include "base/performance_clock.h"
#include "playback_timing.h"
#include "player/input_injection.h"
#include "player/player.h"
#include "player/system_clock.h"
#include "player/system_seams.h"

namespace {

HeldInput held;

PlaybackSeams systemSeams(SystemClock& clock)
{
    PlaybackSeams s;
    s.clock = clock.seam();
    s.doubleClickSeconds = &systemDoubleClickSeconds;
    s.inject = [](void*, const MacroEvent& e) { return injectEvent(systemInputSeam(), held, e); };
    s.releaseHeld = [](void*) { releaseHeld(systemInputSeam(), held); };
    s.releaseModifiers = [](void*) { return releaseModifiers(systemInputSeam()); };
    return s;
}

// CPU seconds (user and kernel) the calling thread has used so far.
double threadCpuSeconds()
{
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

struct PlaybackFigures {
    timing::Stats errors;
    double drift = 0;         // lateness of the last event
    double cpuPerSecond = 0;  // CPU seconds of the playing thread per second of playback
};

PlaybackFigures measureLoop(const std::vector<MacroEvent>& events, double speed)
{
    PlaybackFigures figures;
    const double wallBefore = performanceSeconds();
    const double cpuBefore = threadCpuSeconds();
    SystemClock clock;
    const std::vector<double> errors = timing::schedulingErrors(events, speed, systemSeams(clock));
    figures.cpuPerSecond = (threadCpuSeconds() - cpuBefore) / (performanceSeconds() - wallBefore);
    figures.errors = timing::summarise(errors);
    figures.drift = errors.empty() ? 0.0 : errors.back();
    return figures;
}

// The yardstick: what simple recorders do, Sleep of each event's delay in whole milliseconds,
// then the injection.
PlaybackFigures measureNaive(const std::vector<MacroEvent>& events)
{
    PlaybackFigures figures;
    const double cpuBefore = threadCpuSeconds();
    const double start = performanceSeconds();
    std::vector<double> errors;
    double target = 0;
    for (const MacroEvent& e : events) {
        target += e.delay;
        Sleep(static_cast<DWORD>(e.delay * 1000.0 + 0.5));
        errors.push_back(performanceSeconds() - start - target);
        injectEvent(systemInputSeam(), held, e);
    }
    releaseHeld(systemInputSeam(), held);
    figures.cpuPerSecond = (threadCpuSeconds() - cpuBefore) / (performanceSeconds() - start);
    figures.errors = timing::summarise(errors);
    figures.drift = errors.empty() ? 0.0 : errors.back();
    return figures;
}

timing::Stats stopToEnd(int rounds)
{
    std::vector<double> times;
    const std::vector<MacroEvent> events = timing::makeScript(200);
    Player player;
    for (int round = 0; round < rounds; ++round) {
        if (!player.startPlayback(events, 1.0, true, 1, false)) {
            std::printf("startPlayback failed\n");
            break;
        }
        Sleep(30 + (round * 37) % 90);
        const double before = performanceSeconds();
        player.stopPlayback();
        times.push_back(performanceSeconds() - before);
    }
    return timing::summarise(times);
}

// One busy thread of normal priority per processor while it lives.
class Load {
public:
    explicit Load(unsigned threads)
    {
        for (unsigned i = 0; i < threads; ++i) {
            workers_.emplace_back([this] {
                volatile uint64_t counter = 0;
                while (!stop_.load(std::memory_order_relaxed)) {
                    counter = counter + 1;
                }
            });
        }
    }
    ~Load()
    {
        stop_.store(true);
        for (std::thread& worker : workers_) {
            worker.join();
        }
    }
    Load(const Load&) = delete;
    Load& operator=(const Load&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> workers_;
};

struct Column {
    PlaybackFigures loop;
    PlaybackFigures loopFast;
    PlaybackFigures naive;
    timing::Stats stop;
};

Column measureAll(const std::vector<MacroEvent>& events)
{
    Column column;
    column.loop = measureLoop(events, 1.0);
    column.loopFast = measureLoop(events, 4.0);
    column.naive = measureNaive(events);
    column.stop = stopToEnd(40);
    return column;
}

void printRow(const char* label, double idle, double loaded, const char* unit)
{
    std::printf("%-40s %12.1f %12.1f  %s\n", label, idle, loaded, unit);
}

void printColumns(const Column& idle, const Column& loaded)
{
    std::printf("%-40s %12s %12s\n", "", "idle", "loaded");
    printRow("speed 1 scheduling error median", idle.loop.errors.median * 1e6, loaded.loop.errors.median * 1e6, "us");
    printRow("speed 1 scheduling error p99", idle.loop.errors.p99 * 1e6, loaded.loop.errors.p99 * 1e6, "us");
    printRow("speed 1 scheduling error max", idle.loop.errors.max * 1e6, loaded.loop.errors.max * 1e6, "us");
    printRow("speed 1 drift at the end", idle.loop.drift * 1e6, loaded.loop.drift * 1e6, "us");
    printRow("speed 4 scheduling error median", idle.loopFast.errors.median * 1e6, loaded.loopFast.errors.median * 1e6,
             "us");
    printRow("speed 4 scheduling error p99", idle.loopFast.errors.p99 * 1e6, loaded.loopFast.errors.p99 * 1e6, "us");
    printRow("playback thread CPU per second, speed 1", idle.loop.cpuPerSecond * 1e3, loaded.loop.cpuPerSecond * 1e3,
             "ms/s");
    printRow("stop to thread end median", idle.stop.median * 1e3, loaded.stop.median * 1e3, "ms");
    printRow("stop to thread end max", idle.stop.max * 1e3, loaded.stop.max * 1e3, "ms");
    printRow("yardstick (naive sleeps) error median", idle.naive.errors.median * 1e3, loaded.naive.errors.median * 1e3,
             "ms");
    printRow("yardstick drift at the end", idle.naive.drift * 1e3, loaded.naive.drift * 1e3, "ms");
    printRow("yardstick CPU per second", idle.naive.cpuPerSecond * 1e3, loaded.naive.cpuPerSecond * 1e3, "ms/s");
    const auto ratio = [](const Column& c) {
        return c.loop.errors.median > 0 ? c.naive.errors.median / c.loop.errors.median : 0.0;
    };
    printRow("yardstick median / loop median", ratio(idle), ratio(loaded), "times");
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    timeBeginPeriod(1);
    const size_t count = argc > 1 ? static_cast<size_t>(_wtoi(argv[1])) : 1000;
    const std::wstring mode = argc > 2 ? argv[2] : L"both";
    const std::vector<MacroEvent> events = timing::makeScript(count);
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const unsigned processors = system.dwNumberOfProcessors;
    const char* const waits[] = {"high-resolution waitable timer", "Sleep, exempt from timer throttling", "Sleep"};
    std::printf("windows playback timing, %zu events, SendInput, loaded = %u busy threads, coarse waits: %s\n", count,
                processors, waits[static_cast<int>(SystemClock().coarseWait())]);
    Column idle;
    Column loaded;
    if (mode != L"loaded") {
        idle = measureAll(events);
    }
    if (mode != L"idle") {
        Load load(processors);
        loaded = measureAll(events);
    }
    printColumns(idle, loaded);
    timeEndPeriod(1);
    return 0;
}
