#include "recorder/window_capture_win.h"

#include "base/top_window_win.h"

WindowCapture::WindowCapture() : exeNames_(processExeName) {}

void WindowCapture::identify(HWND topLevel, WindowIdentity& identity)
{
    identity.exe = windowExeName(exeNames_, topLevel);
    identity.windowClass = windowClassUtf8(topLevel);
    identity.title = windowTitleUtf8(topLevel);
}

bool WindowCapture::atPoint(HWND windowAtPoint, POINT point, WindowIdentity& identity, EventWindow& window)
{
    HWND topLevel = topLevelWindowOf(windowAtPoint);
    POINT origin{};
    if (topLevel == nullptr || !clientOriginOf(topLevel, origin)) {
        return false;
    }
    identify(topLevel, identity);
    window.x = point.x - origin.x;
    window.y = point.y - origin.y;
    window.dpi = monitorDpiOf(topLevel);
    return true;
}

bool WindowCapture::inFront(HWND foreground, WindowIdentity& identity)
{
    HWND topLevel = topLevelWindowOf(foreground);
    if (topLevel == nullptr) {
        return false;
    }
    identify(topLevel, identity);
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
