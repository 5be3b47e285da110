#include "base/system_dpi.h"

#include "base/dpi_scaling.h"
#include "base/win_owners.h"

int ScreenDpi()
{
    const WindowDc screen(nullptr);
    return SaneDpi(screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96);
}

int WindowDpi(HWND window)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = SystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (window != nullptr && dpiForWindow != nullptr) {
        return SaneDpi(static_cast<int>(dpiForWindow(window)));
    }
    return ScreenDpi();
}
