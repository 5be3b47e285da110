// Starting and stopping a recording from the buttons and the hotkeys, and the rows it appends.
#include "ui/main_window.h"

#include <cwchar>

#include "base/message_box.h"
#include "recorder/recorder.h"
#include "ui/control_ids.h"

void MainWindow::ToggleRecording()
{
    if (MayRun(WindowCommand::StopRecording)) {
        StopRecordingCommand();
    } else if (MayRun(WindowCommand::StartRecording)) {
        StartRecordingCommand();
    }
}

void MainWindow::StopRecordingCommand()
{
    Recorder& recorder = theRecorder();
    recorder.stopRecording();
    // A stop chord with modifiers takes their presses back out of the recording: rows that were
    // shown for them go.
    eventList_.ShowRows(recorder.eventCount(), true);
    UpdateEventCount();
    wchar_t status[64];
    std::swprintf(status, 64, L"已停止 (%u条)", static_cast<unsigned>(recorder.eventCount()));
    SetStatus(status);
    RefreshControls();
}

void MainWindow::StartRecordingCommand()
{
    Recorder& recorder = theRecorder();
    const bool recordMouse = IsChecked(IDC_MOUSE);
    const bool recordKeyboard = IsChecked(IDC_KEYBOARD);
    if (!recordMouse && !recordKeyboard) {
        showMessageBox(window_, L"请至少选择鼠标或键盘", L"提示", MB_OK | MB_ICONWARNING);
        return;
    }
    const size_t existing = recorder.eventCount();
    if (existing > 0) {
        wchar_t question[128];
        std::swprintf(question, 128, L"开始新录制会清空当前的 %u 条事件。\n\n是否先保存当前脚本？",
                      static_cast<unsigned>(existing));
        const int answer = showMessageBox(window_, question, L"确认", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) {
            return;
        }
        if (answer == IDYES && !SaveScriptCommand()) {
            return;
        }
        // The prompt and the save dialog let hotkeys through: a recording or a playback may
        // have started meanwhile, and this command must not start a second one over it.
        if (!MayRun(WindowCommand::StartRecording)) {
            return;
        }
    }
    if (!recorder.startRecording(recordMouse, recordKeyboard)) {
        showMessageBox(window_,
                       L"无法开始录制：键盘鼠标钩子安装失败。\n\n常见原因：安全软件（360 等）拦截全局钩子。\n"
                       L"处理办法：把本程序加入杀软白名单后重启软件。",
                       L"错误", MB_OK | MB_ICONERROR);
        return;
    }
    ScriptReplaced();
    eventList_.ShowRows(0, false);
    UpdateEventCount();
    unsaved_ = false;
    SetStatus(L"● 录制中...");
    RefreshControls();
}

void MainWindow::OnRecordHotkey()
{
    if (MayRun(WindowCommand::StartRecording)) {
        StartRecordingCommand();
    } else if (CurrentActivity() == Activity::Recording && !noticeOpen_) {
        noticeOpen_ = true;
        showMessageBox(window_, recordingNoticeText(CurrentFacts()).c_str(), L"提示", MB_OK | MB_ICONINFORMATION);
        noticeOpen_ = false;
    }
    // While playing (or while the notice is open) the key does nothing.
    RefreshControls();
}

void MainWindow::OnStopHotkey()
{
    // A playback takes precedence over a recording.
    if (MayRun(WindowCommand::StopPlayback)) {
        StopPlaybackCommand();
    } else if (MayRun(WindowCommand::StopRecording)) {
        StopRecordingCommand();
    }
    RefreshControls();
}

void MainWindow::AppendEventRow(size_t index)
{
    MacroEvent event;
    if (!theRecorder().eventAt(index, event)) {
        return;  // posted just before the events were replaced
    }
    // Row numbers come from the posted index: the rows grow in posting order.
    if (index + 1 > eventList_.RowCount()) {
        eventList_.ShowRows(index + 1, true);
    }
    ++scriptGeneration_;
    unsaved_ = true;
    UpdateEventCount();
    RefreshControls();
}
