// Cost of one capture step of the recorder under real conditions: a recording under way, real
// hooks installed, the window lookups and the posted announcement included. Prints the median and
// the 99th percentile in nanoseconds over a million calls per case.
//
// Run under wine on a display with the build's prefix, for example:
//   wine build/windows/bench/recorder_capture_bench.exe
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>
#include <intrin.h>

#include "base/top_window_win.h"
#include "recorder/now_seconds.h"
#include "recorder/recorder.h"
#include "recorder/window_capture_win.h"
#include "second_copy_win.h"
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

// Cases whose step is a few round trips to the window server run fewer calls.
int callsPerCase = kCalls;

template <typename Step>
double measure(const char* name, Recorder& recorder, HWND window, double ticksPerNs, Step step)
{
    const int calls = callsPerCase;
    std::vector<unsigned long long> ticks(static_cast<size_t>(calls));
    for (int i = 0; i < calls; ++i) {
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
    const double median = static_cast<double>(ticks[static_cast<size_t>(calls / 2)]) / ticksPerNs;
    const double p99 = static_cast<double>(ticks[static_cast<size_t>(calls / 100 * 99)]) / ticksPerNs;
    std::printf("%-34s median %8.0f ns   p99 %8.0f ns   (events in the last block: %zu)\n", name, median, p99, events);
    return median;
}

constexpr wchar_t kTargetClass[] = L"LrCaptureBenchTarget";
constexpr wchar_t kTargetOption[] = L"--target";

// This program started again with kTargetOption: a window over the test point, in front, until
// it is closed.
int runTarget()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = quitOnClose;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTargetClass;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, kTargetClass, L"Capture bench target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150,
                                  500, 350, nullptr, nullptr, windowClass.hInstance, nullptr);
    SetForegroundWindow(window);
    return runUntilClosed();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1 && std::wstring(argv[1]) == kTargetOption) {
        return runTarget();
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LrCaptureBenchReceiver";
    RegisterClassW(&windowClass);
    HWND receiver = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
    // A real window of another program under the test point and in front, as during a recording
    // (the recorder skips its own windows): each press, wheel turn and key press identifies it.
    SecondCopy target;
    if (!target.start(kTargetOption, kTargetClass, nullptr)) {
        std::printf("the target window did not appear\n");
        return 1;
    }
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
    const POINT testPoint{400, 300};
    const bool targetUnderPoint = GetAncestor(WindowFromPoint(testPoint), GA_ROOT) == target.window();
    const bool targetInFront = GetForegroundWindow() == target.window();
    std::printf("test window %s the test point, %s\n", targetUnderPoint ? "under" : "NOT under",
                targetInFront ? "in front" : "NOT in front");

    measure("timer alone", recorder, receiver, ticksPerNs, [](int) {});

    MSLLHOOKSTRUCT mouse{};
    mouse.pt = testPoint;
    clockStep = 0.0;  // every move but the first falls inside the 20 ms
    // Each kind with the window identities (the default) and without them, side by side.
    const WindowCaptureSeam withIdentities = windowCaptureSeam;
    WindowCaptureSeam withoutIdentities;
    withoutIdentities.atPoint = [](WindowCapture&, HWND, POINT, WindowIdentity&, EventWindow&) { return false; };
    withoutIdentities.inFront = [](WindowCapture&, HWND, WindowIdentity&) { return false; };
    KBDLLHOOKSTRUCT key{};
    key.vkCode = 'A';
    callsPerCase = kCalls / 10;
    const char* const kinds[] = {"move, recorded", "press + release", "wheel turn", "key down + up"};
    double medians[2][4] = {};
    for (const bool identities : {false, true}) {
        windowCaptureSeam = identities ? withIdentities : withoutIdentities;
        double* median = medians[identities ? 1 : 0];
        std::printf("-- %s window identities\n", identities ? "with" : "without");
        clockStep = 0.025;
        median[0] = measure(kinds[0], recorder, receiver, ticksPerNs, [&](int i) {
            mouse.pt.x = testPoint.x + (i & 63);
            recorder.onMouseHook(WM_MOUSEMOVE, mouse);
        });
        clockStep = 0.0;
        // A press and its release in one step: the release is cheap, so the pair shows the press.
        median[1] = measure(kinds[1], recorder, receiver, ticksPerNs, [&](int) {
            recorder.onMouseHook(WM_LBUTTONDOWN, mouse);
            recorder.onMouseHook(WM_LBUTTONUP, mouse);
        });
        MSLLHOOKSTRUCT turn = mouse;
        turn.mouseData = static_cast<DWORD>(WHEEL_DELTA) << 16;
        median[2] =
            measure(kinds[2], recorder, receiver, ticksPerNs, [&](int) { recorder.onMouseHook(WM_MOUSEWHEEL, turn); });
        median[3] = measure(kinds[3], recorder, receiver, ticksPerNs, [&](int) {
            recorder.onKeyboardHook(WM_KEYDOWN, key);
            recorder.onKeyboardHook(WM_KEYUP, key);
        });
    }
    std::printf("-- with identities / without (median)\n");
    for (int kind = 0; kind < 4; ++kind) {
        std::printf("  %-32s %5.2fx\n", kinds[kind], medians[1][kind] / medians[0][kind]);
    }
    windowCaptureSeam = withIdentities;
    {
        // What dominates a press's lookups, one call at a time, on the window under the point.
        HWND atPoint = WindowFromPoint(mouse.pt);
        HWND top = GetAncestor(atPoint, GA_ROOT);
        std::printf("-- the lookups of a press, each alone (window %p)\n", static_cast<void*>(top));
        // The whole lookup of a press, for a window met before (class, executable name and
        // monitor DPI remembered) and for one the recorder has not met yet.
        WindowCapture warm;
        WindowIdentity identity;
        EventWindow place;
        measure("  lookup, window met before", recorder, receiver, ticksPerNs,
                [&](int) { warm.atPoint(atPoint, mouse.pt, identity, place); });
        measure("  lookup, window not met yet", recorder, receiver, ticksPerNs, [&](int) {
            WindowCapture cold;
            cold.atPoint(atPoint, mouse.pt, identity, place);
        });
        measure("  WindowFromPoint", recorder, receiver, ticksPerNs, [&](int) { WindowFromPoint(mouse.pt); });
        measure("  GetAncestor", recorder, receiver, ticksPerNs, [&](int) { GetAncestor(atPoint, GA_ROOT); });
        measure("  GetWindowThreadProcessId", recorder, receiver, ticksPerNs, [&](int) {
            DWORD id = 0;
            GetWindowThreadProcessId(top, &id);
        });
        wchar_t text[256];
        measure("  GetClassNameW", recorder, receiver, ticksPerNs, [&](int) { GetClassNameW(top, text, 256); });
        measure("  InternalGetWindowText", recorder, receiver, ticksPerNs,
                [&](int) { InternalGetWindowText(top, text, 256); });
        measure("  ClientToScreen", recorder, receiver, ticksPerNs, [&](int) {
            POINT origin{};
            ClientToScreen(top, &origin);
        });
        measure("  monitor DPI", recorder, receiver, ticksPerNs, [&](int) { monitorDpiOf(top); });
        measure("    of which MonitorFromWindow", recorder, receiver, ticksPerNs,
                [&](int) { MonitorFromWindow(top, MONITOR_DEFAULTTONEAREST); });
        measure("    MonitorFromPoint instead", recorder, receiver, ticksPerNs,
                [&](int) { MonitorFromPoint(mouse.pt, MONITOR_DEFAULTTONEAREST); });
        WINDOWINFO info{};
        info.cbSize = sizeof(info);
        measure("    GetWindowInfo", recorder, receiver, ticksPerNs, [&](int) { GetWindowInfo(top, &info); });
        measure("    MonitorFromRect", recorder, receiver, ticksPerNs,
                [&](int) { MonitorFromRect(&info.rcWindow, MONITOR_DEFAULTTONEAREST); });
        const HMONITOR monitor = MonitorFromWindow(top, MONITOR_DEFAULTTONEAREST);
        MONITORINFO monitorInfo{};
        monitorInfo.cbSize = sizeof(monitorInfo);
        measure("    GetMonitorInfoW", recorder, receiver, ticksPerNs,
                [&](int) { GetMonitorInfoW(monitor, &monitorInfo); });
    }
    callsPerCase = kCalls;
    measure("move inside the 20 ms (throttled)", recorder, receiver, ticksPerNs, [&](int i) {
        mouse.pt.x = testPoint.x + (i & 63);
        recorder.onMouseHook(WM_MOUSEMOVE, mouse);
    });
    callsPerCase = kCalls / 10;
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
    measure("key VK:186 down + up", recorder, receiver, ticksPerNs, [&](int) {
        recorder.onKeyboardHook(WM_KEYDOWN, key);
        recorder.onKeyboardHook(WM_KEYUP, key);
    });

    recorder.stopRecording();
    recorder.stopHookThread();
    DestroyWindow(receiver);
    return 0;
}
