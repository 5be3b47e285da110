// Save, Load and Clear.
#include "ui/main_window.h"

#include <cwchar>

#include "base/message_box.h"
#include "base/text_encoding.h"
#include "script/event_description.h"
#include "script/script_file.h"
#include "ui/control_ids.h"
#include "ui/file_dialog.h"

bool MainWindow::saveScriptCommand()
{
    // A copy: the dialogs below let hotkeys through, and a recording may replace the script.
    const std::vector<MacroEvent> events = document_.events();
    const std::vector<WindowIdentity> windows = document_.windows();
    if (events.empty()) {
        showMessageBox(window_, L"无事件", L"提示", MB_OK | MB_ICONINFORMATION);
        return false;
    }
    const uint64_t savedGeneration = document_.generation();
    // Recovered events are proposed back to the file they came from.
    std::wstring path = document_.isRecovered() ? utf8ToWide(document_.sourceFile()) : std::wstring();
    if (!chooseScriptPathSeam(window_, ScriptDialog::Save, path)) {
        return false;
    }
    std::wstring error;
    if (!saveScript(path, events, windows, error)) {
        showMessageBox(window_, (L"保存失败: " + error).c_str(), L"错误", MB_OK | MB_ICONERROR);
        return false;
    }
    // The copy taken before the dialog is what was written. When the script changed while the
    // dialog was open (a recording started with a hotkey, say), the script now shown is not the
    // one saved, and it stays unsaved.
    const bool sameScript = document_.markSaved(savedGeneration);
    if (sameScript) {
        document_.setSourceFile(wideToUtf8(path));
    }
    showMessageBox(window_, L"已保存", L"提示", MB_OK | MB_ICONINFORMATION);
    if (sameScript && currentActivity() == Activity::Idle) {
        setStatus(L"已保存脚本");
    }
    return true;
}

void MainWindow::loadScriptCommand()
{
    if (!mayRun(WindowCommand::Load)) {
        return;
    }
    std::wstring path;
    if (!chooseScriptPathSeam(window_, ScriptDialog::Open, path)) {
        return;
    }
    if (!mayRun(WindowCommand::Load)) {
        // A hotkey started a recording or a playback while the dialog was open: replacing its
        // events now would mix the two.
        showMessageBox(window_, L"录制 / 回放进行中，已取消加载。", L"提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!confirmReplacingUnsaved()) {
        return;
    }
    if (!mayRun(WindowCommand::Load)) {
        showMessageBox(window_, L"录制 / 回放进行中，已取消加载。", L"提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    beginLoad(path, LoadOrigin::LoadCommand, 1);
}

void MainWindow::clearScriptCommand()
{
    if (!mayRun(WindowCommand::Clear) || document_.empty()) {
        return;
    }
    if (showMessageBox(window_, L"清空所有事件？", L"确认", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    if (!mayRun(WindowCommand::Clear)) {
        return;  // a recording or a playback started while the question was open
    }
    showNewScript(ScriptContents{}, false);
    setStatus(L"已清空");
    refreshControls();
}

void MainWindow::showNewScript(ScriptContents&& contents, bool scrollToEnd)
{
    document_.replace(std::move(contents));
    showScriptRows(scrollToEnd);
}

void MainWindow::showScriptRows(bool scrollToEnd)
{
    eventList_.showRows(document_.eventCount(), scrollToEnd);
    updateEventCount();
}

void MainWindow::showEventRows()
{
    eventList_.showRows(document_.eventCount(), true);
}
