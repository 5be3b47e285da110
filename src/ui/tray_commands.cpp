// The notification-area icon in the window: fed from the window's state after every change, its
// menu's commands, a click that brings the window back, and the window that leaves the taskbar
// when minimised.
#include "ui/main_window.h"

#include <windowsx.h>

#include "ui/control_ids.h"

TrayProgress MainWindow::trayProgress() const
{
    const PlaybackProgress& progress = player_.progress();
    TrayProgress shown;
    shown.pass = progress.pass.load();
    shown.limit = progress.limit.load();
    shown.step = progress.step.load();
    shown.steps = progress.steps.load();
    return shown;
}

void MainWindow::refreshTray()
{
    if (window_ == nullptr) {
        return;
    }
    if (!settings_.trayIcon) {
        tray_.remove();
    } else {
        const TrayLook look = deriveTrayLook(currentFacts(), controlText(IDC_STATUS, 255), trayProgress(), unattended_);
        if (tray_.shown()) {
            tray_.update(look, dpi_);
        } else if (!trayRefused_) {
            // A shell without a notification area refuses; asked again when a taskbar appears.
            trayRefused_ = !tray_.show(window_, look, dpi_);
        }
    }
    // While a playback runs the tooltip's pass and step are looked at four times a second.
    const bool timer = tray_.shown() && currentActivity() == Activity::Playing;
    if (timer != trayTimer_) {
        trayTimer_ = timer;
        if (timer) {
            SetTimer(window_, kTrayTooltipTimerId, static_cast<UINT>(kTrayTooltipIntervalMs), nullptr);
        } else {
            KillTimer(window_, kTrayTooltipTimerId);
        }
    }
}

bool MainWindow::onTimer(WPARAM id)
{
    if (id != kTrayTooltipTimerId) {
        return false;
    }
    refreshTray();
    return true;
}

void MainWindow::onTrayIcon(WPARAM anchor, LPARAM event)
{
    switch (LOWORD(event)) {
    case WM_CONTEXTMENU: {
        const std::optional<TrayCommand> chosen = tray_.runMenu(GET_X_LPARAM(anchor), GET_Y_LPARAM(anchor));
        if (chosen) {
            runTrayCommand(*chosen);
        }
        break;
    }
    case NIN_SELECT:
    case NIN_KEYSELECT:
    case WM_LBUTTONUP: showFromTray(); break;
    default: break;
    }
}

void MainWindow::runTrayCommand(TrayCommand command)
{
    // The state may have moved while the menu was open: each command asks again.
    switch (command) {
    case TrayCommand::Record:
        if (mayRunNow(WindowCommand::StartRecording)) {
            startRecordingCommand();
        }
        break;
    case TrayCommand::StopRecording:
        if (mayRun(WindowCommand::StopRecording)) {
            stopRecordingCommand();
        }
        break;
    case TrayCommand::Play:
        if (mayRunNow(WindowCommand::StartPlayback)) {
            startPlaybackCommand();
        }
        break;
    case TrayCommand::Pause: pauseCommand(true); break;
    case TrayCommand::Resume: pauseCommand(false); break;
    case TrayCommand::StopPlayback:
        if (mayRun(WindowCommand::StopPlayback)) {
            stopPlaybackCommand();
        }
        break;
    case TrayCommand::Library: libraryCommand(); break;
    case TrayCommand::ShowWindow: showFromTray(); break;
    case TrayCommand::Exit: PostMessageW(window_, WM_CLOSE, 0, 0); break;
    case TrayCommand::Separator: break;
    }
    refreshControls();
}

void MainWindow::showFromTray()
{
    ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(window_);
}

void MainWindow::onTaskbarCreated()
{
    trayRefused_ = false;
    tray_.addAgain(dpi_);
    refreshTray();
}

void MainWindow::onMinimized()
{
    if (settings_.minimizeToTray && tray_.shown()) {
        ShowWindow(window_, SW_HIDE);
    }
}
