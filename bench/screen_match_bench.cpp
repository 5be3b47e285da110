// The picture search of the wait steps on a 1920 x 1080 capture of a desktop drawn like a real
// one (a flat background, windows with title bars, borders, lines of text, icons, a taskbar):
// finding a 48 x 48 picture cut from it, against the yardsticks on the same capture in the same
// run: the plain comparison of every pixel at every place, and OpenCV's matchTemplate (TM_SQDIFF,
// one thread, through bench/screen_match_opencv.py when python3-opencv is installed). Then the
// flat-colour cases: a picture of one colour that much of the screen has, and one that is nearly
// so (a single other pixel) on a screen where every place nearly matches.
// Times are CPU times of one thread (OpenCV's too), so that other work on the machine does not
// count. Usage: screen_match_bench [--no-full]   (run by hand; --no-full leaves out the slow yardstick)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>
#include <unistd.h>

#include "screen_match/picture_search.h"
#include "screen_match/pixels.h"
#include "support/pixel_parts.h"

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

// CPU time of this thread: the machine is shared, and the wall clock counts the others' work too.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double secondsSince(double start)
{
    return cpuSeconds() - start;
}

struct Canvas {
    PixelBuffer image;
    uint32_t seed = 12345;

    uint32_t random()
    {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    }
    void fill(int32_t left, int32_t top, int32_t width, int32_t height, uint32_t colour)
    {
        for (int32_t y = std::max(top, 0); y < std::min(top + height, image.height); ++y) {
            for (int32_t x = std::max(left, 0); x < std::min(left + width, image.width); ++x) {
                image.pixels[static_cast<size_t>(y) * image.width + x] = colour;
            }
        }
    }
    // Lines of "text": glyph cells of 7 x 12 pixels with strokes in the text colour and a
    // lighter edge pixel beside some strokes (the smoothing of real type).
    void text(int32_t left, int32_t top, int32_t width, int32_t lines, uint32_t ink, uint32_t smooth)
    {
        for (int32_t line = 0; line < lines; ++line) {
            const int32_t length = static_cast<int32_t>(random() % static_cast<uint32_t>(width / 7));
            for (int32_t cell = 0; cell < length; ++cell) {
                if (random() % 6 == 0) {
                    continue;  // a space
                }
                for (int32_t stroke = 0; stroke < 5; ++stroke) {
                    const int32_t x = left + cell * 7 + static_cast<int32_t>(random() % 6);
                    const int32_t y = top + line * 18 + 2 + static_cast<int32_t>(random() % 6);
                    if (random() % 2 == 0) {
                        fill(x, y, 1, 4 + static_cast<int32_t>(random() % 4), ink);
                        fill(x + 1, y, 1, 3, smooth);
                    } else {
                        fill(x, y, 2 + static_cast<int32_t>(random() % 4), 1, ink);
                    }
                }
            }
        }
    }
};

