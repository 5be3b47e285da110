#include "update/update_windows.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "base/message_box.h"
#include "update/update_messages.h"
#include "update/update_settings.h"

namespace {

void RegisterUpdateClass(const wchar_t* name, WNDPROC procedure, bool& registered)
{
    if (registered) {
        return;
    }
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&controls);

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(101), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = name;
    registered = RegisterClassW(&windowClass) != 0;
}

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, int id, int x, int y, int width,
                 int height, DWORD style, DWORD exStyle = 0)
{
    return CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

// Runs the thread's messages until *done is set. A WM_QUIT taken here belongs to the
// application's main loop, so it is put back before leaving.
void RunWindowLoop(const bool& done)
{
    MSG message;
    while (!done) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(0);
            break;
        }
        if (got == -1) {
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

LRESULT OnCheckWindowCreate(HWND window, const CREATESTRUCTW* create)
{
    // The creation parameter is the caller's shared owner of the job; the worker gets a copy.
    const std::shared_ptr<CheckJob> job = *static_cast<const std::shared_ptr<CheckJob>*>(create->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(job.get()));
    job->window = window;
    const HWND label = CreateChild(window, L"STATIC", L"正在检查更新，请稍候…", IDC_CHK_TEXT, 22, 18, 340, 22, 0);
    const HWND bar = CreateChild(window, PROGRESS_CLASSW, L"", IDC_CHK_PROGRESS, 22, 52, 340, 16, PBS_MARQUEE);
    SendMessageW(bar, PBM_SETMARQUEE, TRUE, 30);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(UpdateWindowFont()), TRUE);

    // The worker holds its own owner of the job: it may outlive this window and RunCheckWindow.
    if (!job->worker.start([job] { CheckWorker(*job); })) {
        // Without a worker no WM_APP_CHECK_DONE would ever come and this window would never close.
        job->result.errorText = L"无法启动检查线程";
        job->result.ok = false;
        PostMessageW(window, WM_APP_CHECK_DONE, 0, 0);
    }
    return 0;
}

void OnUpdateDialogCreate(HWND window, UpdateDialogState& state)
{
    CreateChild(window, L"STATIC", L"当前版本：", 0, 24, 18, 80, 20, 0);
    state.currentLabel = CreateChild(window, L"STATIC", L"", IDC_UPD_CURRENT, 104, 18, 380, 20, 0);
    state.latestLabel = CreateChild(window, L"STATIC", L"最新版本：—", IDC_UPD_LATEST, 24, 42, 460, 20, 0);
    CreateChild(window, L"STATIC", L"更新说明：", 0, 24, 70, 80, 20, 0);
    state.notesBox = CreateChild(window, L"EDIT", L"", IDC_UPD_NOTES, 24, 92, 460, 96,
                                 WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, WS_EX_CLIENTEDGE);
    state.progressBar = CreateChild(window, PROGRESS_CLASSW, L"", IDC_UPD_PROGRESS, 24, 200, 460, 20, 0);
    state.statusLabel = CreateChild(window, L"STATIC", L"", IDC_UPD_STATUS, 24, 226, 460, 20, 0);
    CreateChild(window, L"BUTTON", L"下载更新", IDC_UPD_DOWNLOAD, 24, 258, 110, 32, BS_PUSHBUTTON);
    CreateChild(window, L"BUTTON", L"关闭", IDC_UPD_CLOSE, 374, 258, 110, 32, BS_PUSHBUTTON);
    SendMessageW(state.progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));

    const WPARAM font = reinterpret_cast<WPARAM>(UpdateWindowFont());
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        SendMessageW(child, WM_SETFONT, font, TRUE);
    }

    wchar_t own[64] = {};
    GetOwnVersion(own, 64);
    state.ownVersion = own;
    SetWindowTextW(state.currentLabel, own);
    SetWindowTextW(state.latestLabel, (L"最新版本：" + state.version).c_str());
    SetWindowTextW(state.notesBox, state.notes.empty() ? L"（本次更新无说明）" : state.notes.c_str());
    SetWindowTextW(state.statusLabel, L"正在下载…");
}

void CloseUpdateDialog(HWND window, UpdateDialogState& state)
{
    // A download runs inside this window's own message handling; closing now would pull the
    // state out from under it.
    if (state.busy) {
        return;
    }
    state.done = true;
    DestroyWindow(window);
}

}  // namespace

UpdateSeams updateSeams = {&ShellExecuteW, &Sha256File};

