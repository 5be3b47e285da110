// The user's settings in the window: the settings dialog from the system menu, the texts that
// name the hotkeys, and a playback stopped because the user took over the mouse.
#include "ui/main_window.h"

#include "base/message_box.h"
#include "base/text_encoding.h"
#include "ui/control_ids.h"
#include "ui/settings_dialog.h"

void MainWindow::useSettings(const UserSettings& settings)
{
    settings_ = settings;
    setHotkeyNames(utf8ToWide(chordText(settings_.record)), utf8ToWide(chordText(settings_.stop)));
}

void MainWindow::setHotkeyNames(const std::wstring& recordKey, const std::wstring& stopKey)
{
    const bool readyShown = window_ != nullptr && controlText(IDC_STATUS, 128) == readyStatusText(currentFacts());
    recordKeyName_ = recordKey;
    stopKeyName_ = stopKey;
    if (readyShown) {
        setStatus(readyStatusText(currentFacts()));
    }
    refreshControls();
}

void MainWindow::settingsCommand()
{
    if (!mayRun(WindowCommand::ChangeSettings)) {
        ShowMessageBox(window_, L"录制 / 回放进行中，请先停止后再更改设置。", L"设置", MB_OK | MB_ICONINFORMATION);
        return;
    }
    UserSettings chosen = settings_;
    if (RunSettingsDialog(window_, chosen, recorder_) && window_ != nullptr) {
        useSettings(chosen);
    }
}

void MainWindow::onUserTakeover()
{
    if (currentActivity() != Activity::Playing) {
        return;
    }
    stoppedByTakeover_ = true;
    player_.stopPlayback();
    setStatus(L"⏹ 检测到人工操作，已停止回放");
    refreshControls();
}
