// Cost of one capture step of the recorder under real conditions: a recording under way, real
// hooks installed, the window lookups and the posted announcement included. Prints the median and
// the 99th percentile in nanoseconds over a million calls per case.
//
// Run under wine on a display with the build's prefix, for example:
//   wine build/windows/bench/recorder_capture_bench.exe
#include <algorithm>
#include <cstdio>
#include <vector>
#include <windows.h>
#include <intrin.h>

#include "recorder/now_seconds.h"
#include "recorder/recorder.h"
#include "support/scoped_seam.h"

namespace {

constexpr int kCalls = 1000000;
constexpr int kDrainEvery = 1000;    // messages of the receiver drained outside the timing
constexpr int kClearEvery = 100000;  // event list emptied outside the timing

// The capture clock used here: the real counter plus a step, so that "outside the throttle"
// (every move recorded) can run a million times without waiting 20 ms between calls.
double clockStep = 0.0;
double clockOffset = 0.0;
double steppedClock()
{
    clockOffset += clockStep;
    return performanceSeconds() + clockOffset;
}

double ticksPerNanosecond()
{
    const unsigned long long tsc0 = __rdtsc();
    const double t0 = performanceSeconds();
    Sleep(300);
    const unsigned long long tsc1 = __rdtsc();
    const double t1 = performanceSeconds();
    return static_cast<double>(tsc1 - tsc0) / ((t1 - t0) * 1e9);
}

void drain(HWND window)
{
    MSG message;
    while (PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
    }
}

template <typename Step>
void measure(const char* name, Recorder& recorder, HWND window, double ticksPerNs, Step step)
{
    std::vector<unsigned long long> ticks(kCalls);
    for (int i = 0; i < kCalls; ++i) {
        if (i % kDrainEvery == 0) {
            drain(window);
        }
        if (i % kClearEvery == 0) {
            recorder.takeCaptured();
        }
        const unsigned long long begin = __rdtsc();
        step(i);
        ticks[i] = __rdtsc() - begin;
    }
    const size_t events = recorder.capturedCount();
    std::sort(ticks.begin(), ticks.end());
    const double median = static_cast<double>(ticks[kCalls / 2]) / ticksPerNs;
    const double p99 = static_cast<double>(ticks[kCalls * 99 / 100]) / ticksPerNs;
    std::printf("%-34s median %8.0f ns   p99 %8.0f ns   (events in the last block: %zu)\n", name, median, p99, events);
}

}  // namespace

int wmain()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LrCaptureBenchReceiver";
    RegisterClassW(&windowClass);
    HWND receiver = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
    Recorder recorder;
    if (receiver == nullptr || !recorder.startHookThread(receiver) || recorder.hookState() != HookState::Installed) {
        std::printf("hooks could not be installed\n");
        return 1;
    }
    ScopedSeam stepped(captureClockSeam, &steppedClock);
    if (!recorder.startRecording(true, true)) {
        std::printf("recording could not start\n");
        return 1;
    }
    const double ticksPerNs = ticksPerNanosecond();
    std::printf("capture step, %d calls per case, timer %.3f ticks/ns\n", kCalls, ticksPerNs);

    measure("timer alone", recorder, receiver, ticksPerNs, [](int) {});

    MSLLHOOKSTRUCT mouse{};
    mouse.pt = {400, 300};
    clockStep = 0.0;  // every move but the first falls inside the 20 ms
    measure("onMouseHook move, throttled", recorder, receiver, ticksPerNs, [&](int i) {
        mouse.pt.x = 400 + (i & 63);
        recorder.onMouseHook(WM_MOUSEMOVE, mouse);
    });
    clockStep = 0.025;  // every move recorded
    measure("onMouseHook move, recorded", recorder, receiver, ticksPerNs, [&](int i) {
        mouse.pt.x = 400 + (i & 63);
        recorder.onMouseHook(WM_MOUSEMOVE, mouse);
    });
    clockStep = 0.0;
    measure("onMouseHook click (down, up)", recorder, receiver, ticksPerNs,
            [&](int i) { recorder.onMouseHook((i & 1) != 0 ? WM_LBUTTONUP : WM_LBUTTONDOWN, mouse); });
    KBDLLHOOKSTRUCT key{};
    key.vkCode = 'A';
    measure("onKeyboardHook key (down, up)", recorder, receiver, ticksPerNs,
            [&](int i) { recorder.onKeyboardHook((i & 1) != 0 ? WM_KEYUP : WM_KEYDOWN, key); });
    // What the hotkey step adds to a real key-down: the system's view of the eight modifiers.
    measure("8 GetAsyncKeyState (hotkey step)", recorder, receiver, ticksPerNs, [](int) {
        int down = 0;
        for (int vk : {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0x5B, 0x5C}) {
            down += (GetAsyncKeyState(vk) & 0x8000) != 0 ? 1 : 0;
        }
        if (down > 8) {
            std::printf("impossible\n");
        }
    });
    key.vkCode = 0xBA;  // named "VK:186"
    measure("onKeyboardHook key VK:186", recorder, receiver, ticksPerNs,
            [&](int i) { recorder.onKeyboardHook((i & 1) != 0 ? WM_KEYUP : WM_KEYDOWN, key); });

    recorder.stopRecording();
    recorder.stopHookThread();
    DestroyWindow(receiver);
    return 0;
}
