// Scheduling accuracy of the playback loop with the performance counter, Sleep under a 1 ms
// timer resolution and real SendInput, plus the time stopPlayback takes to end a playback.
// Run under wine: wine $LR_BUILD/windows/bench/playback_timing_win.exe [events]
#include <cstdlib>

#include <windows.h>
#include <timeapi.h>

#include "playback_timing.h"
#include "player/input_injection.h"
#include "player/player.h"
#include "player/system_seams.h"

namespace {

HeldInput held;

PlaybackSeams systemSeams()
{
    PlaybackSeams s;
    useSystemClock(s);
    s.inject = [](void*, const MacroEvent& e) { return injectEvent(systemInputSeam(), held, e); };
    s.releaseHeld = [](void*) { releaseHeld(systemInputSeam(), held); };
    s.releaseModifiers = [](void*) { return releaseModifiers(systemInputSeam()); };
    return s;
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

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    timeBeginPeriod(1);
    const size_t count = argc > 1 ? static_cast<size_t>(_wtoi(argv[1])) : 2000;
    const std::vector<MacroEvent> events = timing::makeScript(count);
    std::printf("windows playback timing, %zu events, SendInput\n", count);
    for (double speed : {1.0, 4.0}) {
        char label[64];
        std::snprintf(label, sizeof label, "scheduling error, speed %.0f:", speed);
        timing::printStats(label, timing::summarise(timing::schedulingErrors(events, speed, systemSeams())));
    }
    timing::printStats("stop to thread end (40 stops):", stopToEnd(40));
    timeEndPeriod(1);
    return 0;
}