HFONT UpdateWindowFont()
{
    // One font for every update window of the run; the windows come and go, the font stays.
    static HFONT font = nullptr;
    if (font != nullptr) {
        return font;
    }
    NONCLIENTMETRICSW metrics = {};
    static_assert(sizeof(metrics) == 504, "message font query expects the Vista-and-later layout");
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        font = CreateFontIndirectW(&metrics.lfMessageFont);
    }
    if (font == nullptr) {
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    return font;
}

LRESULT CALLBACK CheckWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        return OnCheckWindowCreate(window, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    }
    CheckJob* job = reinterpret_cast<CheckJob*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (job == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_CLOSE:
        // The check cannot be cancelled by the user; the window closes when the worker reports.
        return 0;
    case WM_DESTROY: return 0;
    case WM_APP_CHECK_DONE:
        job->done = true;
        DestroyWindow(window);
        return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool RunCheckWindow(const std::wstring& baseUrl, UpdateInfo& info)
{
    static bool registered = false;
    RegisterUpdateClass(L"LorminUpdChkCls", &CheckWindowProc, registered);

    auto job = std::make_shared<CheckJob>();
    job->baseUrl = baseUrl;
    const HWND window = CreateWindowExW(
        0, L"LorminUpdChkCls", L"在线更新", WS_CAPTION | WS_SYSMENU, (GetSystemMetrics(SM_CXSCREEN) - 400) / 2,
        (GetSystemMetrics(SM_CYSCREEN) - 150) / 2, 400, 150, nullptr, nullptr, GetModuleHandleW(nullptr), &job);
    if (window == nullptr) {
        info.errorText = L"无法创建检查窗口";
        info.ok = false;
        return false;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    RunWindowLoop(job->done);

    const bool workerEnded = job->worker.waitFor(5000);
    job->worker.detach();
    if (!job->done) {
        // Left through WM_QUIT: the window must not outlive the loop that serves it.
        DestroyWindow(window);
    }
    if (workerEnded) {
        info = job->result;
    } else {
        // The worker still writes its result; nothing of it may be read now.
        info = UpdateInfo();
        info.errorText = L"检查已中断";
    }
    return info.ok;
}

LRESULT CALLBACK UpdateDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        UpdateDialogState* created = static_cast<UpdateDialogState*>(create->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        OnUpdateDialogCreate(window, *created);
        return 0;
    }
    UpdateDialogState* state = reinterpret_cast<UpdateDialogState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_UPD_DOWNLOAD) {
            DownloadUpdate(*state);
        } else if (LOWORD(wParam) == IDC_UPD_CLOSE) {
            CloseUpdateDialog(window, *state);
        }
        return 0;
    case WM_CLOSE: CloseUpdateDialog(window, *state); return 0;
    case WM_DESTROY: return 0;
    case WM_APP_START_DOWNLOAD: DownloadUpdate(*state); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

void RunUpdateDialog(const std::wstring& baseUrl, const UpdateInfo& info)
{
    (void)baseUrl;
    static bool registered = false;
    RegisterUpdateClass(L"LorminUpdCls", &UpdateDialogProc, registered);

    UpdateDialogState state;
    state.version = info.version;
    state.downloadUrl = info.downloadUrl;
    state.sha256 = info.sha256;
    state.notes = info.notes;
    const HWND window =
        CreateWindowExW(0, L"LorminUpdCls", L"在线更新 - 下载新版本", WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                        CW_USEDEFAULT, 524, 340, nullptr, nullptr, GetModuleHandleW(nullptr), &state);
    if (window == nullptr) {
        ShowMessageBox(nullptr, L"无法创建更新窗口。", L"在线更新", MB_ICONWARNING);
        return;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    PostMessageW(window, WM_APP_START_DOWNLOAD, 0, 0);
    RunWindowLoop(state.done);
    if (!state.done) {
        // Left through WM_QUIT: the state lives on this stack frame, so the window goes with it.
        state.busy = false;
        DestroyWindow(window);
    }
}

void SetBusy(UpdateDialogState& state, bool busy)
{
    state.busy = busy;
    const HWND window = state.currentLabel != nullptr ? GetParent(state.currentLabel) : nullptr;
    if (window != nullptr) {
        EnableWindow(GetDlgItem(window, IDC_UPD_DOWNLOAD), busy ? FALSE : TRUE);
        EnableWindow(GetDlgItem(window, IDC_UPD_CLOSE), busy ? FALSE : TRUE);
    }
}
