// The main window's state: read from the recorder and the player, and shown by every control and
// the status line after each change.
#include "ui/main_window.h"

#include <cwchar>
#include <utility>

#include "ui/control_ids.h"

Activity MainWindow::currentActivity() const
{
    if (recorder_.isRecording()) {
        return Activity::Recording;
    }
    if (player_.isPlaying()) {
        return Activity::Playing;
    }
    return loadJob_ ? Activity::Loading : Activity::Idle;
}

WindowFacts MainWindow::currentFacts() const
{
    WindowFacts facts;
    facts.activity = currentActivity();
    facts.eventCount = document_.eventCount();
    facts.loopChecked = isChecked(IDC_LOOP);
    facts.recordKey = recordKeyName_;
    facts.stopKey = stopKeyName_;
    facts.paused = player_.isPaused();
    facts.pauseKey = pauseKeyName_;
    return facts;
}

bool MainWindow::mayRun(WindowCommand command) const
{
    return isCommandAllowed(currentActivity(), command);
}

void MainWindow::refreshControls()
{
    if (window_ == nullptr) {
        return;
    }
    giveUpRecordingGuardWhenStopped();
    journal_.follow(recorder_.isRecording());
    const WindowFacts facts = currentFacts();
    for (const ControlLook& look : deriveControlLooks(facts)) {
        HWND control = GetDlgItem(window_, look.id);
        if (control == nullptr) {
            continue;
        }
        // Only what changed is touched: this runs for every recorded event.
        if ((IsWindowEnabled(control) != FALSE) != look.enabled) {
            setControlEnabled(look.id, look.enabled);
        }
        if (look.caption != nullptr && controlText(look.id, 32) != look.caption) {
            setCaption(look.id, look.caption);
        }
    }
    for (const auto& group : {std::make_pair(IDC_GROUP_RECORD, recordGroupText(facts)),
                              std::make_pair(IDC_GROUP_PLAYBACK, playbackGroupText(facts))}) {
        if (controlText(group.first, 64) != group.second) {
            SetDlgItemTextW(window_, group.first, group.second.c_str());
        }
    }
    if (statusActivity_ != facts.activity) {
        // The state moved on without a word about it (a hotkey during a dialog, say): say what
        // the window is doing now rather than what it did before.
        setStatus(defaultStatusText(facts));
    }
    refreshPauseMenuItem();
    refreshTray();
}

void MainWindow::setControlEnabled(int id, bool enabled)
{
    HWND control = GetDlgItem(window_, id);
    if (control == nullptr) {
        return;
    }
    EnableWindow(control, enabled ? TRUE : FALSE);
    // Owner-drawn buttons change colour with their state, so they must repaint now.
    InvalidateRect(control, nullptr, TRUE);
}

void MainWindow::setCaption(int id, const wchar_t* text)
{
    HWND control = GetDlgItem(window_, id);
    if (control == nullptr) {
        return;
    }
    SetWindowTextW(control, text);
    InvalidateRect(control, nullptr, TRUE);
}

void MainWindow::setStatus(const std::wstring& text)
{
    statusActivity_ = currentActivity();
    SetWindowTextW(status_, text.c_str());
    // The update button lies on the right end of the status line but below it in z-order: once
    // the new text is painted, paint the button again, or it vanishes until the next full repaint.
    UpdateWindow(status_);
    RedrawWindow(GetDlgItem(window_, IDC_CHECK_UPDATE), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    refreshTray();
}

void MainWindow::updateEventCount()
{
    wchar_t text[32];
    std::swprintf(text, 32, L"(%u)", static_cast<unsigned>(document_.eventCount()));
    SetDlgItemTextW(window_, IDC_EVENT_COUNT, text);
}

bool MainWindow::isChecked(int id) const
{
    return IsDlgButtonChecked(window_, id) == BST_CHECKED;
}

std::wstring MainWindow::controlText(int id, size_t limit) const
{
    std::wstring text(limit + 1, L'\0');
    const int length = GetDlgItemTextW(window_, id, &text[0], static_cast<int>(limit + 1));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}
