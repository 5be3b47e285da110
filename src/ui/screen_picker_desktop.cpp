#include "ui/screen_picker_desktop.h"

#include "base/system_dpi.h"
#include "base/top_window_win.h"

namespace {

// How long the desktop has to redraw where the hidden windows were before the picture is taken.
constexpr DWORD kRedrawMilliseconds = 150;
constexpr INT_PTR kPerMonitorAwareV2 = -4;  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2

// dwmapi.dll is not loaded by the program otherwise; loaded once and kept for the process.
HMODULE dwmModule()
{
    static const HMODULE module = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module;
}

template <typename Fn>
Fn dwmFunction(const char* name)
{
    const HMODULE module = dwmModule();
    return module != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

using DwmGetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
using DwmSetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, const void*, DWORD);
using DwmFlushFn = HRESULT(WINAPI*)();
constexpr DWORD kDwmTransitionsForceDisabled = 3;  // DWMWA_TRANSITIONS_FORCEDISABLED
constexpr DWORD kDwmCloaked = 14;                  // DWMWA_CLOAKED

using SetThreadDpiAwarenessContextFn = HANDLE(WINAPI*)(HANDLE);

SetThreadDpiAwarenessContextFn setThreadDpiContext()
{
    static const auto function =
        systemFunction<SetThreadDpiAwarenessContextFn>(L"user32.dll", "SetThreadDpiAwarenessContext");
    return function;
}

void disableTransitions(HWND window, BOOL disabled)
{
    static const auto setAttribute = dwmFunction<DwmSetWindowAttributeFn>("DwmSetWindowAttribute");
    if (setAttribute != nullptr) {
        setAttribute(window, kDwmTransitionsForceDisabled, &disabled, sizeof disabled);
    }
}

// Gives the windows uncovered by the hidden ones time to paint (ours among them: only paint and
// sent messages are handled here, no input).
void letTheDesktopRedraw()
{
    const ULONGLONG end = GetTickCount64() + kRedrawMilliseconds;
    MSG message;
    do {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_PAINT | QS_SENDMESSAGE);
    } while (GetTickCount64() < end);
    if (const auto flush = dwmFunction<DwmFlushFn>("DwmFlush")) {
        flush();
    }
}

HBITMAP makeScreenBitmap(const PickerRect& screen, void*& bits)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = screen.width();
    info.bmiHeader.biHeight = -screen.height();  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

bool isCloaked(HWND window)
{
    static const auto getAttribute = dwmFunction<DwmGetWindowAttributeFn>("DwmGetWindowAttribute");
    DWORD cloaked = 0;
    return getAttribute != nullptr && SUCCEEDED(getAttribute(window, kDwmCloaked, &cloaked, sizeof cloaked)) &&
           cloaked != 0;
}

}  // namespace

PickerRect virtualScreen()
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return PickerRect{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

PerMonitorDpiScope::PerMonitorDpiScope()
{
    if (const auto setContext = setThreadDpiContext()) {
        previous_ = setContext(reinterpret_cast<HANDLE>(kPerMonitorAwareV2));
    }
}

PerMonitorDpiScope::~PerMonitorDpiScope()
{
    if (previous_ != nullptr) {
        setThreadDpiContext()(previous_);
    }
}

HiddenOwners::HiddenOwners(HWND owner) : owner_(owner)
{
    for (HWND window = owner; window != nullptr; window = GetWindow(window, GW_OWNER)) {
        if (IsWindowVisible(window)) {
            disableTransitions(window, TRUE);
            ShowWindow(window, SW_HIDE);
            hidden_.push_back(window);
        }
    }
    if (!hidden_.empty()) {
        letTheDesktopRedraw();
    }
}

HiddenOwners::~HiddenOwners()
{
    // The outermost first, so that each owned window comes back above its owner.
    for (auto it = hidden_.rbegin(); it != hidden_.rend(); ++it) {
        if (IsWindow(*it)) {
            ShowWindow(*it, SW_SHOWNA);
            disableTransitions(*it, FALSE);
        }
    }
    if (owner_ != nullptr && IsWindow(owner_)) {
        SetForegroundWindow(owner_);
    }
}

FrozenScreen::FrozenScreen(const PickerRect& screen)
    : screen_(screen), bitmap_(makeScreenBitmap(screen, bits_)), dc_(CreateCompatibleDC(nullptr)),
      selected_(dc_.get(), bitmap_.get())
{
    if (!bitmap_ || !dc_) {
        return;
    }
    const WindowDc desktop(nullptr);
    // CAPTUREBLT: layered windows (tooltips, translucent windows) are part of what is seen.
    taken_ = desktop.get() != nullptr && BitBlt(dc_.get(), 0, 0, screen.width(), screen.height(), desktop.get(),
                                                screen.left, screen.top, SRCCOPY | CAPTUREBLT) != FALSE;
    GdiFlush();
}

uint32_t FrozenScreen::rgbAt(PickerPoint point) const
{
    if (!screen_.contains(point) || bits_ == nullptr) {
        return 0;
    }
    const size_t index = static_cast<size_t>(point.y - screen_.top) * static_cast<size_t>(screen_.width()) +
                         static_cast<size_t>(point.x - screen_.left);
    return static_cast<const uint32_t*>(bits_)[index] & 0xFFFFFF;  // the DIB's B, G, R bytes
}

HWND topLevelWindowAt(POINT point)
{
    const DWORD ownProcess = GetCurrentProcessId();
    for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
        if (!IsWindowVisible(window) || IsIconic(window) || windowProcessId(window) == ownProcess) {
            continue;
        }
        const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
        if ((exStyle & WS_EX_TRANSPARENT) != 0 && (exStyle & WS_EX_LAYERED) != 0) {
            continue;  // click-through
        }
        RECT bounds;
        if (!GetWindowRect(window, &bounds) || !PtInRect(&bounds, point) || isCloaked(window)) {
            continue;
        }
        const RegionHandle region(CreateRectRgn(0, 0, 0, 0));
        if (region && GetWindowRgn(window, region.get()) != ERROR &&
            !PtInRegion(region.get(), point.x - bounds.left, point.y - bounds.top)) {
            continue;  // outside its shape
        }
        return window;
    }
    return nullptr;
}
