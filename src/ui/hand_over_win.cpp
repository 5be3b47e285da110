#include "ui/hand_over_win.h"

HandOverSeam handOverSeam = {&ChangeWindowMessageFilterEx, &AllowSetForegroundWindow, &SetForegroundWindow};

bool acceptHandOvers(HWND window)
{
    return handOverSeam.changeWindowMessageFilterEx(window, WM_COPYDATA, MSGFLT_ALLOW, nullptr) != FALSE;
}

void bringToFront(HWND window)
{
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    }
    // The last active popup is the modal box or dialog the window shows, or the window itself.
    HWND front = GetLastActivePopup(window);
    if (front == nullptr || !IsWindowVisible(front)) {
        front = window;
    }
    handOverSeam.setForegroundWindow(front);
}

bool readHandOver(LPARAM copyData, HandOverRequest& request)
{
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(copyData);
    if (data == nullptr) {
        return false;
    }
    return decodeHandOver(static_cast<uint64_t>(data->dwData), data->lpData, data->cbData, request);
}
