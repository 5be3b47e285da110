#include "recorder/window_capture_win.h"

#include "base/top_window_win.h"

WindowCapture::WindowCapture() : facts_(systemWindowFacts()) {}

void WindowCapture::identify(HWND topLevel, uint32_t processId, WindowIdentity& identity)
{
    const auto key = reinterpret_cast<uintptr_t>(topLevel);
    identity.exe = processId != 0 ? facts_.exeName(key, processId) : std::string();
    identity.windowClass = facts_.windowClass(key, processId);
    identity.title = windowTitleUtf8(topLevel);
}

bool WindowCapture::atPoint(HWND windowAtPoint, POINT point, WindowIdentity& identity, EventWindow& window)
{
    HWND topLevel = topLevelWindowOf(windowAtPoint);
    POINT origin{};
    if (topLevel == nullptr || !clientOriginOf(topLevel, origin)) {
        return false;
    }
    const uint32_t processId = windowProcessId(topLevel);
    identify(topLevel, processId, identity);
    window.x = point.x - origin.x;
    window.y = point.y - origin.y;
    window.dpi = facts_.monitorDpi(reinterpret_cast<uintptr_t>(topLevel), processId, origin.x, origin.y);
    return true;
}

bool WindowCapture::inFront(HWND foreground, WindowIdentity& identity)
{
    HWND topLevel = topLevelWindowOf(foreground);
    if (topLevel == nullptr) {
        return false;
    }
    identify(topLevel, windowProcessId(topLevel), identity);
    return true;
}

WindowCaptureSeam windowCaptureSeam = {
    [](WindowCapture& capture, HWND windowAtPoint, POINT point, WindowIdentity& identity, EventWindow& window) {
        return capture.atPoint(windowAtPoint, point, identity, window);
    },
    [](WindowCapture& capture, HWND foreground, WindowIdentity& identity) {
        return capture.inFront(foreground, identity);
    },
};
