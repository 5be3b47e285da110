// Starting and stopping a playback, its notifications, and the speed and loop-count fields.
#include "ui/main_window.h"

#include <cwchar>
#include <utility>
#include <commctrl.h>

#include "base/message_box.h"
#include "base/text_encoding.h"
#include "player/window_target.h"
#include "ui/control_ids.h"
#include "ui/number_fields.h"

void MainWindow::togglePlayback()
{
    if (mayRun(WindowCommand::StopPlayback)) {
        stopPlaybackCommand();
    } else if (mayRun(WindowCommand::StartPlayback)) {
        startPlaybackCommand();
    }
}

void MainWindow::stopPlaybackCommand()
{
    player_.stopPlayback();
    setStatus(L"⏹ 停止");
    refreshControls();
}

bool MainWindow::startPlaybackCommand(size_t fromRow)
{
    if (document_.empty()) {
        showMessageBox(window_, L"没有事件", L"提示", MB_OK | MB_ICONINFORMATION);
        return false;
    }
    if (fromRow >= document_.eventCount()) {
        fromRow = 0;
    }
    std::vector<MacroEvent> events = document_.eventsFrom(fromRow);
    if (fromRow > 0) {
        // The row chosen starts at once: the wait before it belongs to the events left out.
        events.front().delay = 0.0;
    }
    normalizeSpeedText();
    normalizeCountText();
    const double speed = readSpeed();
    const bool endless = isChecked(IDC_LOOP);
    const int loops = endless ? 1 : readLoopCount();
    PlaybackRequest request;
    request.events = std::move(events);
    request.speed = speed;
    request.endless = endless;
    request.loops = loops;
    request.fidelity = isChecked(IDC_CLICK_FIDELITY);
    request.following.windows = document_.windows();
    request.following.follow = unattendedFollow_.value_or(settings_.followWindows);
    request.following.waitSeconds = unattendedWindowWait_ > 0 ? unattendedWindowWait_ : settings_.windowWaitSeconds;
    return beginPlayback(request, fromRow, std::wstring());
}

bool MainWindow::beginPlayback(const PlaybackRequest& request, size_t fromRow, const std::wstring& libraryName)
{
    player_.setPassGap(unattendedPassGap_ >= 0 ? unattendedPassGap_ : settings_.passGapSeconds);
    if (!player_.startPlayback(request.events, request.speed, request.endless, request.loops, request.fidelity,
                               request.following)) {
        return false;
    }
    playFrom_ = fromRow;
    library_.runningName = libraryName;
    // Built whole: a library entry's name has no length limit.
    std::wstring status = playbackLead() + L"...";
    if (request.endless) {
        status += L"（无限循环）";
    } else if (request.loops > 1) {
        status += L"（共 " + std::to_wstring(request.loops) + L" 次）";
    }
    setStatus(status);
    refreshControls();
    return true;
}

namespace {

// "<title>（<exe>）" of a window the playback follows.
std::wstring windowNaming(const WindowIdentity& identity)
{
    return utf8ToWide(identity.title) + L"（" + utf8ToWide(identity.exe) + L"）";
}

}  // namespace

void MainWindow::onWindowWait(int index)
{
    if (currentActivity() != Activity::Playing) {
        return;
    }
    WindowIdentity identity;
    if (index >= 0 && player_.playbackWindow(index, identity)) {
        if (statusBeforeWait_.empty()) {
            statusBeforeWait_ = controlText(IDC_STATUS, 255);
        }
        setStatus(L"⏳ 等待窗口：" + windowNaming(identity));
    } else if (!statusBeforeWait_.empty()) {
        // The window is there: back to the playing text.
        setStatus(statusBeforeWait_);
        statusBeforeWait_.clear();
    }
}

