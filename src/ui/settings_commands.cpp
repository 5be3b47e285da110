// The user's settings in the window: the settings dialog from the system menu, the texts that
// name the hotkeys, and a playback stopped because the user took over the mouse.
#include "ui/main_window.h"

#include "base/message_box.h"
#include "base/text_encoding.h"
#include "player/player.h"
#include "ui/control_ids.h"
#include "ui/settings_dialog.h"

void MainWindow::UseSettings(const UserSettings& settings)
{
    settings_ = settings;
    SetHotkeyNames(utf8ToWide(chordText(settings_.record)), utf8ToWide(chordText(settings_.stop)));
}

void MainWindow::SetHotkeyNames(const std::wstring& recordKey, const std::wstring& stopKey)
{
    const bool readyShown = window_ != nullptr && ControlText(IDC_STATUS, 128) == readyStatusText(CurrentFacts());
    recordKeyName_ = recordKey;
    stopKeyName_ = stopKey;
    if (readyShown) {
        SetStatus(readyStatusText(CurrentFacts()));
    }
    RefreshControls();
}

void MainWindow::SettingsCommand()
{
    if (!MayRun(WindowCommand::ChangeSettings)) {
        showMessageBox(window_, L"录制 / 回放进行中，请先停止后再更改设置。", L"设置", MB_OK | MB_ICONINFORMATION);
        return;
    }
    UserSettings chosen = settings_;
    if (RunSettingsDialog(window_, chosen) && window_ != nullptr) {
        UseSettings(chosen);
    }
}

void MainWindow::OnUserTakeover()
{
    if (CurrentActivity() != Activity::Playing) {
        return;
    }
    stoppedByTakeover_ = true;
    thePlayer().stopPlayback();
    SetStatus(L"⏹ 检测到人工操作，已停止回放");
    RefreshControls();
}
