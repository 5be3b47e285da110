// What the hook thread adds per notification for the chosen hotkeys and the takeover watch,
// next to the capture step it already runs: the hotkey test of a key press and release against
// the capture of the same pair (the yardstick), and the takeover test of a mouse move against
// the capture of a throttled move (the yardstick). Both run on every notification of the
// desktop, so they must stay small beside the capture.
// Run: $LR_BUILD/native/bench/recorder_rules_bench
#include <benchmark/benchmark.h>

#include "base/playback_pointer.h"
#include "recorder/capture_rules.h"
#include "recorder/hotkey_rules.h"
#include "recorder/takeover_rule.h"

namespace {

void BM_CaptureKeyPair(benchmark::State& state)
{
    CaptureState capture;
    resetCapture(capture, 1.0);
    MacroEvent event;
    double now = 1.0;
    for (auto _ : state) {
        now += 0.01;
        benchmark::DoNotOptimize(captureKey(capture, HookMessage::kKeyDown, 0x41, false, now, event));
        benchmark::DoNotOptimize(captureKey(capture, HookMessage::kKeyUp, 0x41, false, now, event));
    }
}
BENCHMARK(BM_CaptureKeyPair);

void BM_HotkeyStepKeyPair(benchmark::State& state)
{
    HotkeyTracker tracker;
    HotkeyChords chords;
    chords.record = HotkeyChord{0x7A, kChordCtrl | kChordShift};
    uint32_t time = 0;
    const uint32_t key = static_cast<uint32_t>(state.range(0));
    for (auto _ : state) {
        time += 10;
        benchmark::DoNotOptimize(hotkeyStep(tracker, chords, false, HookMessage::kKeyDown, key, 0, time, 0x05));
        benchmark::DoNotOptimize(hotkeyStep(tracker, chords, false, HookMessage::kKeyUp, key, 0x80, time, 0x05));
    }
}
// An ordinary key, and the key of the chord (held with its modifiers, so that it fires).
BENCHMARK(BM_HotkeyStepKeyPair)->Arg(0x41)->Arg(0x7A);

void BM_CaptureMoveThrottled(benchmark::State& state)
{
    CaptureState capture;
    resetCapture(capture, 1.0);
    MacroEvent event;
    captureMouse(capture, HookMessage::kMouseMove, 10, 10, 0, false, 1.0, event);
    int32_t x = 0;
    for (auto _ : state) {
        x = (x + 1) & 1023;
        benchmark::DoNotOptimize(captureMouse(capture, HookMessage::kMouseMove, x, 10, 0, false, 1.001, event));
    }
}
BENCHMARK(BM_CaptureMoveThrottled);

void BM_TakeoverMove(benchmark::State& state)
{
    PlaybackPointer pointer;
    pointer.begin(500, 400);
    int32_t x = 0;
    for (auto _ : state) {
        x = (x + 1) & 7;
        benchmark::DoNotOptimize(isUserTakeover(HookMessage::kMouseMove, 500 + x, 400, 0, pointer.read()));
    }
}
BENCHMARK(BM_TakeoverMove);

}  // namespace

BENCHMARK_MAIN();
