#include "player/window_finder_win.h"

#include <string>

#include "base/text_encoding.h"
#include "base/top_window_win.h"

namespace {

// How long a window may take to answer WM_NULL before it counts as not responding for now; a
// wait asks again at its next look.
constexpr UINT kRespondMilliseconds = 100;

HWND handleOf(uintptr_t window)
{
    return reinterpret_cast<HWND>(window);
}

std::string lowerFileName(const std::string& name)
{
    std::wstring wide = utf8ToWide(name);
    if (!wide.empty()) {
        CharLowerBuffW(&wide[0], static_cast<DWORD>(wide.size()));  // as processExeName lowers the system's
    }
    return wideToUtf8(wide);
}

std::vector<WindowIdentity> withLowerExeNames(std::vector<WindowIdentity> table)
{
    for (WindowIdentity& identity : table) {
        identity.exe = lowerFileName(identity.exe);
    }
    return table;
}

bool respondsNow(HWND window)
{
    if (IsHungAppWindow(window)) {
        return false;
    }
    DWORD_PTR result = 0;
    SetLastError(ERROR_SUCCESS);
    if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK | SMTO_ERRORONEXIT,
                            kRespondMilliseconds, &result) != 0) {
        return true;
    }
    // A window of a program with higher rights may refuse the message: that says nothing about it.
    const DWORD error = GetLastError();
    return error != ERROR_TIMEOUT && error != ERROR_SUCCESS && IsWindow(window);
}

}  // namespace

WindowFinder::WindowFinder(const std::vector<WindowIdentity>& table)
    : table_(withLowerExeNames(table)), facts_(systemWindowFacts()), targets_(table_, desktopSeam(this))
{}

DesktopSeam WindowFinder::desktopSeam(WindowFinder* finder)
{
    DesktopSeam seam;
    seam.context = finder;
    seam.topWindows = [](void*, const std::string& windowClass, std::vector<uintptr_t>& windows) {
        // FindWindowExW walks the top-level windows of the class topmost first, without asking
        // about every other window of the desktop.
        const std::wstring name = utf8ToWide(windowClass);
        HWND window = nullptr;
        while ((window = FindWindowExW(nullptr, window, name.c_str(), nullptr)) != nullptr) {
            if (IsWindowVisible(window)) {
                windows.push_back(reinterpret_cast<uintptr_t>(window));
            }
        }
    };
    seam.programOf = [](void* context, uintptr_t window, std::string& exe, std::string& windowClass) {
        WindowFactsCache& facts = static_cast<WindowFinder*>(context)->facts_;
        const uint32_t processId = windowProcessId(handleOf(window));
        if (processId == 0) {
            return false;  // gone
        }
        windowClass = facts.windowClass(window, processId);
        exe = facts.exeName(window, processId);
        return true;
    };
    seam.stateOf = [](void* context, uintptr_t window, WindowCandidate& state) {
        WindowFactsCache& facts = static_cast<WindowFinder*>(context)->facts_;
        const HWND handle = handleOf(window);
        const uint32_t processId = windowProcessId(handle);
        POINT origin{};
        RECT frame{};
        if (processId == 0 || !clientOriginOf(handle, origin) || !GetWindowRect(handle, &frame)) {
            return false;
        }
        state.title = windowTitleUtf8(handle);
        state.minimised = IsIconic(handle) != FALSE;
        state.place.originX = origin.x;
        state.place.originY = origin.y;
        state.place.dpi = facts.monitorDpi(window, processId, origin.x, origin.y);
        state.frame = ScreenRect{frame.left, frame.top, frame.right, frame.bottom};
        return true;
    };
    seam.foreground = [](void*) { return reinterpret_cast<uintptr_t>(topLevelWindowOf(GetForegroundWindow())); };
    seam.topLevelAt = [](void*, int32_t x, int32_t y) {
        return reinterpret_cast<uintptr_t>(topLevelWindowOf(WindowFromPoint(POINT{x, y})));
    };
    seam.onMonitor = [](void*, int32_t x, int32_t y) {
        return MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONULL) != nullptr;
    };
    seam.responding = [](void*, uintptr_t window) { return respondsNow(handleOf(window)); };
    seam.restore = [](void*, uintptr_t window) {
        ShowWindowAsync(handleOf(window), SW_RESTORE);  // asks; never waits on the window's program
    };
    seam.bringToFront = [](void*, uintptr_t window) {
        // Allowed while the playback sent the last input; else the system only flashes the
        // window's taskbar button, and the check that follows finds it still covered.
        SetForegroundWindow(handleOf(window));
    };
    return seam;
}
