// Cost of following windows during a playback, with 50 top-level windows of another program open
// (each question about them is a round trip to the window manager, as during a real replay): looking up a
// window for the first time (a walk over every top-level window), looking again (every look
// chooses anew, with the classes known), checking a click's point (WindowFromPoint and whether the
// window responds), and asking whether the window is in front.
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
#include "second_copy_win.h"

namespace {

constexpr int kWindows = 50;
constexpr int kCalls = 20000;
constexpr int kFirstLookCalls = 2000;  // each walks every window

struct Figures {
    double median;
    double p99;
};

template <typename Step>
Figures measure(Step step, int calls = kCalls)
{
    std::vector<double> micros(static_cast<size_t>(calls));
    for (int i = 0; i < calls; ++i) {
        const double begin = performanceSeconds();
        step(i);
        micros[static_cast<size_t>(i)] = (performanceSeconds() - begin) * 1e6;
    }
    std::sort(micros.begin(), micros.end());
    return Figures{micros[static_cast<size_t>(calls / 2)], micros[static_cast<size_t>(calls / 100 * 99)]};
}

void report(const char* name, Figures figures, double yardstick)
{
    std::printf("%-44s median %8.2f us   p99 %8.2f us   %6.1fx the yardstick\n", name, figures.median, figures.p99,
                figures.median / yardstick);
}

constexpr wchar_t kWindowsOption[] = L"--windows";

// This program started again with kWindowsOption: the 50 windows, until one of them is closed.
// Ten classes of five windows each; the wanted one is the last window of the last class,
// created first so that it lies at the bottom of the z-order.
int runWindows()
{
    SetProcessDPIAware();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    std::vector<std::wstring> classNames;
    for (int c = 0; c < 10; ++c) {
        classNames.push_back(L"LrFollowBench" + std::to_wstring(c));
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = quitOnClose;
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
            return 1;
        }
    }
    return runUntilClosed();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1 && std::wstring(argv[1]) == kWindowsOption) {
        return runWindows();
    }
    SetProcessDPIAware();
    // The wanted window is made first, the top one ("window 0") last.
    SecondCopy program;
    if (!program.start(kWindowsOption, L"LrFollowBench0", L"window 0")) {
        std::printf("the windows' program did not start\n");
        return 1;
    }
    wchar_t exePath[MAX_PATH];
    GetModuleFileNameW(nullptr, exePath, MAX_PATH);
    std::string exe;
    for (const wchar_t c : exeFileName(exePath)) {
        exe.push_back(static_cast<char>(c));
    }
    const std::vector<WindowIdentity> table = {{exe, "LrFollowBench9", "window 49"}};

    const Figures yardstick = measure([](int i) { SetCursorPos(300 + (i & 15), 300); });
    std::printf("following windows with %d top-level windows of another program open, %d calls per case\n", kWindows,
                kCalls);
    report("yardstick: SetCursorPos", yardstick, yardstick.median);

    WindowPlace place;
    report("first look (walk over every window)",
           measure(
               [&](int) {
                   WindowFinder finder(table);
                   if (finder.look(0, nullptr, place) != WindowProblem::None) {
                       std::printf("not found\n");
                   }
               },
               kFirstLookCalls),
           yardstick.median);
    // A later entry's first look in the same playback: the classes of the windows met are known.
    const std::vector<WindowIdentity> entries(kFirstLookCalls + 1, table[0]);
    WindowFinder warm(entries);
    warm.look(0, nullptr, place);
    report("first look, window classes known",
           measure([&](int i) { warm.look(i + 1, nullptr, place); }, kFirstLookCalls), yardstick.median);
    WindowFinder kept(table);
    kept.look(0, nullptr, place);
    report("look again (chosen anew each time)", measure([&](int) { kept.look(0, nullptr, place); }), yardstick.median);
    const POINT inside{place.originX + 20, place.originY + 20};
    report("check of a click's point (it responds, it is there)",
           measure([&](int) { kept.checkPoint(0, inside.x, inside.y); }), yardstick.median);
    SetForegroundWindow(FindWindowW(L"LrFollowBench9", L"window 49"));
    Sleep(300);
    report("is the window in front (asked again)", measure([&](int) { kept.checkFront(0); }), yardstick.median);
    return 0;
}
