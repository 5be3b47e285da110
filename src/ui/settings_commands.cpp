// The user's settings in the window: the settings dialog from the system menu, putting the chosen
// settings to work (the recorder's hotkeys and takeover watch, the texts that name the hotkeys),
// and a playback stopped because the user took over the mouse.
#include "ui/main_window.h"

#include <optional>

#include "base/message_box.h"
#include "base/text_encoding.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "settings/apply_settings.h"
#include "settings/user_settings_file.h"
#include "ui/control_ids.h"
#include "ui/settings_dialog.h"

void MainWindow::useSettings(const UserSettings& settings)
{
    settings_ = settings;
    applyUserSettings(recorder_, settings_);
    pauseKeyName_ = utf8ToWide(chordText(settings_.pause));
    applyLibrary();  // an entry's key may clash with a new hotkey
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
        showMessageBox(window_, L"录制 / 回放进行中，请先停止后再更改设置。", L"设置", MB_OK | MB_ICONINFORMATION);
        return;
    }
    SettingsDialogCalls calls;
    calls.save = &saveUserSettings;
    Recorder& recorder = recorder_;
    calls.pauseHotkeys = [&recorder](bool paused) { recorder.pauseHotkeys(paused); };
    const std::optional<UserSettings> chosen = runSettingsDialog(window_, settings_, calls);
    if (chosen && window_ != nullptr) {
        useSettings(*chosen);
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
