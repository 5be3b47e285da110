// Starting and stopping a playback, its notifications, and the speed and loop-count fields.
#include "ui/main_window.h"

#include <cwchar>
#include <utility>
#include <commctrl.h>

#include "base/message_box.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "ui/control_ids.h"
#include "ui/number_fields.h"

void MainWindow::TogglePlayback()
{
    if (MayRun(WindowCommand::StopPlayback)) {
        StopPlaybackCommand();
    } else if (MayRun(WindowCommand::StartPlayback)) {
        StartPlaybackCommand();
    }
}

void MainWindow::StopPlaybackCommand()
{
    thePlayer().stopPlayback();
    SetStatus(L"⏹ 停止");
    RefreshControls();
}

void MainWindow::StartPlaybackCommand(size_t fromRow)
{
    std::vector<MacroEvent> events;
    theRecorder().copyEvents(events);
    if (events.empty()) {
        showMessageBox(window_, L"没有事件", L"提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (fromRow > 0 && fromRow < events.size()) {
        // The row chosen starts at once: the wait before it belongs to the events left out.
        events.erase(events.begin(), events.begin() + static_cast<std::ptrdiff_t>(fromRow));
        events.front().delay = 0.0;
    } else {
        fromRow = 0;
    }
    NormalizeSpeedText();
    NormalizeCountText();
    const double speed = ReadSpeed();
    const bool endless = IsChecked(IDC_LOOP);
    const int loops = endless ? 1 : ReadLoopCount();
    const bool fidelity = IsChecked(IDC_CLICK_FIDELITY);
    if (!thePlayer().startPlayback(events, speed, endless, loops, fidelity)) {
        return;
    }
    playFrom_ = fromRow;
    wchar_t status[64];
    if (endless) {
        std::swprintf(status, 64, L"%ls...（无限循环）", PlaybackLead().c_str());
    } else if (loops > 1) {
        std::swprintf(status, 64, L"%ls...（共 %d 次）", PlaybackLead().c_str(), loops);
    } else {
        std::swprintf(status, 64, L"%ls...", PlaybackLead().c_str());
    }
    SetStatus(status);
    RefreshControls();
}

void MainWindow::OnPlaybackEnded(int reason)
{
    constexpr int kStopped = 1;
    constexpr int kRefused = 2;
    const PlaybackOutcome outcome = reason == kRefused   ? PlaybackOutcome::Refused
                                    : reason == kStopped ? PlaybackOutcome::Stopped
                                                         : PlaybackOutcome::Completed;
    // After a stop from the window this repeats "⏹ 停止"; a recording started since keeps its text,
    // and so does a stop for a takeover.
    const bool takenOver = std::exchange(stoppedByTakeover_, false);
    if (CurrentActivity() == Activity::Idle && !takenOver) {
        SetStatus(outcome == PlaybackOutcome::Refused ? L"⚠ 回放被系统拒绝（目标程序可能以管理员身份运行）"
                  : outcome == PlaybackOutcome::Stopped ? L"⏹ 停止"
                                                        : L"✅ 完成");
    }
    RefreshControls();
    if (unattended_ && outcome_ == PlaybackOutcome::None) {
        EndUnattendedPlayback(outcome);
    }
}

void MainWindow::OnPlaybackLoop(int pass, int limit)
{
    // A pass announced just before the playback was stopped arrives after the stop; the window
    // is idle by then and keeps saying so.
    if (CurrentActivity() != Activity::Playing) {
        return;
    }
    wchar_t status[64];
    if (limit > 0) {
        std::swprintf(status, 64, L"%ls...（第 %d/%d 次）", PlaybackLead().c_str(), pass, limit);
    } else {
        std::swprintf(status, 64, L"%ls...（第 %d 次，无限循环）", PlaybackLead().c_str(), pass);
    }
    SetStatus(status);
}

std::wstring MainWindow::PlaybackLead() const
{
    if (playFrom_ == 0) {
        return L"▶ 回放中";
    }
    // Every pass starts at the chosen row, and the status says which one.
    return L"▶ 从第 " + std::to_wstring(playFrom_ + 1) + L" 条回放中";
}

double MainWindow::ReadSpeed() const
{
    return ParseSpeedText(ControlText(IDC_SPEED, 31));
}

int MainWindow::ReadLoopCount() const
{
    return ParseLoopCountText(ControlText(IDC_COUNT, 15));
}

void MainWindow::NormalizeSpeedText()
{
    const double speed = ReadSpeed();
    SetWindowTextW(speed_, FormatSpeedText(speed).c_str());
    SendMessageW(speedSpin_, UDM_SETPOS, 0, MAKELPARAM(SpeedSpinPosition(speed) & 0xFFFF, 0));
}

void MainWindow::NormalizeCountText()
{
    const int count = ReadLoopCount();
    SetWindowTextW(count_, std::to_wstring(count).c_str());
    SendMessageW(countSpin_, UDM_SETPOS32, 0, count);
}

bool MainWindow::OnSpinDelta(int spinId, int delta)
{
    wchar_t text[16];
    if (spinId == IDC_SPEED_SPIN) {
        const int position = StepSpeedPosition(ReadSpeed(), delta);
        std::swprintf(text, 16, L"%.1f", position / 10.0);
        SetWindowTextW(speed_, text);
        SendMessageW(speedSpin_, UDM_SETPOS, 0, MAKELPARAM(position & 0xFFFF, 0));
        return true;
    }
    if (spinId == IDC_COUNT_SPIN) {
        const int count = StepLoopCount(ReadLoopCount(), delta);
        std::swprintf(text, 16, L"%d", count);
        SetWindowTextW(count_, text);
        SendMessageW(countSpin_, UDM_SETPOS32, 0, count);
        return true;
    }
    return false;
}
