// Cost of following windows during a playback, with 50 top-level windows open: looking up a
// window for the first time (a walk over every top-level window), looking again at a window
// matched before (what every later wait point pays), and asking whether a window is in front.
// Yardstick in the same run: one SetCursorPos, which every replayed mouse event pays anyway.
// Prints median and 99th percentile in microseconds and the ratio of the medians to it.
//
// Run under wine on a display with the build's prefix, for example:
//   wine build/windows/bench/window_follow_bench.exe
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>

#include "base/performance_clock.h"
#include "base/win_owners.h"
#include "player/window_finder_win.h"

namespace {

constexpr int kWindows = 50;
constexpr int kCalls = 20000;

struct Figures {
    double median;
    double p99;
};

template <typename Step>
Figures measure(Step step)
{
    std::vector<double> micros(kCalls);
    for (int i = 0; i < kCalls; ++i) {
        const double begin = performanceSeconds();
        step(i);
        micros[static_cast<size_t>(i)] = (performanceSeconds() - begin) * 1e6;
    }
    std::sort(micros.begin(), micros.end());
    return Figures{micros[kCalls / 2], micros[kCalls / 100 * 99]};
}

void report(const char* name, Figures figures, double yardstick)
{
    std::printf("%-44s median %8.2f us   p99 %8.2f us   %6.1fx the yardstick\n", name, figures.median, figures.p99,
                figures.median / yardstick);
}

void pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

}  // namespace

int wmain()
{
    SetProcessDPIAware();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // Ten classes of five windows each; the wanted one is the last window of the last class,
    // created first so that it lies at the bottom of the z-order.
    std::vector<std::wstring> classNames;
    for (int c = 0; c < 10; ++c) {
        classNames.push_back(L"LrFollowBench" + std::to_wstring(c));
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = classNames.back().c_str();
        RegisterClassW(&windowClass);
    }
    std::vector<WindowHandle> windows;
    for (int i = kWindows - 1; i >= 0; --i) {
        const std::wstring title = L"window " + std::to_wstring(i);
        windows.emplace_back(CreateWindowExW(0, classNames[static_cast<size_t>(i / 5)].c_str(), title.c_str(),
                                             WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20 + i * 3, 20 + i * 3, 300, 200,
                                             nullptr, nullptr, instance, nullptr));
        if (!windows.back()) {
            std::printf("window %d could not be made\n", i);
            return 1;
        }
    }
    pump();
    wchar_t exePath[MAX_PATH];
    GetModuleFileNameW(nullptr, exePath, MAX_PATH);
    std::string exe;
    for (const wchar_t c : exeFileName(exePath)) {
        exe.push_back(static_cast<char>(c));
    }
    const std::vector<WindowIdentity> table = {{exe, "LrFollowBench9", "window 49"}};

    const Figures yardstick = measure([](int i) { SetCursorPos(300 + (i & 15), 300); });
    std::printf("following windows with %d top-level windows of this program open, %d calls per case\n", kWindows,
                kCalls);
    report("yardstick: SetCursorPos", yardstick, yardstick.median);

    WindowPlace place;
    report("first look (walk over every window)", measure([&](int) {
               WindowFinder finder(table);
               if (finder.look(0, place) != WindowLook::Found) {
                   std::printf("not found\n");
               }
           }),
           yardstick.median);
    WindowFinder kept(table);
    kept.look(0, place);
    report("look again at the window matched before", measure([&](int) { kept.look(0, place); }), yardstick.median);
    SetForegroundWindow(windows.back().get());
    pump();
    report("is the window in front (asked again)", measure([&](int) { kept.isForeground(0); }), yardstick.median);
    return 0;
}
