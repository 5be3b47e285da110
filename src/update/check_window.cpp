#include "update/check_window.h"

#include <cwchar>
#include <memory>
#include <commctrl.h>

#include "base/system_dpi.h"
#include "base/thread.h"
#include "update/check_job.h"
#include "update/update_dialog.h"
#include "update/update_layout.h"
#include "update/update_messages.h"
#include "update/update_seams.h"

namespace {

constexpr UINT_PTR kDeadlineTimer = 1;

DialogTemplate checkWindowTemplate()
{
    DialogTemplate layout = updateDialogTemplate(L"LorminUpdChkCls", L"在线更新");
    layout.add(DialogTemplate::kStaticClass, IDC_CHK_TEXT, L"正在检查更新，请稍候…", 0, 22, 18, 340, 22);
    layout.add(PROGRESS_CLASSW, IDC_CHK_PROGRESS, L"", PBS_MARQUEE, 22, 52, 340, 16);
    layout.add(DialogTemplate::kButtonClass, IDC_CHK_CANCEL, L"取消", BS_PUSHBUTTON | WS_TABSTOP, 272, 78, 90, 26);
    return layout;
}

struct CheckWindowState {
    const DialogTemplate* layout = nullptr;
    HWND owner = nullptr;
    std::shared_ptr<CheckJob> job;
    Thread worker;
    int dpi = 96;
    FontHandle font;
    bool ended = false;
    // Set when this window ended the check (cancel, deadline, closing program): the worker's
    // result is then never read, since the worker may still be writing it.
    bool endedHere = false;
    UpdateInfo endedResult;
};

// The one way the window goes: the dialog manager enables the owner again.
void endCheckWindow(CheckWindowState& state, HWND window)
{
    if (state.ended) {
        return;
    }
    state.ended = true;
    KillTimer(window, kDeadlineTimer);
    EndDialog(window, 0);
}

// Cancel button, close box, Alt+F4, Esc, or the owner going away: the transfer is stopped; the
// worker ends on its own.
void cancelCheck(CheckWindowState& state)
{
    if (state.ended) {
        return;
    }
    state.job->cancel.cancel();
    state.endedHere = true;
    state.endedResult = UpdateInfo();
    state.endedResult.cancelled = true;
    state.endedResult.errorText = kCancelledText;
}

void onDeadline(CheckWindowState& state, HWND window)
{
    state.job->cancel.cancel();
    state.endedHere = true;
    state.endedResult = UpdateInfo();
    wchar_t text[160] = {};
    swprintf(text, 160, L"服务器超过 %lu 秒没有答复，已停止检查", (checkDeadlineSeam + 999) / 1000);
    state.endedResult.errorText = text;
    endCheckWindow(state, window);
}

void onInit(HWND window, CheckWindowState& state)
{
    placeUpdateDialog(window, state.owner, *state.layout, kCheckWindowWidth, kCheckWindowHeight, state.dpi, state.font);
    SendDlgItemMessageW(window, IDC_CHK_PROGRESS, PBM_SETMARQUEE, TRUE, 30);
    SetTimer(window, kDeadlineTimer, checkDeadlineSeam, nullptr);
    SetFocus(GetDlgItem(window, IDC_CHK_CANCEL));

    // The worker holds its own owner of the job: it may outlive this window.
    const std::shared_ptr<CheckJob> job = state.job;
    job->done = [window] { PostMessageW(window, WM_APP_CHECK_DONE, 0, 0); };
    if (!state.worker.start([job] { runCheckJob(*job); })) {
        // Without a worker no WM_APP_CHECK_DONE would ever come and this window would never close.
        job->result.errorText = L"无法启动检查线程";
        job->result.ok = false;
        PostMessageW(window, WM_APP_CHECK_DONE, 0, 0);
    }
}

INT_PTR CALLBACK checkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        onInit(window, *reinterpret_cast<CheckWindowState*>(lParam));
        return FALSE;  // the focus is set
    }
    auto* state = reinterpret_cast<CheckWindowState*>(GetWindowLongPtrW(window, DWLP_USER));
    if (state == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CHK_CANCEL || LOWORD(wParam) == IDCANCEL) {
            cancelCheck(*state);
            endCheckWindow(*state, window);
        }
        return TRUE;
    case WM_CLOSE:
        cancelCheck(*state);
        endCheckWindow(*state, window);
        return TRUE;
    case WM_TIMER:
        if (wParam == kDeadlineTimer && !state->ended) {
            onDeadline(*state, window);
        }
        return TRUE;
    case WM_DPICHANGED:
        state->dpi = saneDpi(HIWORD(wParam));
        moveUpdateDialogToDpi(window, *state->layout, state->dpi, *reinterpret_cast<const RECT*>(lParam), state->font);
        return TRUE;
    case WM_DESTROY:
        // Also reached when the owner is destroyed (the main window closes): stop the work.
        KillTimer(window, kDeadlineTimer);
        cancelCheck(*state);
        state->ended = true;
        SetWindowLongPtrW(window, DWLP_USER, 0);
        return TRUE;
    case WM_APP_CHECK_DONE: endCheckWindow(*state, window); return TRUE;
    default: return FALSE;
    }
}

}  // namespace

bool runCheckWindow(HWND owner, const std::wstring& baseUrl, UpdateInfo& info)
{
    const DialogTemplate layout = checkWindowTemplate();
    CheckWindowState state;
    state.layout = &layout;
    state.owner = owner;
    state.job = std::make_shared<CheckJob>();
    state.job->baseUrl = baseUrl;
    state.dpi = windowDpi(owner);
    if (layout.runModal(owner, &checkWindowProc, reinterpret_cast<LPARAM>(&state)) == -1) {
        info = UpdateInfo();
        info.errorText = L"无法创建检查窗口";
        return false;
    }
    // A worker that has reported has ended (or is about to); one that was cancelled may still
    // wait in WinHTTP and owns its share of the job. Nobody waits for it.
    state.worker.detach();
    // The worker's result is complete once WM_APP_CHECK_DONE has arrived (it posts it last).
    info = state.endedHere ? state.endedResult : state.job->result;
    return info.ok;
}
