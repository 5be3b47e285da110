// The update from the main window: after the downloaded build has started as the session's
// window, this one closes, so that one recorder answers the hotkeys.
#include "ui/main_window.h"

#include "update/update_check.h"

void MainWindow::updateCommand()
{
    UpdateLeave leave;
    leave.mayClose = &MainWindow::mayCloseForUpdate;
    leave.context = this;
    if (checkForUpdates(window_, &leave) == UpdateEnd::NewBuildRunning && IsWindow(window_)) {
        closeNow();
    }
}

bool MainWindow::mayCloseForUpdate(void* context, HWND boxOwner)
{
    auto& self = *static_cast<MainWindow*>(context);
    // The system menu runs the check during a recording or a playback as well: what was recorded
    // joins the script before the question, and nothing plays on into the closing.
    if (self.recorder_.isRecording()) {
        self.stopRecordingCommand();
    }
    if (self.player_.isPlaying()) {
        self.stopPlaybackCommand();
    }
    return self.confirmClosing(boxOwner);
}
