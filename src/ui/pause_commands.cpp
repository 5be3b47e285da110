// Pausing and resuming a playback (the pause key, the system menu, the notification-area menu)
// and the countdown between passes.
#include "ui/main_window.h"

#include "ui/control_ids.h"

void MainWindow::onPauseHotkey()
{
    // The hook posts the key only while a playback runs; it may have ended since.
    if (mayRunNow(WindowCommand::PausePlayback)) {
        pauseCommand(true);
    } else if (mayRunNow(WindowCommand::ResumePlayback)) {
        pauseCommand(false);
    }
}

bool MainWindow::mayRunNow(WindowCommand command) const
{
    return isCommandAllowed(currentFacts(), command);
}

void MainWindow::pauseCommand(bool pause)
{
    if (!mayRunNow(pause ? WindowCommand::PausePlayback : WindowCommand::ResumePlayback) ||
        !player_.pausePlayback(pause)) {
        return;
    }
    if (pause) {
        statusBeforePause_ = controlText(IDC_STATUS, 255);
        setStatus(pausedStatusText(currentFacts()));
    } else {
        // Back to what the playback said before (its pass, a wait or a countdown, which goes on).
        setStatus(statusBeforePause_);
        statusBeforePause_.clear();
    }
    refreshControls();
}

void MainWindow::onPassGap(int nextPass, int seconds)
{
    if (currentActivity() != Activity::Playing || player_.isPaused()) {
        return;
    }
    setStatus(passGapStatusText(nextPass, seconds));
    refreshTray();
}

void MainWindow::refreshPauseMenuItem()
{
    HMENU systemMenu = GetSystemMenu(window_, FALSE);
    if (systemMenu == nullptr) {
        return;
    }
    const WindowFacts facts = currentFacts();
    const bool paused = isCommandAllowed(facts, WindowCommand::ResumePlayback);
    const bool enabled = paused || isCommandAllowed(facts, WindowCommand::PausePlayback);
    const wchar_t* text = paused ? L"继续回放" : L"暂停回放";
    wchar_t shown[32] = {};
    GetMenuStringW(systemMenu, IDM_PAUSE_PLAYBACK, shown, 32, MF_BYCOMMAND);
    if (std::wstring(shown) != text) {
        ModifyMenuW(systemMenu, IDM_PAUSE_PLAYBACK, MF_BYCOMMAND | MF_STRING, IDM_PAUSE_PLAYBACK, text);
    }
    EnableMenuItem(systemMenu, IDM_PAUSE_PLAYBACK, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}
