#include "update/update_dialog.h"

#include <commctrl.h>

#include "base/fonts.h"
#include "base/system_dpi.h"
#include "update/update_layout.h"

namespace {

void registerDialogClass(const wchar_t* className)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW existing{};
    if (GetClassInfoW(instance, className, &existing)) {
        return;
    }
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&controls);

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &DefDlgProcW;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hIcon =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(101), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
}

UpdateRect asUpdateRect(const RECT& r)
{
    return UpdateRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

UpdateRect workAreaFor(HWND owner)
{
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    const HMONITOR handle = owner != nullptr ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                                             : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (handle != nullptr && GetMonitorInfoW(handle, &monitor)) {
        area = monitor.rcWork;
    }
    return asUpdateRect(area);
}

// Controls without an id are found by their place among the children, which follows the template.
void placeControls(HWND dialog, const DialogTemplate& layout, int dpi, HFONT font)
{
    size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr && index < layout.itemCount();
         child = GetWindow(child, GW_HWNDNEXT), ++index) {
        const UpdateRect r = scaleUpdateRect(asUpdateRect(layout.itemRect(index)), dpi);
        SetWindowPos(child, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

// The windows lay themselves out at every DPI; the dialog manager's own rescaling (Windows 10
// and later, per-monitor aware) would move the controls a second time.
void keepDialogManagerFromRescaling(HWND dialog)
{
    using DialogBehaviourFn = BOOL(WINAPI*)(HWND, int, int);
    const auto setBehaviour = systemFunction<DialogBehaviourFn>(L"user32.dll", "SetDialogDpiChangeBehavior");
    if (setBehaviour != nullptr) {
        constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
        setBehaviour(dialog, kDisableAll, kDisableAll);
    }
}

}  // namespace

DialogTemplate updateDialogTemplate(const wchar_t* className, const wchar_t* title)
{
    registerDialogClass(className);
    return DialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, title, kTextPoints, kTextFace, className);
}

void placeUpdateDialog(HWND dialog, HWND owner, const DialogTemplate& layout, int width, int height, int dpi,
                       FontHandle& font)
{
    keepDialogManagerFromRescaling(dialog);
    const UpdateRect area = workAreaFor(owner);
    const int scaledWidth = scaleForDpi(width, dpi);
    const int scaledHeight = scaleForDpi(height, dpi);
    RECT ownerRect = {};
    const UpdateRect placed = owner != nullptr && GetWindowRect(owner, &ownerRect)
                                  ? centeredOn(asUpdateRect(ownerRect), scaledWidth, scaledHeight, area)
                                  : centeredOn(area, scaledWidth, scaledHeight, area);
    SetWindowPos(dialog, nullptr, placed.x, placed.y, placed.width, placed.height, SWP_NOZORDER | SWP_NOACTIVATE);
    font = makeFont(kTextFace, kTextPoints, FW_NORMAL, dpi);
    placeControls(dialog, layout, dpi, font.get());
}

void moveUpdateDialogToDpi(HWND dialog, const DialogTemplate& layout, int dpi, const RECT& suggested, FontHandle& font)
{
    FontHandle scaled = makeFont(kTextFace, kTextPoints, FW_NORMAL, dpi);
    SetWindowPos(dialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    placeControls(dialog, layout, dpi, scaled.get());
    // The controls use the new font now; the old one can go.
    font = std::move(scaled);
    InvalidateRect(dialog, nullptr, TRUE);
}
