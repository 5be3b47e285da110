// What a look of a wait step costs under this system: the GDI copy of the whole screen and of one
// pixel (what a colour wait copies), against the picture search in the whole screen's copy (a
// 48 x 48 picture that is not on it) and the WIC decoding of that picture's PNG.
// Usage (under wine): screen_capture_bench.exe [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "player/png_codec_win.h"
#include "player/screen_reader_win.h"
#include "player/screen_waits.h"
#include "screen_match/picture_search.h"

namespace {

double nowSeconds()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// CPU time of this thread (the X server's share of a copy under wine is not in it).
double threadCpuSeconds()
{
    FILETIME created;
    FILETIME ended;
    FILETIME kernel;
    FILETIME user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    const auto seconds = [](const FILETIME& time) {
        return static_cast<double>(static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 20;
    std::vector<WindowIdentity> none;
    ScreenReader reader(none);
    const ScreenRect screen = rectAt(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                     GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    PixelBuffer whole;
    double best = 1e9;
    const double cpuStart = threadCpuSeconds();
    for (int run = 0; run < runs; ++run) {
        const double start = nowSeconds();
        if (!reader.capture(screen, whole)) {
            std::printf("the screen could not be copied\n");
            return 1;
        }
        best = std::min(best, nowSeconds() - start);
    }
    const double cpuPerCopy = (threadCpuSeconds() - cpuStart) / runs;
    std::printf("copy of the whole screen (%dx%d): %8.2f ms (CPU time of this thread: %.2f ms)\n", whole.width,
                whole.height, best * 1000, cpuPerCopy * 1000);
    PixelBuffer pixel;
    double pixelBest = 1e9;
    ScreenReader small(none);
    for (int run = 0; run < runs; ++run) {
        const double start = nowSeconds();
        small.capture(rectAt(screen.left + 10, screen.top + 10, 1, 1), pixel);
        pixelBest = std::min(pixelBest, nowSeconds() - start);
    }
    std::printf("copy of one pixel:                %8.3f ms\n", pixelBest * 1000);

    PixelBuffer picture;
    picture.width = picture.height = 48;
    for (int32_t y = 0; y < 48; ++y) {
        for (int32_t x = 0; x < 48; ++x) {
            // Not on the screen (its red inverted): each look of a wait until it comes searches everything.
            picture.pixels.push_back(whole.view().at(whole.width / 2 + x, whole.height / 2 + y) ^ 0x800000);
        }
    }
    double searchBest = 1e9;
    ScreenPoint found;
    bool any = false;
    for (int run = 0; run < runs; ++run) {
        const double start = nowSeconds();
        const PictureSearch search(picture.view(), 24);
        any = search.find(whole.view(), found);
        searchBest = std::min(searchBest, nowSeconds() - start);
    }
    std::printf("search for a picture not there:   %8.2f ms  found=%d at (%d, %d)  copy/search %.1fx\n",
                searchBest * 1000, any, found.x, found.y, best / searchBest);
    std::string png;
    PixelBuffer decoded;
    double decodeBest = 1e9;
    if (encodePngPicture(picture.view(), png)) {
        for (int run = 0; run < runs; ++run) {
            const double start = nowSeconds();
            decodePngPicture(png, decoded);
            decodeBest = std::min(decodeBest, nowSeconds() - start);
        }
        std::printf("WIC decoding of its PNG (%zu bytes): %6.2f ms (once per wait step)\n", png.size(),
                    decodeBest * 1000);
    }
    // The share of one core a wait takes: a look's cost over the time from one look to the next
    // (see runScreenWait: at least 50 ms apart, looking a quarter of the time at most).
    const auto share = [](double cost) { return 100 * cost / std::max(kLookIntervalSeconds, cost / kLookShareOfTime); };
    std::printf("share of a core while waiting: a picture in the whole screen %.0f %%, a colour %.1f %%\n",
                share(best + searchBest), share(pixelBest));
    return 0;
}
