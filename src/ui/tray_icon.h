#pragma once
// The icon in the notification area: added, changed and removed with Shell_NotifyIconW
// (NOTIFYICON_VERSION_4), its pictures drawn by the program for the icon size of the screen
// scale, its menu built from a TrayLook. It only shows what the window's state function hands it.

#include <cstdint>
#include <optional>
#include <string>
#include <windows.h>

#include "base/win_owners.h"
#include "ui/tray_look.h"

// The callback message of the icon; LOWORD(lParam) is what happened (NOTIFYICON_VERSION_4).
constexpr UINT WM_APP_TRAY_ICON = WM_APP + 362;
// The window's timer that refreshes the tooltip while a playback runs.
constexpr UINT_PTR kTrayTooltipTimerId = 36;

class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon() { remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Shows the look (adds the icon when it is not there); false when the shell refused.
    bool show(HWND owner, const TrayLook& look, int dpi);
    // Only when the look is due (isTrayUpdateDue): the window calls this as often as it likes.
    void update(const TrayLook& look, int dpi);
    // After Explorer restarted (TaskbarCreated): the icon is added again.
    void addAgain(int dpi);
    void remove();
    bool shown() const { return owner_ != nullptr; }

    // The menu at the cursor (or at the icon, from the keyboard); the command chosen, if any.
    std::optional<TrayCommand> runMenu(int x, int y) const;

    // The registered message Explorer broadcasts when the taskbar is made again.
    static UINT taskbarCreatedMessage();

private:
    bool notify(DWORD action, int dpi);

    HWND owner_ = nullptr;
    TrayLook look_;
    uint64_t lastUpdateMs_ = 0;
    IconHandle icon_;
    TrayState iconState_ = TrayState::Idle;
    int iconSize_ = 0;
};

// A balloon from the window's icon, if it shows one (a scheduled run that was refused).
void showTrayBalloon(HWND owner, const std::wstring& text);

// The crash path: removes the icon of the process, if one is shown, without touching the heap.
void removeTrayIconAfterCrash();
