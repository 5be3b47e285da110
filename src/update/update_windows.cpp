#include "update/update_windows.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "base/error_log.h"
#include "base/message_box.h"
#include "update/release_notes.h"
#include "update/signature_verify.h"
#include "update/update_layout.h"
#include "update/update_messages.h"
#include "update/update_settings.h"

namespace {

constexpr UINT_PTR kDeadlineTimer = 1;

// One row per control: id, class, text, style, extended style, design rectangle at 96 DPI.
struct ControlRow {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    DesignRect rect;
};

const ControlRow kCheckControls[] = {
    {IDC_CHK_TEXT, L"STATIC", L"正在检查更新，请稍候…", 0, 0, {22, 18, 340, 22}},
    {IDC_CHK_PROGRESS, PROGRESS_CLASSW, L"", PBS_MARQUEE, 0, {22, 52, 340, 16}},
    {IDC_CHK_CANCEL, L"BUTTON", L"取消", BS_PUSHBUTTON | WS_TABSTOP, 0, {272, 78, 90, 26}},
};

const ControlRow kUpdateControls[] = {
    {0, L"STATIC", L"当前版本：", 0, 0, {24, 18, 80, 20}},
    {IDC_UPD_CURRENT, L"STATIC", L"", 0, 0, {104, 18, 380, 20}},
    {IDC_UPD_LATEST, L"STATIC", L"最新版本：—", 0, 0, {24, 42, 460, 20}},
    {0, L"STATIC", L"更新说明：", 0, 0, {24, 70, 80, 20}},
    {IDC_UPD_NOTES,
     L"EDIT",
     L"",
     WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
     WS_EX_CLIENTEDGE,
     {24, 92, 460, 96}},
    {IDC_UPD_PROGRESS, PROGRESS_CLASSW, L"", 0, 0, {24, 200, 460, 20}},
    {IDC_UPD_STATUS, L"STATIC", L"", 0, 0, {24, 226, 460, 20}},
    {IDC_UPD_DOWNLOAD, L"BUTTON", L"下载更新", BS_PUSHBUTTON | WS_TABSTOP, 0, {24, 258, 110, 32}},
    {IDC_UPD_CLOSE, L"BUTTON", L"关闭", BS_PUSHBUTTON | WS_TABSTOP, 0, {374, 258, 110, 32}},
};

template <size_t Count>
void CreateControls(HWND window, const ControlRow (&rows)[Count], int dpi, HFONT font)
{
    for (const ControlRow& row : rows) {
        const DesignRect r = ScaleDesignRect(row.rect, dpi);
        const HWND control = CreateWindowExW(
            row.exStyle, row.className, row.text, WS_CHILD | WS_VISIBLE | row.style, r.x, r.y, r.width, r.height,
            window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

// Controls without an id are found by their place among the children, which follows the table.
template <size_t Count>
void PlaceControls(HWND window, const ControlRow (&rows)[Count], int dpi, HFONT font)
{
    size_t index = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr && index < Count;
         child = GetWindow(child, GW_HWNDNEXT), ++index) {
        const DesignRect r = ScaleDesignRect(rows[index].rect, dpi);
        SetWindowPos(child, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

template <typename Fn>
Fn User32Function(const char* name)
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int ScreenDpi()
{
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    return SaneDpi(dpi);
}

// The DPI a new window gets: its owner's, else the screen's.
int DpiFor(HWND owner)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (owner != nullptr && dpiForWindow != nullptr) {
        return SaneDpi(static_cast<int>(dpiForWindow(owner)));
    }
    return ScreenDpi();
}

// The system's message font at the given DPI.
FontHandle CreateUpdateFont(int dpi)
{
    using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto forDpi = User32Function<ForDpiFn>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    bool read = false;
    if (forDpi != nullptr) {
        read = forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi)) != FALSE;
    }
    if (!read && SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        read = true;
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, ScreenDpi());
    }
    FontHandle font;
    if (read) {
        font.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    if (!font) {
        LOGFONTW fallback = {};
        fallback.lfHeight = -MulDiv(9, dpi, 72);
        fallback.lfCharSet = DEFAULT_CHARSET;
        wcscpy(fallback.lfFaceName, L"Microsoft YaHei");
        font.reset(CreateFontIndirectW(&fallback));
    }
    return font;
}

RECT WorkAreaFor(HWND owner)
{
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    const HMONITOR handle = owner != nullptr ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                                             : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (handle != nullptr && GetMonitorInfoW(handle, &monitor)) {
        area = monitor.rcWork;
    }
    return area;
}

DesignRect AsDesignRect(const RECT& r)
{
    return DesignRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Centred on the owner, or on the work area when there is none.
DesignRect PlaceWindow(HWND owner, int width, int height)
{
    const DesignRect area = AsDesignRect(WorkAreaFor(owner));
    RECT ownerRect = {};
    if (owner == nullptr || !GetWindowRect(owner, &ownerRect)) {
        return CenteredOn(area, width, height, area);
    }
    return CenteredOn(AsDesignRect(ownerRect), width, height, area);
}

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

// Disables the owner while an update window is open, as a modal dialog does, and enables it
// again before that window goes (so that the owner, not some other program, becomes active).
class DisabledOwner {
public:
    explicit DisabledOwner(HWND owner) : owner_(owner)
    {
        if (owner_ != nullptr && IsWindowEnabled(owner_)) {
            EnableWindow(owner_, FALSE);
            disabled_ = true;
        }
    }
    ~DisabledOwner() { restore(); }
    DisabledOwner(const DisabledOwner&) = delete;
    DisabledOwner& operator=(const DisabledOwner&) = delete;
    void restore()
    {
        if (disabled_ && IsWindow(owner_)) {
            EnableWindow(owner_, TRUE);
        }
        disabled_ = false;
    }

private:
    HWND owner_;
    bool disabled_ = false;
};

// Runs the thread's messages until *done is set. Esc and Tab work as in a dialog. A WM_QUIT
// taken here belongs to the application's main loop, so it is put back before leaving; the
// caller then cancels what is still running.
bool RunWindowLoop(HWND window, const bool& done)
{
    MSG message;
    while (!done) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        if (got == -1) {
            return false;
        }
        if (IsWindow(window) && IsDialogMessageW(window, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

// ---- checking window ----------------------------------------------------------------------

struct CheckWindowState {
    std::shared_ptr<CheckJob> job;
    Thread worker;
    HWND window = nullptr;
    int dpi = 96;
    FontHandle font;
    bool done = false;
    // Set when this window ended the check (cancel, deadline, closing program): the worker's
    // result is then never read, since the worker may still be writing it.
    bool endedHere = false;
    UpdateInfo endedResult;
};

void EndCheck(CheckWindowState& state, HWND window)
{
    state.done = true;
    KillTimer(window, kDeadlineTimer);
    const HWND owner = GetWindow(window, GW_OWNER);
    if (owner != nullptr) {
        EnableWindow(owner, TRUE);
    }
    DestroyWindow(window);
}

// Cancel button, close box, Alt+F4, Esc, or the owner going away: the transfer is stopped and
// the window goes at once; the worker ends on its own.
void CancelCheck(CheckWindowState& state)
{
    if (state.done) {
        return;
    }
    state.job->cancel.cancel();
    state.endedHere = true;
    state.endedResult = UpdateInfo();
    state.endedResult.cancelled = true;
    state.endedResult.errorText = kCancelledText;
}

void OnCheckDeadline(CheckWindowState& state, HWND window)
{
    state.job->cancel.cancel();
    state.endedHere = true;
    state.endedResult = UpdateInfo();
    wchar_t text[160] = {};
    swprintf(text, 160, L"服务器超过 %lu 秒没有答复，已停止检查", (checkDeadlineMs + 999) / 1000);
    state.endedResult.errorText = text;
    EndCheck(state, window);
}

LRESULT OnCheckWindowCreate(HWND window, CheckWindowState& state)
{
    state.window = window;
    state.job->window = window;
    state.font = CreateUpdateFont(state.dpi);
    CreateControls(window, kCheckControls, state.dpi, state.font.get());
    SendDlgItemMessageW(window, IDC_CHK_PROGRESS, PBM_SETMARQUEE, TRUE, 30);
    SetTimer(window, kDeadlineTimer, checkDeadlineMs, nullptr);

    // The worker holds its own owner of the job: it may outlive this window and RunCheckWindow.
    const std::shared_ptr<CheckJob> job = state.job;
    if (!state.worker.start([job] { CheckWorker(*job); })) {
        // Without a worker no WM_APP_CHECK_DONE would ever come and this window would never close.
        job->result.errorText = L"无法启动检查线程";
        job->result.ok = false;
        PostMessageW(window, WM_APP_CHECK_DONE, 0, 0);
    }
    return 0;
}

// WM_DPICHANGED: the suggested outer rectangle, every control placed from its row again, and a
// font made for the new DPI.
template <size_t Count>
void OnDpiChanged(HWND window, const ControlRow (&rows)[Count], int dpi, const RECT& suggested, FontHandle& font)
{
    FontHandle scaled = CreateUpdateFont(dpi);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceControls(window, rows, dpi, scaled.get());
    // The controls use the new font now; the old one can go.
    font = std::move(scaled);
    InvalidateRect(window, nullptr, TRUE);
}

}  // namespace

UpdateSeams updateSeams = {&ShellExecuteW, &Sha256File, &VerifyReleaseSignature};
DWORD checkDeadlineMs = 30000;

LRESULT CALLBACK CheckWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        auto* state = static_cast<CheckWindowState*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        return OnCheckWindowCreate(window, *state);
    }
    auto* state = reinterpret_cast<CheckWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CHK_CANCEL || LOWORD(wParam) == IDCANCEL) {
            CancelCheck(*state);
            EndCheck(*state, window);
        }
        return 0;
    case WM_CLOSE:
        CancelCheck(*state);
        EndCheck(*state, window);
        return 0;
    case WM_TIMER:
        if (wParam == kDeadlineTimer && !state->done) {
            OnCheckDeadline(*state, window);
        }
        return 0;
    case WM_DPICHANGED:
        state->dpi = SaneDpi(HIWORD(wParam));
        OnDpiChanged(window, kCheckControls, state->dpi, *reinterpret_cast<const RECT*>(lParam), state->font);
        return 0;
    case WM_DESTROY:
        // Also reached when the owner is destroyed (the main window closes): stop the work.
        KillTimer(window, kDeadlineTimer);
        CancelCheck(*state);
        state->done = true;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return 0;
    case WM_APP_CHECK_DONE: EndCheck(*state, window); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool RunCheckWindow(HWND owner, const std::wstring& baseUrl, UpdateInfo& info)
{
    static bool registered = false;
    RegisterUpdateClass(L"LorminUpdChkCls", &CheckWindowProc, registered);

    CheckWindowState state;
    state.job = std::make_shared<CheckJob>();
    state.job->baseUrl = baseUrl;
    state.dpi = DpiFor(owner);
    const DesignRect placed = PlaceWindow(owner, ScaleDesignUnits(kCheckWindowWidth, state.dpi),
                                          ScaleDesignUnits(kCheckWindowHeight, state.dpi));
    DisabledOwner disabled(owner);
    const HWND window = CreateWindowExW(0, L"LorminUpdChkCls", L"在线更新", WS_CAPTION | WS_SYSMENU, placed.x, placed.y,
                                        placed.width, placed.height, owner, nullptr, GetModuleHandleW(nullptr), &state);
    if (window == nullptr) {
        info = UpdateInfo();
        info.errorText = L"无法创建检查窗口";
        return false;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetFocus(GetDlgItem(window, IDC_CHK_CANCEL));
    if (!RunWindowLoop(window, state.done) && IsWindow(window)) {
        // Left through WM_QUIT: the program is closing.
        disabled.restore();
        DestroyWindow(window);
    }
    // A worker that has reported has ended (or is about to); one that was cancelled may still
    // wait in WinHTTP and owns its share of the job. Nobody waits for it.
    state.worker.detach();
    // The worker's result is complete once WM_APP_CHECK_DONE has arrived (it posts it last).
    info = state.endedHere ? state.endedResult : state.job->result;
    return info.ok;
}

// ---- update window --------------------------------------------------------------------------

namespace {

void CloseUpdateDialog(HWND window, UpdateDialogState& state)
{
    if (state.busy) {
        // Cancel first; the window stays and says "已取消", the next close ends it.
        CancelDownload(state);
        return;
    }
    state.done = true;
    if (state.owner != nullptr && IsWindow(state.owner)) {
        EnableWindow(state.owner, TRUE);
    }
    DestroyWindow(window);
}

void OnUpdateDialogCreate(HWND window, UpdateDialogState& state)
{
    state.window = window;
    state.font = CreateUpdateFont(state.dpi);
    CreateControls(window, kUpdateControls, state.dpi, state.font.get());
    state.currentLabel = GetDlgItem(window, IDC_UPD_CURRENT);
    state.latestLabel = GetDlgItem(window, IDC_UPD_LATEST);
    state.notesBox = GetDlgItem(window, IDC_UPD_NOTES);
    state.progressBar = GetDlgItem(window, IDC_UPD_PROGRESS);
    state.statusLabel = GetDlgItem(window, IDC_UPD_STATUS);
    SendMessageW(state.progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));

    wchar_t own[64] = {};
    GetOwnVersion(own, 64);
    state.ownVersion = own;
    SetWindowTextW(state.currentLabel, own);
    SetWindowTextW(state.latestLabel, (L"最新版本：" + state.version).c_str());
    SetWindowTextW(state.notesBox,
                   state.notes.empty() ? L"（本次更新无说明）" : NotesForEditField(state.notes).c_str());
    SetWindowTextW(state.statusLabel, L"正在下载…");
}

}  // namespace

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
        } else if (LOWORD(wParam) == IDC_UPD_CLOSE || LOWORD(wParam) == IDCANCEL) {
            CloseUpdateDialog(window, *state);
        }
        return 0;
    case WM_CLOSE: CloseUpdateDialog(window, *state); return 0;
    case WM_DPICHANGED:
        state->dpi = SaneDpi(HIWORD(wParam));
        OnDpiChanged(window, kUpdateControls, state->dpi, *reinterpret_cast<const RECT*>(lParam), state->font);
        return 0;
    case WM_DESTROY:
        // Also reached when the owner is destroyed (the main window closes): stop the download.
        CancelDownload(*state);
        state->done = true;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return 0;
    case WM_APP_START_DOWNLOAD: DownloadUpdate(*state); return 0;
    case WM_APP_DOWNLOAD_PROGRESS: OnDownloadProgress(*state, static_cast<unsigned>(wParam)); return 0;
    case WM_APP_DOWNLOAD_VERIFYING: OnDownloadVerifying(*state, static_cast<unsigned>(wParam)); return 0;
    case WM_APP_DOWNLOAD_DONE: OnDownloadDone(*state, static_cast<unsigned>(wParam)); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

void RunUpdateDialog(HWND owner, const UpdateInfo& info)
{
    static bool registered = false;
    RegisterUpdateClass(L"LorminUpdCls", &UpdateDialogProc, registered);

    UpdateDialogState state;
    state.version = info.version;
    state.downloadUrl = info.downloadUrl;
    state.sha256 = info.sha256;
    state.notes = info.notes;
    state.owner = owner;
    state.dpi = DpiFor(owner);
    const DesignRect placed = PlaceWindow(owner, ScaleDesignUnits(kUpdateWindowWidth, state.dpi),
                                          ScaleDesignUnits(kUpdateWindowHeight, state.dpi));
    DisabledOwner disabled(owner);
    const HWND window =
        CreateWindowExW(0, L"LorminUpdCls", L"在线更新 - 下载新版本", WS_CAPTION | WS_SYSMENU, placed.x, placed.y,
                        placed.width, placed.height, owner, nullptr, GetModuleHandleW(nullptr), &state);
    if (window == nullptr) {
        disabled.restore();
        ShowMessageBox(owner, L"无法创建更新窗口。", L"在线更新", MB_ICONWARNING);
        return;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetFocus(GetDlgItem(window, IDC_UPD_CLOSE));
    PostMessageW(window, WM_APP_START_DOWNLOAD, 0, 0);
    if (!RunWindowLoop(window, state.done) && IsWindow(window)) {
        // Left through WM_QUIT: the state lives on this stack frame, so the window goes with it
        // (its destruction cancels a running download).
        disabled.restore();
        DestroyWindow(window);
    }
    state.worker.detach();
}

void SetBusy(UpdateDialogState& state, bool busy)
{
    state.busy = busy;
    if (state.window != nullptr) {
        // While busy the second button cancels; the close box and Esc do the same.
        EnableWindow(GetDlgItem(state.window, IDC_UPD_DOWNLOAD), busy ? FALSE : TRUE);
        SetDlgItemTextW(state.window, IDC_UPD_CLOSE, busy ? L"取消" : L"关闭");
    }
}
