// Later starts of the program hand their requests to this window: it comes to the front and opens
// their scripts as a drop does, once it is free. Opening never loses unsaved events without asking.
#include "ui/main_window.h"

#include <cwchar>

#include "base/message_box.h"
#include "base/session_guards.h"
#include "ui/hand_over_win.h"

void MainWindow::takeHandOvers()
{
    takesHandOvers_ = true;
    acceptHandOvers(window_);
}

LRESULT MainWindow::onCopyData(LPARAM copyData)
{
    HandOverRequest request;
    if (!takesHandOvers_ || !readHandOver(copyData, request)) {
        return 0;  // not taken: an unattended playback's window, or not from this program
    }
    // The paths are copied now: the sender's memory is gone once this returns, and the sender
    // waits for nothing more than this answer.
    if (request.kind == HandOverKind::OpenScripts) {
        handOvers_.push_back(std::move(request));
        if (!handOverPosted_) {
            handOverPosted_ = PostMessageW(window_, WM_APP_HANDED_OVER, 0, 0) != FALSE;
        }
    }
    bringToFront(window_);
    return kHandOverAccepted;
}

void MainWindow::openHandedOver()
{
    handOverPosted_ = false;
    // This handler is the only one running and no box of the start-up holds the window: anything
    // else means a dialog or a box is open, and the request waits until it has closed.
    const bool free = handlerDepth_ <= 1 && IsWindowEnabled(window_);
    if (!free || handOvers_.empty()) {
        return;
    }
    const HandOverRequest request = std::move(handOvers_.front());
    handOvers_.pop_front();
    openScriptFiles(request.files);
    // The next one, if any, once this one is done with (resumeHandOvers posts it).
}

void MainWindow::resumeHandOvers()
{
    // A disabled window shows a box of the start-up; it hears WM_ENABLE when that closes.
    if (!handOvers_.empty() && !handOverPosted_ && window_ != nullptr && IsWindow(window_) &&
        IsWindowEnabled(window_)) {
        handOverPosted_ = PostMessageW(window_, WM_APP_HANDED_OVER, 0, 0) != FALSE;
    }
}

bool MainWindow::confirmReplacingUnsaved()
{
    const size_t count = document_.eventCount();
    if (!document_.isUnsaved() || count == 0) {
        return true;
    }
    wchar_t question[128];
    std::swprintf(question, 128, L"打开新脚本会替换当前未保存的 %u 条事件。\n\n是否先保存当前脚本？",
                  static_cast<unsigned>(count));
    const int answer = showMessageBox(window_, question, L"确认", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) {
        return false;
    }
    return answer != IDYES || saveScriptCommand();
}

bool MainWindow::takeRecordingGuard()
{
    // Taken before looking: a playback that starts meanwhile finds it and stays off.
    sessionGuardSeam.take(SessionGuard::Recording);
    if (isGuardTaken(sessionGuardSeam.probe(SessionGuard::Playback))) {
        sessionGuardSeam.giveUp(SessionGuard::Recording);
        return false;
    }
    return true;
}

void MainWindow::giveUpRecordingGuardWhenStopped()
{
    if (!recorder_.isRecording()) {
        sessionGuardSeam.giveUp(SessionGuard::Recording);
    }
}