PixelBuffer drawDesktop()
{
    Canvas canvas;
    canvas.image.width = kWidth;
    canvas.image.height = kHeight;
    canvas.image.pixels.assign(static_cast<size_t>(kWidth) * kHeight, 0x3A6EA5);  // the background
    // Desktop icons.
    for (int32_t i = 0; i < 8; ++i) {
        const uint32_t colour = canvas.random() & 0xFFFFFF;
        canvas.fill(20, 20 + i * 90, 48, 48, colour);
        canvas.fill(28, 28 + i * 90, 32, 32, colour ^ 0x404040);
        canvas.text(10, 72 + i * 90, 70, 1, 0xFFFFFF, 0xC0C8D8);
    }
    const struct {
        int32_t left, top, width, height;
    } windows[] = {{140, 60, 900, 640}, {700, 300, 1000, 620}, {1300, 80, 560, 420}};
    for (const auto& w : windows) {
        canvas.fill(w.left - 1, w.top - 1, w.width + 2, w.height + 2, 0x707070);  // border
        canvas.fill(w.left, w.top, w.width, 30, 0xFFFFFF);                        // title bar
        canvas.text(w.left + 36, w.top + 8, 300, 1, 0x000000, 0x909090);
        canvas.fill(w.left + 8, w.top + 7, 16, 16, 0x1E90FF);  // its icon
        for (int32_t b = 0; b < 3; ++b) {
            canvas.fill(w.left + w.width - 46 * (b + 1), w.top, 46, 30, b == 0 ? 0xFFFFFF : 0xFFFFFF);
            canvas.fill(w.left + w.width - 46 * (b + 1) + 18, w.top + 14, 10, 1, 0x000000);
        }
        canvas.fill(w.left, w.top + 30, w.width, 24, 0xF3F3F3);  // menu bar
        canvas.text(w.left + 6, w.top + 34, 260, 1, 0x000000, 0xA0A0A0);
        canvas.fill(w.left, w.top + 54, w.width, w.height - 54, 0xFFFFFF);  // the page
        canvas.text(w.left + 12, w.top + 62, w.width - 24, (w.height - 100) / 18, 0x1E1E1E, 0xB4B4B4);
        canvas.fill(w.left + w.width - 100, w.top + w.height - 40, 80, 26, 0xE1E1E1);  // a button
        canvas.fill(w.left + w.width - 99, w.top + w.height - 39, 78, 24, 0xE5F1FB);
        canvas.text(w.left + w.width - 80, w.top + w.height - 36, 50, 1, 0x000000, 0x8080A0);
    }
    canvas.fill(0, kHeight - 40, kWidth, 40, 0x202020);  // the taskbar
    for (int32_t i = 0; i < 10; ++i) {
        canvas.fill(60 + i * 52, kHeight - 34, 28, 28, canvas.random() & 0xFFFFFF);
    }
    canvas.text(kWidth - 90, kHeight - 30, 80, 1, 0xFFFFFF, 0x808080);
    return canvas.image;
}

// The best of several runs of the search (a new search each time: it prepares its picture too).
double searchSeconds(const PixelBuffer& capture, const PixelBuffer& picture, int32_t tolerance, int runs,
                     ScreenPoint& found, bool& any)
{
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        const double start = cpuSeconds();
        const PictureSearch search(picture.view(), tolerance);
        any = search.find(capture.view(), found);
        best = std::min(best, secondsSince(start));
    }
    return best;
}

bool writeRaw(const std::string& path, const PixelBuffer& image)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const size_t written = std::fwrite(image.pixels.data(), 4, image.pixels.size(), file);
    std::fclose(file);
    return written == image.pixels.size();
}