void MainWindow::onPlaybackEnded(int reason, LPARAM detail)
{
    constexpr int kStopped = 1;
    constexpr int kRefused = 2;
    constexpr int kWindowMissing = 3;
    constexpr int kWaitTimedOut = 4;
    const PlaybackOutcome outcome = reason == kRefused         ? PlaybackOutcome::Refused
                                    : reason == kStopped       ? PlaybackOutcome::Stopped
                                    : reason == kWindowMissing ? PlaybackOutcome::WindowMissing
                                    : reason == kWaitTimedOut  ? PlaybackOutcome::WaitTimedOut
                                                               : PlaybackOutcome::Completed;
    statusBeforeWait_.clear();
    statusBeforePause_.clear();
    endLibraryRun(outcome);
    WindowIdentity missing;
    std::wstring windowEnd;
    if (outcome == PlaybackOutcome::WindowMissing) {
        player_.playbackWindow(static_cast<int>(detail), missing);
        windowEnd =
            std::wstring(windowProblemText(player_.windowProblem())) + L"：" + windowNaming(missing) + L"，回放已停止";
    }
    // After a stop from the window this repeats "⏹ 停止"; a recording started since keeps its text,
    // and so does a stop for a takeover.
    const bool takenOver = std::exchange(stoppedByTakeover_, false);
    // The line the caller of an unattended playback gets for an end other than a completed one.
    endText_ = outcome == PlaybackOutcome::WindowMissing ? windowEnd
               : outcome == PlaybackOutcome::WaitTimedOut ? L"等待超时：" + player_.timedOutWait() + L"，回放已停止"
               : outcome == PlaybackOutcome::Refused ? L"回放被系统拒绝（目标程序可能以管理员身份运行）"
               : outcome != PlaybackOutcome::Stopped ? L""
               : takenOver                           ? L"检测到人工操作，已停止回放"
                                                     : L"回放已被停止（停止键或停止按钮）";
    if (currentActivity() == Activity::Idle && !takenOver) {
        if (outcome == PlaybackOutcome::WindowMissing) {
            setStatus(L"⚠ " + windowEnd);
        } else if (outcome == PlaybackOutcome::WaitTimedOut) {
            setStatus(L"⚠ 等待超时：" + player_.timedOutWait());
        } else {
            setStatus(outcome == PlaybackOutcome::Refused ? L"⚠ 回放被系统拒绝（目标程序可能以管理员身份运行）"
                      : outcome == PlaybackOutcome::Stopped ? L"⏹ 停止"
                                                            : L"✅ 完成");
        }
    }
    refreshControls();
    if (unattended_ && outcome_ == PlaybackOutcome::None) {
        endUnattendedPlayback(outcome);
    }
}

void MainWindow::onPlaybackLoop(int pass, int limit)
{
    // A pass announced just before the playback was stopped arrives after the stop; the window
    // is idle by then and keeps saying so.
    if (currentActivity() != Activity::Playing || player_.isPaused()) {
        return;
    }
    const std::wstring count =
        limit > 0 ? std::to_wstring(pass) + L"/" + std::to_wstring(limit) : std::to_wstring(pass) + L" 次，无限循环";
    setStatus(playbackLead() + L"...（第 " + count + (limit > 0 ? L" 次）" : L"）"));
}

std::wstring MainWindow::playbackLead() const
{
    if (!library_.runningName.empty()) {
        return L"▶ 脚本库：" + library_.runningName;
    }
    if (playFrom_ == 0) {
        return L"▶ 回放中";
    }
    // Every pass starts at the chosen row, and the status says which one.
    return L"▶ 从第 " + std::to_wstring(playFrom_ + 1) + L" 条回放中";
}

double MainWindow::readSpeed() const
{
    return parseSpeedText(controlText(IDC_SPEED, 31));
}

int MainWindow::readLoopCount() const
{
    return parseLoopCountText(controlText(IDC_COUNT, 15));
}

void MainWindow::normalizeSpeedText()
{
    const double speed = readSpeed();
    SetWindowTextW(speed_, formatSpeedText(speed).c_str());
    SendMessageW(speedSpin_, UDM_SETPOS, 0, MAKELPARAM(speedSpinPosition(speed) & 0xFFFF, 0));
}

void MainWindow::normalizeCountText()
{
    const int count = readLoopCount();
    SetWindowTextW(count_, std::to_wstring(count).c_str());
    SendMessageW(countSpin_, UDM_SETPOS32, 0, count);
}

bool MainWindow::onSpinDelta(int spinId, int delta)
{
    wchar_t text[16];
    if (spinId == IDC_SPEED_SPIN) {
        const int position = stepSpeedPosition(readSpeed(), delta);
        std::swprintf(text, 16, L"%.1f", position / 10.0);
        SetWindowTextW(speed_, text);
        SendMessageW(speedSpin_, UDM_SETPOS, 0, MAKELPARAM(position & 0xFFFF, 0));
        return true;
    }
    if (spinId == IDC_COUNT_SPIN) {
        const int count = stepLoopCount(readLoopCount(), delta);
        std::swprintf(text, 16, L"%d", count);
        SetWindowTextW(count_, text);
        SendMessageW(countSpin_, UDM_SETPOS32, 0, count);
        return true;
    }
    return false;
}
