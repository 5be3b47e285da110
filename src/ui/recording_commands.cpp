// Starting and stopping a recording from the buttons and the hotkeys, and the rows it appends.
#include "ui/main_window.h"

#include <cwchar>

#include "base/message_box.h"
#include "ui/control_ids.h"

void MainWindow::toggleRecording()
{
    if (mayRun(WindowCommand::StopRecording)) {
        stopRecordingCommand();
    } else if (mayRun(WindowCommand::StartRecording)) {
        startRecordingCommand();
    }
}

void MainWindow::stopRecordingCommand()
{
    recorder_.stopRecording();
    // The recorder hands over what it captured, without the presses of a stop chord's modifiers:
    // rows that were shown for them go.
    document_.finishRecording(recorder_.takeCaptured());
    showScriptRows(true);
    wchar_t status[64];
    std::swprintf(status, 64, L"已停止 (%u条)", static_cast<unsigned>(document_.eventCount()));
    setStatus(status);
    refreshControls();
}

void MainWindow::startRecordingCommand()
{
    const bool recordMouse = isChecked(IDC_MOUSE);
    const bool recordKeyboard = isChecked(IDC_KEYBOARD);
    if (!recordMouse && !recordKeyboard) {
        showMessageBox(window_, L"请至少选择鼠标或键盘", L"提示", MB_OK | MB_ICONWARNING);
        return;
    }
    const size_t existing = document_.eventCount();
    if (existing > 0) {
        wchar_t question[128];
        std::swprintf(question, 128, L"开始新录制会清空当前的 %u 条事件。\n\n是否先保存当前脚本？",
                      static_cast<unsigned>(existing));
        const int answer = showMessageBox(window_, question, L"确认", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) {
            return;
        }
        if (answer == IDYES && !saveScriptCommand()) {
            return;
        }
        // The prompt and the save dialog let hotkeys through: a recording or a playback may
        // have started meanwhile, and this command must not start a second one over it.
        if (!mayRun(WindowCommand::StartRecording)) {
            return;
        }
    }
    if (!recorder_.startRecording(recordMouse, recordKeyboard)) {
        showMessageBox(window_,
                       L"无法开始录制：键盘鼠标钩子安装失败。\n\n常见原因：安全软件（360 等）拦截全局钩子。\n"
                       L"处理办法：把本程序加入杀软白名单后重启软件。",
                       L"错误", MB_OK | MB_ICONERROR);
        return;
    }
    showNewScript(ScriptContents{}, false);
    setStatus(L"● 录制中...");
    refreshControls();
}

void MainWindow::onRecordHotkey()
{
    if (mayRun(WindowCommand::StartRecording)) {
        startRecordingCommand();
    } else if (currentActivity() == Activity::Recording && !noticeOpen_) {
        noticeOpen_ = true;
        showMessageBox(window_, recordingNoticeText(currentFacts()).c_str(), L"提示", MB_OK | MB_ICONINFORMATION);
        noticeOpen_ = false;
    }
    // While playing (or while the notice is open) the key does nothing.
    refreshControls();
}

void MainWindow::onStopHotkey()
{
    // A playback takes precedence over a recording.
    if (mayRun(WindowCommand::StopPlayback)) {
        stopPlaybackCommand();
    } else if (mayRun(WindowCommand::StopRecording)) {
        stopRecordingCommand();
    }
    refreshControls();
}

void MainWindow::takeCapturedEvents()
{
    // Posted for an event that the stop has taken over already, or that came after it: the
    // script has it or never will.
    if (!recorder_.isRecording()) {
        return;
    }
    // Every event captured since the last message comes at once (the recorder's lock is held
    // for the copy only); the messages for them that follow find nothing new.
    std::vector<MacroEvent> captured;
    recorder_.copyCapturedFrom(document_.eventCount(), captured);
    if (captured.empty()) {
        return;
    }
    document_.appendRecorded(captured);
    showScriptRows(true);
    refreshControls();
}
