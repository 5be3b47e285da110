// Save, Load and Clear.
#include "ui/main_window.h"

#include <cwchar>

#include "base/message_box.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "script/event_description.h"
#include "script/script_file.h"
#include "ui/control_ids.h"
#include "ui/file_dialog.h"

bool MainWindow::SaveScriptCommand()
{
    std::vector<MacroEvent> events;
    theRecorder().copyEvents(events);
    if (events.empty()) {
        showMessageBox(window_, L"无事件", L"提示", MB_OK | MB_ICONINFORMATION);
        return false;
    }
    const uint64_t savedGeneration = scriptGeneration_;
    std::wstring path;
    if (!chooseScriptPath(window_, ScriptDialog::Save, path)) {
        return false;
    }
    std::wstring error;
    if (!saveScript(path, events, error)) {
        showMessageBox(window_, (L"保存失败: " + error).c_str(), L"错误", MB_OK | MB_ICONERROR);
        return false;
    }
    // The copy taken before the dialog is what was written. When the script changed while the
    // dialog was open (a recording started with a hotkey, say), the script now shown is not the
    // one saved, and it stays unsaved.
    const bool sameScript = savedGeneration == scriptGeneration_;
    if (sameScript) {
        unsaved_ = false;
    }
    showMessageBox(window_, L"已保存", L"提示", MB_OK | MB_ICONINFORMATION);
    if (sameScript && CurrentActivity() == Activity::Idle) {
        SetStatus(L"已保存脚本");
    }
    return true;
}

void MainWindow::LoadScriptCommand()
{
    if (!MayRun(WindowCommand::Load)) {
        return;
    }
    std::wstring path;
    if (!chooseScriptPath(window_, ScriptDialog::Open, path)) {
        return;
    }
    if (!MayRun(WindowCommand::Load)) {
        // A hotkey started a recording or a playback while the dialog was open: replacing its
        // events now would mix the two.
        showMessageBox(window_, L"录制 / 回放进行中，已取消加载。", L"提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    BeginLoad(path, LoadOrigin::LoadCommand, 1);
}

void MainWindow::ClearScriptCommand()
{
    if (!MayRun(WindowCommand::Clear) || theRecorder().eventCount() == 0) {
        return;
    }
    if (showMessageBox(window_, L"清空所有事件？", L"确认", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    if (!MayRun(WindowCommand::Clear)) {
        return;  // a recording or a playback started while the question was open
    }
    theRecorder().clearEvents();
    ScriptReplaced();
    eventList_.ShowRows(0, false);
    UpdateEventCount();
    unsaved_ = false;
    SetStatus(L"已清空");
    RefreshControls();
}

void MainWindow::ScriptReplaced()
{
    ++scriptGeneration_;
    history_.clear();
}

void MainWindow::ShowEventRows()
{
    eventList_.ShowRows(theRecorder().eventCount(), true);
}
