#include "player/screen_reader_win.h"

#include <cstring>

#include "base/top_window_win.h"
#include "player/png_codec_win.h"
#include "player/window_target.h"

namespace {

BOOL CALLBACK collectVisible(HWND window, LPARAM context)
{
    if (IsWindowVisible(window)) {
        reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    }
    return TRUE;
}

}  // namespace

ScreenReader::ScreenReader(const std::vector<WindowIdentity>& table) : table_(table), facts_(systemWindowFacts()) {}

ScreenSeam ScreenReader::seam(void (*waiting)(void* context, int32_t step), void* waitingContext)
{
    waiting_ = waiting;
    waitingContext_ = waitingContext;
    ScreenSeam seam;
    seam.context = this;
    seam.capture = [](void* context, const ScreenRect& area, PixelBuffer& pixels) {
        return static_cast<ScreenReader*>(context)->capture(area, pixels);
    };
    seam.virtualScreen = [](void*) {
        const int32_t left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int32_t top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        return rectAt(left, top, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    };
    seam.windowPresence = [](void* context, int32_t index) {
        return static_cast<ScreenReader*>(context)->presence(index);
    };
    seam.clientArea = [](void* context, int32_t index, ScreenRect& area, int32_t& dpi) {
        return static_cast<ScreenReader*>(context)->clientArea(index, area, dpi);
    };
    seam.decodePng = [](void*, const std::string& png, PixelBuffer& pixels) { return decodePngPicture(png, pixels); };
    seam.waiting = [](void* context, int32_t step) {
        auto* reader = static_cast<ScreenReader*>(context);
        if (reader->waiting_ != nullptr) {
            reader->waiting_(reader->waitingContext_, step);
        }
    };
    return seam;
}

bool ScreenReader::capture(const ScreenRect& area, PixelBuffer& pixels)
{
    if (area.empty() || area.width() > 0x4000 || area.height() > 0x4000) {
        return false;
    }
    const auto width = static_cast<int32_t>(area.width());
    const auto height = static_cast<int32_t>(area.height());
    WindowDc screen(nullptr);
    if (screen.get() == nullptr) {
        return false;
    }
    if (!bitmap_ || width != bitmapWidth_ || height != bitmapHeight_) {
        bitmap_.reset();
        dc_.reset(CreateCompatibleDC(screen.get()));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bits_ = nullptr;
        bitmap_.reset(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        if (!dc_ || !bitmap_ || bits_ == nullptr) {
            bitmap_.reset();
            return false;
        }
        bitmapWidth_ = width;
        bitmapHeight_ = height;
    }
    {
        SelectedObject selected(dc_.get(), bitmap_.get());
        if (!BitBlt(dc_.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY)) {
            return false;
        }
    }
    GdiFlush();
    pixels.width = width;
    pixels.height = height;
    pixels.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    std::memcpy(pixels.pixels.data(), bits_, pixels.pixels.size() * 4);
    return true;
}

std::vector<HWND> ScreenReader::programWindows(int32_t index)
{
    std::vector<HWND> found;
    if (index < 0 || static_cast<size_t>(index) >= table_.size()) {
        return found;
    }
    const WindowIdentity& wanted = table_[static_cast<size_t>(index)];
    std::vector<HWND> all;
    EnumWindows(collectVisible, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        const uint32_t processId = windowProcessId(window);
        const auto key = reinterpret_cast<uintptr_t>(window);
        // The class first: it rules out most windows without opening their processes.
        if (processId != 0 && facts_.windowClass(key, processId) == wanted.windowClass &&
            sameProgram(wanted, wanted.exe.empty() ? std::string() : facts_.exeName(key, processId),
                        wanted.windowClass)) {
            found.push_back(window);
        }
    }
    return found;
}

WindowPresence ScreenReader::presence(int32_t index)
{
    const std::vector<HWND> windows = programWindows(index);
    if (windows.empty()) {
        return WindowPresence::Missing;
    }
    // A window of the program with another title is another document: it does not count.
    const std::string& title = table_[static_cast<size_t>(index)].title;
    HWND front = topLevelWindowOf(GetForegroundWindow());
    WindowPresence presence = WindowPresence::Missing;
    for (HWND window : windows) {
        if (!title.empty() && windowTitleUtf8(window) != title) {
            continue;
        }
        if (window == front) {
            return WindowPresence::Front;
        }
        presence = WindowPresence::Shown;
    }
    return presence;
}

bool ScreenReader::clientArea(int32_t index, ScreenRect& area, int32_t& dpi)
{
    const std::vector<HWND> windows = programWindows(index);
    if (windows.empty()) {
        return false;
    }
    std::vector<WindowCandidate> candidates;
    for (HWND window : windows) {
        WindowCandidate candidate;
        candidate.title = windowTitleUtf8(window);
        candidate.minimised = IsIconic(window) != FALSE;
        candidates.push_back(candidate);
    }
    const WindowChoice choice = chooseWindow(table_[static_cast<size_t>(index)], candidates);
    if (choice.use < 0) {
        return false;  // none, or only minimised ones, whose client areas show nothing
    }
    HWND window = windows[static_cast<size_t>(choice.use)];
    POINT origin{};
    RECT client{};
    const uint32_t processId = windowProcessId(window);
    if (processId == 0 || !clientOriginOf(window, origin) || !GetClientRect(window, &client)) {
        return false;
    }
    area = rectAt(origin.x, origin.y, client.right - client.left, client.bottom - client.top);
    dpi = facts_.monitorDpi(reinterpret_cast<uintptr_t>(window), processId, origin.x, origin.y);
    return true;
}