// OpenCV on the same capture and picture: "x y seconds", or false when it cannot run.
bool openCvSeconds(const PixelBuffer& capture, const PixelBuffer& picture, ScreenPoint& found, double& seconds)
{
    const std::string capturePath = "/tmp/screen_match_bench_capture.raw";
    const std::string picturePath = "/tmp/screen_match_bench_picture.raw";
    if (!writeRaw(capturePath, capture) || !writeRaw(picturePath, picture)) {
        return false;
    }
    // Debian's Python, which python3-opencv installs into (a python3 earlier in PATH may lack it).
    const char* python = access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3 " : "python3 ";
    const std::string command = python + std::string(LR_SOURCE_DIR "/bench/screen_match_opencv.py ") + capturePath +
                                " " + std::to_string(capture.width) + " " + std::to_string(capture.height) + " " +
                                picturePath + " " + std::to_string(picture.width) + " " +
                                std::to_string(picture.height) + " 3";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    char line[256] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    int x = -1;
    int y = -1;
    if (!read || std::sscanf(line, "%d %d %lf", &x, &y, &seconds) != 3) {
        std::printf("OpenCV yardstick: %s", read ? line : "no answer\n");
        return false;
    }
    found = ScreenPoint{x, y};
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool full = !(argc > 1 && std::strcmp(argv[1], "--no-full") == 0);
    const PixelBuffer desktop = drawDesktop();
    // Inside the lower window: part of its text and its page's edge.
    const int32_t placeX = 1234;
    const int32_t placeY = 567;
    const PixelBuffer picture = cutPixels(desktop, placeX, placeY, 48, 48);
    std::printf("capture %dx%d, picture 48x48 cut at (%d, %d), tolerance 24\n", kWidth, kHeight, placeX, placeY);

    ScreenPoint found;
    bool any = false;
    const double ours = searchSeconds(desktop, picture, 24, 20, found, any);
    std::printf("picture search:         %8.2f ms  found=%d at (%d, %d)\n", ours * 1000, any, found.x, found.y);

    // What every look of a wait costs until the picture comes: a search of the whole capture.
    PixelBuffer absent = picture;
    for (uint32_t& pixel : absent.pixels) {
        pixel ^= 0x800000;
    }
    const double nowhere = searchSeconds(desktop, absent, 24, 20, found, any);
    std::printf("picture not there:      %8.2f ms  found=%d (a look while the wait goes on)\n", nowhere * 1000, any);

    ScreenPoint cv;
    double cvSeconds = 0;
    if (openCvSeconds(desktop, picture, cv, cvSeconds)) {
        std::printf("OpenCV matchTemplate:   %8.2f ms  at (%d, %d)  ratio %.1fx\n", cvSeconds * 1000, cv.x, cv.y,
                    cvSeconds / ours);
    }
    if (full) {
        const double start = cpuSeconds();
        ScreenPoint plain;
        const bool plainAny = findPictureByFullComparison(desktop.view(), picture.view(), 24, plain);
        const double plainSeconds = secondsSince(start);
        std::printf("full comparison:        %8.2f ms  found=%d at (%d, %d)  ratio %.1fx\n", plainSeconds * 1000,
                    plainAny, plain.x, plain.y, plainSeconds / ours);
    }

    // Flat colours. The background colour fills much of the screen: the first place wholly of it.
    PixelBuffer flat;
    flat.width = flat.height = 48;
    flat.pixels.assign(48 * 48, 0x3A6EA5);
    double seconds = searchSeconds(desktop, flat, 24, 5, found, any);
    std::printf("flat, background:       %8.2f ms  found=%d at (%d, %d)\n", seconds * 1000, any, found.x, found.y);
    // The page's white, which the windows have everywhere but text breaks up.
    flat.pixels.assign(48 * 48, 0xFFFFFF);
    seconds = searchSeconds(desktop, flat, 0, 5, found, any);
    std::printf("flat, page white:       %8.2f ms  found=%d at (%d, %d)\n", seconds * 1000, any, found.x, found.y);
    // A screen where every place nearly matches a flat picture: a 1-pixel grid every 40 pixels
    // (no 48 x 48 patch without a line), the picture one colour, then with one pixel of the grid's.
    PixelBuffer grid;
    grid.width = kWidth;
    grid.height = kHeight;
    grid.pixels.assign(static_cast<size_t>(kWidth) * kHeight, 0xFFFFFF);
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            if (x % 40 == 0 || y % 40 == 0) {
                grid.pixels[static_cast<size_t>(y) * kWidth + x] = 0xD0D0D0;
            }
        }
    }
    seconds = searchSeconds(grid, flat, 0, 3, found, any);
    std::printf("flat on a grid:         %8.2f ms  found=%d (worst case, one colour)\n", seconds * 1000, any);
    flat.pixels[47 * 48 + 47] = 0xD0D0D0;
    seconds = searchSeconds(grid, flat, 0, 1, found, any);
    std::printf("nearly flat on a grid:  %8.2f ms  found=%d (worst case, two colours)\n", seconds * 1000, any);
    return 0;
}
