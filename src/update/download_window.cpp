#include "update/download_window.h"

#include <cwchar>
#include <memory>
#include <commctrl.h>

#include "base/error_log.h"
#include "base/message_box.h"
#include "base/system_dpi.h"
#include "base/thread.h"
#include "update/download_job.h"
#include "update/new_build_start.h"
#include "update/release_notes.h"
#include "update/update_dialog.h"
#include "update/update_layout.h"
#include "update/update_manifest.h"
#include "update/update_messages.h"
#include "update/update_seams.h"
#include "update/update_settings.h"

namespace {

DialogTemplate downloadWindowTemplate()
{
    constexpr WORD kStatic = DialogTemplate::kStaticClass;
    constexpr WORD kButton = DialogTemplate::kButtonClass;
    constexpr DWORD kButtonStyle = BS_PUSHBUTTON | WS_TABSTOP;
    DialogTemplate layout = updateDialogTemplate(L"LorminUpdCls", L"在线更新 - 下载新版本");
    layout.add(kStatic, 0, L"当前版本：", 0, 24, 18, 80, 20);
    layout.add(kStatic, IDC_UPD_CURRENT, L"", 0, 104, 18, 380, 20);
    layout.add(kStatic, IDC_UPD_LATEST, L"最新版本：—", 0, 24, 42, 460, 20);
    layout.add(kStatic, 0, L"更新说明：", 0, 24, 70, 80, 20);
    layout.add(DialogTemplate::kEditClass, IDC_UPD_NOTES, L"", WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
               24, 92, 460, 96, WS_EX_CLIENTEDGE);
    layout.add(PROGRESS_CLASSW, IDC_UPD_PROGRESS, L"", 0, 24, 200, 460, 20);
    layout.add(kStatic, IDC_UPD_STATUS, L"", 0, 24, 226, 460, 20);
    layout.add(kButton, IDC_UPD_DOWNLOAD, L"下载更新", kButtonStyle, 24, 258, 110, 32);
    layout.add(kButton, IDC_UPD_CLOSE, L"关闭", kButtonStyle, 374, 258, 110, 32);
    return layout;
}

struct DownloadWindowState {
    const DialogTemplate* layout = nullptr;
    const UpdateInfo* info = nullptr;
    HWND owner = nullptr;
    HWND window = nullptr;
    int dpi = 96;
    FontHandle font;
    bool busy = false;
    unsigned downloads = 0;  // numbers the downloads of this window; stale messages are told apart
    std::shared_ptr<DownloadJob> job;
    Thread worker;
    const UpdateLeave* leave = nullptr;
    NewBuild newBuild;              // a started build, while it has not shown its window
    bool closeWhenSettled = false;  // closed while the new build was starting
};

// The window ends with this when the new build runs: the caller's window closes.
constexpr INT_PTR kNewBuildRunning = 2;
constexpr UINT_PTR kNewBuildTimer = 1;

void setStatus(const DownloadWindowState& state, const wchar_t* text)
{
    SetDlgItemTextW(state.window, IDC_UPD_STATUS, text);
}

void setProgress(const DownloadWindowState& state, int percent)
{
    SendDlgItemMessageW(state.window, IDC_UPD_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void setBusy(DownloadWindowState& state, bool busy)
{
    state.busy = busy;
    // While busy the second button cancels; the close box and Esc do the same.
    EnableWindow(GetDlgItem(state.window, IDC_UPD_DOWNLOAD), busy ? FALSE : TRUE);
    SetDlgItemTextW(state.window, IDC_UPD_CLOSE, busy ? L"取消" : L"关闭");
}

bool watchingNewBuild(const DownloadWindowState& state)
{
    return static_cast<bool>(state.newBuild.process);
}

void offerToRun(DownloadWindowState& state, const std::wstring& question, UINT icon)
{
    if (showMessageBox(state.window, question.c_str(), L"在线更新", MB_YESNO | icon) != IDYES) {
        return;
    }
    // The caller's unsaved events come first; 取消 there starts nothing.
    if (state.leave != nullptr && state.leave->mayClose != nullptr &&
        !state.leave->mayClose(state.leave->context, state.window)) {
        return;
    }
    const std::wstring path = state.job != nullptr ? state.job->finalPath : std::wstring();
    if (!startNewBuild(state.window, path, state.newBuild)) {
        setStatus(state, L"新版本未能启动");
        return;
    }
    // Both buttons wait: this window closes as soon as the new one shows.
    setStatus(state, L"正在启动新版本…");
    EnableWindow(GetDlgItem(state.window, IDC_UPD_DOWNLOAD), FALSE);
    EnableWindow(GetDlgItem(state.window, IDC_UPD_CLOSE), FALSE);
    SetTimer(state.window, kNewBuildTimer, 100, nullptr);
}

void onNewBuildTimer(DownloadWindowState& state)
{
    if (!watchingNewBuild(state)) {
        return;
    }
    switch (watchNewBuild(state.newBuild, GetTickCount64())) {
    case NewBuildState::Starting: return;
    case NewBuildState::ShowsWindow:
        KillTimer(state.window, kNewBuildTimer);
        EndDialog(state.window, kNewBuildRunning);
        return;
    case NewBuildState::Failed:
        KillTimer(state.window, kNewBuildTimer);
        setStatus(state, L"新版本未能启动");
        EnableWindow(GetDlgItem(state.window, IDC_UPD_DOWNLOAD), TRUE);
        EnableWindow(GetDlgItem(state.window, IDC_UPD_CLOSE), TRUE);
        if (state.closeWhenSettled) {
            EndDialog(state.window, 0);
        }
        return;
    }
}

UINT messageFor(DownloadStep step)
{
    switch (step) {
    case DownloadStep::Progress: return WM_APP_DOWNLOAD_PROGRESS;
    case DownloadStep::Verifying: return WM_APP_DOWNLOAD_VERIFYING;
    case DownloadStep::Done: break;
    }
    return WM_APP_DOWNLOAD_DONE;
}

void startWorker(DownloadWindowState& state, std::shared_ptr<DownloadJob> job)
{
    const unsigned number = ++state.downloads;
    const HWND window = state.window;
    job->notify = [window, number](DownloadStep step) { PostMessageW(window, messageFor(step), number, 0); };
    state.job = job;
    setBusy(state, true);
    if (!state.worker.start([job] { runDownloadJob(*job); })) {
        setBusy(state, false);
        const std::wstring error = L"无法启动下载线程";
        ErrorLog::write(L"[更新] 下载失败：%ls", error.c_str());
        setStatus(state, (L"下载失败：" + error).c_str());
        showMessageBox(state.window, (L"下载失败：\n" + error).c_str(), L"在线更新", MB_ICONWARNING);
    }
}

void startDownload(DownloadWindowState& state)
{
    const UpdateInfo& info = *state.info;
    // An unsafe version never reaches here from a check; refusing it again keeps the file name
    // inside the program's folder whatever the caller.
    if (state.busy || info.version.empty() || !isAcceptableVersionText(info.version)) {
        return;
    }
    auto job = std::make_shared<DownloadJob>();
    job->url = info.downloadUrl;
    job->folder = getModuleDir();
    job->finalPath = job->folder + L"\\" + downloadFileName(info.version);
    job->sha256 = info.sha256;
    removeLeftoverDownloads(job->folder);

    if (GetFileAttributesW(job->finalPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (info.sha256.empty()) {
            // Nothing to verify it with: offered, but not as a verified build.
            state.job = job;
            setStatus(state, L"该版本已存在于本地");
            setProgress(state, 100);
            offerToRun(state,
                       L"本地已存在该版本：\n\n" + job->finalPath +
                           L"\n\n服务器没有提供校验值，无法确认这个文件完整、未被改动。\n\n是否立即运行？",
                       MB_ICONWARNING);
            return;
        }
        job->verifyExisting = true;
        setProgress(state, 0);
        setStatus(state, L"正在校验本地已有的文件…");
        startWorker(state, job);
        return;
    }
    setProgress(state, 0);
    setStatus(state, L"正在下载…");
    startWorker(state, job);
}

void cancelDownload(DownloadWindowState& state)
{
    if (!state.busy || state.job == nullptr) {
        return;
    }
    // The worker notices at its next step (at once on Windows, where closing the request ends a
    // blocked call) and removes its temporary file; nothing waits for it here.
    state.job->cancel.cancel();
    state.worker.detach();
    setBusy(state, false);
    setProgress(state, 0);
    setStatus(state, L"已取消");
    ErrorLog::write(L"[更新] 下载已取消");
}

bool isCurrent(const DownloadWindowState& state, WPARAM number)
{
    return state.job != nullptr && number == state.downloads && state.busy;
}

void onProgress(DownloadWindowState& state)
{
    DownloadJob& job = *state.job;
    job.progressTaken();
    const int64_t received = job.received;
    const int64_t total = job.total;
    wchar_t text[192] = {};
    if (total < 1) {
        swprintf(text, 192, L"正在下载… %ls", formatSize(received).c_str());
    } else {
        const int percent = downloadPercent(received, total);
        setProgress(state, percent);
        swprintf(text, 192, L"正在下载… %d%%（%ls / %ls）", percent, formatSize(received).c_str(),
                 formatSize(total).c_str());
    }
    setStatus(state, text);
}

void onDone(DownloadWindowState& state)
{
    // The worker told this as its last step.
    state.worker.join();
    setBusy(state, false);
    const DownloadJob& job = *state.job;
    switch (job.outcome) {
    case DownloadOutcome::ExistingVerified:
        setStatus(state, L"该版本已存在于本地");
        setProgress(state, 100);
        offerToRun(state, L"本地已存在该版本：\n\n" + job.finalPath + L"\n\n是否立即运行？", MB_ICONQUESTION);
        break;
    case DownloadOutcome::Downloaded:
        setProgress(state, 100);
        setStatus(state, L"下载完成");
        offerToRun(
            state,
            L"新版本已下载完成：\n\n" + job.finalPath +
                L"\n\n新版本与当前版本共用相同的设置，以后双击该文件即可启动；确认新版本正常后，可自行删除旧版本。"
                L"\n\n是否立即运行新版本？",
            MB_ICONINFORMATION);
        break;
    case DownloadOutcome::Rejected:
        setStatus(state, L"校验失败，文件已丢弃");
        showMessageBox(state.window,
                       L"下载到的文件与服务器登记的校验值不一致，已自动丢弃。\n\n可能是下载过程中被篡改或网络中断，"
                       L"请稍后重试。",
                       L"在线更新", MB_ICONERROR);
        break;
    case DownloadOutcome::Cancelled:
        setProgress(state, 0);
        setStatus(state, L"已取消");
        break;
    case DownloadOutcome::Failed:
        ErrorLog::write(L"[更新] 下载失败：%ls", job.errorText.empty() ? L"连接中断" : job.errorText.c_str());
        setStatus(state, (L"下载失败：" + job.errorText).c_str());
        showMessageBox(state.window, (L"下载失败：\n" + job.errorText).c_str(), L"在线更新", MB_ICONWARNING);
        break;
    }
}

// The second button, the close box and Esc: a running download is cancelled first (the window
// stays and says "已取消"), the next close ends the window; the dialog manager enables the owner.
void closeWindow(DownloadWindowState& state)
{
    if (watchingNewBuild(state)) {
        // The new build's window, or its failure, is moments away: the window closes then.
        state.closeWhenSettled = true;
        return;
    }
    if (state.busy) {
        cancelDownload(state);
        return;
    }
    EndDialog(state.window, 0);
}

void onInit(HWND window, DownloadWindowState& state)
{
    state.window = window;
    placeUpdateDialog(window, state.owner, *state.layout, kUpdateWindowWidth, kUpdateWindowHeight, state.dpi,
                      state.font);
    SendDlgItemMessageW(window, IDC_UPD_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    wchar_t own[64] = {};
    getOwnVersion(own, 64);
    SetDlgItemTextW(window, IDC_UPD_CURRENT, own);
    SetDlgItemTextW(window, IDC_UPD_LATEST, (L"最新版本：" + state.info->version).c_str());
    SetDlgItemTextW(window, IDC_UPD_NOTES,
                    state.info->notes.empty() ? L"（本次更新无说明）" : notesForEditField(state.info->notes).c_str());
    setStatus(state, L"正在下载…");
    SetFocus(GetDlgItem(window, IDC_UPD_CLOSE));
    PostMessageW(window, WM_APP_START_DOWNLOAD, 0, 0);
}

INT_PTR CALLBACK downloadWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        onInit(window, *reinterpret_cast<DownloadWindowState*>(lParam));
        return FALSE;  // the focus is set
    }
    auto* state = reinterpret_cast<DownloadWindowState*>(GetWindowLongPtrW(window, DWLP_USER));
    if (state == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_UPD_DOWNLOAD) {
            startDownload(*state);
        } else if (LOWORD(wParam) == IDC_UPD_CLOSE || LOWORD(wParam) == IDCANCEL) {
            closeWindow(*state);
        }
        return TRUE;
    case WM_CLOSE: closeWindow(*state); return TRUE;
    case WM_DPICHANGED:
        state->dpi = saneDpi(HIWORD(wParam));
        moveUpdateDialogToDpi(window, *state->layout, state->dpi, *reinterpret_cast<const RECT*>(lParam), state->font);
        return TRUE;
    case WM_TIMER:
        if (wParam == kNewBuildTimer) {
            onNewBuildTimer(*state);
        }
        return TRUE;
    case WM_DESTROY:
        // Also reached when the owner is destroyed (the main window closes): stop the download.
        KillTimer(window, kNewBuildTimer);
        cancelDownload(*state);
        SetWindowLongPtrW(window, DWLP_USER, 0);
        return TRUE;
    case WM_APP_START_DOWNLOAD: startDownload(*state); return TRUE;
    case WM_APP_DOWNLOAD_PROGRESS:
        if (isCurrent(*state, wParam)) {
            onProgress(*state);
        }
        return TRUE;
    case WM_APP_DOWNLOAD_VERIFYING:
        if (isCurrent(*state, wParam)) {
            setStatus(*state, L"正在校验文件完整性…");
        }
        return TRUE;
    case WM_APP_DOWNLOAD_DONE:
        if (isCurrent(*state, wParam)) {
            onDone(*state);
        }
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

bool runDownloadWindow(HWND owner, const UpdateInfo& info, const UpdateLeave* leave)
{
    const DialogTemplate layout = downloadWindowTemplate();
    DownloadWindowState state;
    state.layout = &layout;
    state.info = &info;
    state.owner = owner;
    state.leave = leave;
    state.dpi = windowDpi(owner);
    const INT_PTR result = layout.runModal(owner, &downloadWindowProc, reinterpret_cast<LPARAM>(&state));
    if (result == -1) {
        showMessageBox(owner, L"无法创建更新窗口。", L"在线更新", MB_ICONWARNING);
        return false;
    }
    state.worker.detach();
    return result == kNewBuildRunning;
}
