// Scheduling accuracy of the playback loop on this machine's monotonic clock and sleeps, with
// a fake injector, plus the time from a stop request to the end of the playback thread.
// Run: $LR_BUILD/native/bench/playback_timing_native [events]
#include <chrono>
#include <cstdlib>
#include <thread>

#include "playback_timing.h"

namespace {

double steadySeconds(void*)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void sleepFor(void*, uint32_t milliseconds)
{
    if (milliseconds == 0) {
        std::this_thread::yield();
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

void spinStep(void*)
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

SendResult fakeInject(void*, const MacroEvent&)
{
    return SendResult{};
}
SendResult releaseNothing(void*)
{
    return SendResult{};
}
void nothing(void*) {}

PlaybackSeams nativeSeams()
{
    PlaybackSeams s;
    s.clock.now = &steadySeconds;
    s.clock.sleepMilliseconds = &sleepFor;
    s.clock.pause = &spinStep;
    s.clock.setPriority = [](void*, PlaybackPriority) {};
    s.inject = &fakeInject;
    s.releaseHeld = &nothing;
    s.releaseModifiers = &releaseNothing;
    return s;
}

// Starts an endless playback on its own thread, requests a stop at a varying moment and times
// how long the thread takes to end (the join that stopPlayback performs).
timing::Stats stopToEnd(int rounds)
{
    std::vector<double> times;
    std::vector<MacroEvent> events = timing::makeScript(200);
    for (int round = 0; round < rounds; ++round) {
        std::atomic<bool> playing{true};
        std::atomic<bool> stop{false};
        const PlaybackJob job = makePlaybackJob(events, 1.0, true, 1, false);
        PlaybackSeams seams = nativeSeams();
        seams.passStarted = [](void*, int, int) {};
        seams.ended = [](void*, PlaybackEnd, uint32_t) {};
        std::thread thread([&] { runPlayback(job, seams, playing, stop); });
        std::this_thread::sleep_for(std::chrono::milliseconds(30 + (round * 37) % 90));
        const double before = steadySeconds(nullptr);
        stop = true;
        thread.join();
        times.push_back(steadySeconds(nullptr) - before);
    }
    return timing::summarise(times);
}

}  // namespace

int main(int argc, char** argv)
{
    const size_t count = argc > 1 ? static_cast<size_t>(std::atoi(argv[1])) : 2000;
    const std::vector<MacroEvent> events = timing::makeScript(count);
    std::printf("native playback timing, %zu events, fake injector\n", count);
    for (double speed : {1.0, 4.0}) {
        char label[64];
        std::snprintf(label, sizeof label, "scheduling error, speed %.0f:", speed);
        timing::printStats(label, timing::summarise(timing::schedulingErrors(events, speed, nativeSeams())));
    }
    timing::printStats("stop to thread end (40 stops):", stopToEnd(40));
    return 0;
}
