#include "base/system_dpi.h"

#include "base/dpi_scaling.h"
#include "base/win_owners.h"

int screenDpi()
{
    const WindowDc screen(nullptr);
    return saneDpi(screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96);
}

int windowDpi(HWND window)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = systemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (window != nullptr && dpiForWindow != nullptr) {
        return saneDpi(static_cast<int>(dpiForWindow(window)));
    }
    return screenDpi();
}
