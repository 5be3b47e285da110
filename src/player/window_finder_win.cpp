#include "player/window_finder_win.h"

#include "base/top_window_win.h"

namespace {

bool isShownWindow(HWND window)
{
    return window != nullptr && IsWindow(window) && IsWindowVisible(window) && !IsIconic(window);
}

struct Enumeration {
    std::vector<HWND> windows;
};

BOOL CALLBACK collectVisible(HWND window, LPARAM context)
{
    if (IsWindowVisible(window)) {
        reinterpret_cast<Enumeration*>(context)->windows.push_back(window);
    }
    return TRUE;
}

}  // namespace

WindowFinder::WindowFinder(const std::vector<WindowIdentity>& table)
    : table_(table), matched_(table.size(), nullptr), foreground_(table.size(), nullptr),
      restoring_(table.size(), nullptr), facts_(systemWindowFacts())
{}

bool WindowFinder::isProgramWindow(HWND window, const WindowIdentity& wanted)
{
    const uint32_t processId = windowProcessId(window);
    if (processId == 0) {
        return false;  // gone
    }
    const auto key = reinterpret_cast<uintptr_t>(window);
    // The class first: it rules out most windows without opening their processes.
    return facts_.windowClass(key, processId) == wanted.windowClass &&
           sameProgram(wanted, wanted.exe.empty() ? std::string() : facts_.exeName(key, processId), wanted.windowClass);
}

WindowLook WindowFinder::placeOf(HWND window, WindowPlace& place)
{
    POINT origin{};
    const uint32_t processId = windowProcessId(window);
    if (processId == 0 || !clientOriginOf(window, origin)) {
        return WindowLook::Missing;
    }
    place.originX = origin.x;
    place.originY = origin.y;
    place.dpi = facts_.monitorDpi(reinterpret_cast<uintptr_t>(window), processId, origin.x, origin.y);
    return WindowLook::Found;
}

WindowLook WindowFinder::look(int32_t index, WindowPlace& place)
{
    if (index < 0 || static_cast<size_t>(index) >= table_.size()) {
        return WindowLook::Missing;
    }
    const auto slot = static_cast<size_t>(index);
    if (isShownWindow(matched_[slot]) && placeOf(matched_[slot], place) == WindowLook::Found) {
        return WindowLook::Found;
    }
    matched_[slot] = nullptr;
    const WindowIdentity& wanted = table_[slot];
    // EnumWindows walks the top-level windows topmost first.
    Enumeration all;
    EnumWindows(collectVisible, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> windows;
    std::vector<WindowCandidate> candidates;
    for (HWND window : all.windows) {
        if (isProgramWindow(window, wanted)) {
            windows.push_back(window);
            candidates.push_back(WindowCandidate{windowTitleUtf8(window), IsIconic(window) != FALSE});
        }
    }
    const WindowChoice choice = chooseWindow(wanted, candidates);
    if (choice.use >= 0) {
        matched_[slot] = windows[static_cast<size_t>(choice.use)];
        restoring_[slot] = nullptr;
        return placeOf(matched_[slot], place);
    }
    if (choice.restore >= 0) {
        HWND window = windows[static_cast<size_t>(choice.restore)];
        if (restoring_[slot] != window) {
            restoring_[slot] = window;
            ShowWindowAsync(window, SW_RESTORE);  // asks; never waits on the window's program
        }
        return WindowLook::Restoring;
    }
    return WindowLook::Missing;
}

bool WindowFinder::isForeground(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= table_.size()) {
        return false;
    }
    const auto slot = static_cast<size_t>(index);
    HWND front = topLevelWindowOf(GetForegroundWindow());
    if (front == nullptr) {
        return false;
    }
    if (front == foreground_[slot] && IsWindow(front)) {
        return true;
    }
    if (!isProgramWindow(front, table_[slot])) {
        return false;
    }
    foreground_[slot] = front;
    return true;
}
