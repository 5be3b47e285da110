// Requests that come from outside the window: scripts named on the command line or dropped on the
// window, and a playback that nobody watches.
#include "ui/main_window.h"

#include <commctrl.h>

#include "base/message_box.h"
#include "base/win_owners.h"
#include "ui/control_ids.h"
#include "ui/number_fields.h"

void MainWindow::openScriptFiles(const std::vector<std::wstring>& files)
{
    if (files.empty()) {
        return;
    }
    if (!mayRun(WindowCommand::Load)) {
        showMessageBox(window_, L"录制 / 回放进行中，请先停止后再加载脚本。", L"提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!confirmReplacingUnsaved()) {
        return;
    }
    if (!mayRun(WindowCommand::Load)) {
        // A hotkey started a recording or a playback while the question was open.
        showMessageBox(window_, L"录制 / 回放进行中，已取消加载。", L"提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    beginLoad(files.front(), LoadOrigin::Outside, files.size());
}

void MainWindow::onDropFiles(HDROP drop)
{
    const DropHandle dropped(drop);
    const UINT count = DragQueryFileW(dropped.get(), 0xFFFFFFFF, nullptr, 0);
    std::vector<std::wstring> files;
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(dropped.get(), i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(dropped.get(), i, &path[0], length + 1));
        if (!path.empty()) {
            files.push_back(path);
        }
    }
    openScriptFiles(files);
}

bool MainWindow::startUnattendedPlayback(const UnattendedPlayback& request)
{
    unattended_ = true;
    outcome_ = PlaybackOutcome::None;
    showNewScript(ScriptContents{request.events, request.windows}, true);
    unattendedFollow_ = request.followWindows;
    unattendedWindowWait_ = request.windowWaitSeconds;
    unattendedPassGap_ = request.passGapSeconds;
    // The fields show the values the playback uses.
    SetWindowTextW(speed_, formatSpeedText(request.speed).c_str());
    SetWindowTextW(count_, std::to_wstring(request.loops).c_str());
    CheckDlgButton(window_, IDC_LOOP, request.endless ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window_, IDC_CLICK_FIDELITY, request.clickFidelity ? BST_CHECKED : BST_UNCHECKED);
    refreshControls();
    if (request.events.empty() || !mayRun(WindowCommand::StartPlayback)) {
        return false;
    }
    // Whether it started, not whether it still runs: a playback the system refuses may have
    // ended already, and its end is on its way to the window.
    return startPlaybackCommand();
}

void MainWindow::endUnattendedPlayback(PlaybackOutcome outcome)
{
    outcome_ = outcome;
    recorder_.stopHookThread();
    DestroyWindow(window_);
}
