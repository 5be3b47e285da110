// The main window's class, creation, child controls, fonts and layout.
#include "ui/main_window.h"

#include <commctrl.h>

#include "ui/control_ids.h"
#include "ui/window_layout.h"

const wchar_t* const kMainWindowClassName = L"ScriptRecorderWnd";
const wchar_t* const kMainWindowTitle = L"岚溪脚本录制软件";

namespace {

constexpr int kMainIconId = 101;
constexpr size_t kMaxChildrenForFonts = 64;

struct ControlDefinition {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    FontRole font;
};

constexpr DWORD kGroupStyle = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
constexpr DWORD kCheckStyle = WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX;
constexpr DWORD kActionStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT;
constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kSpinStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
constexpr DWORD kListStyle =
    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL;

// Creation order is also z-order and tab order.
const ControlDefinition kControlDefinitions[] = {
    {IDC_GROUP_CAPTURE, L"Button", L"录制设置", kGroupStyle, 0, FontRole::Bold},
    {IDC_MOUSE, L"Button", L"鼠标", kCheckStyle, 0, FontRole::Regular},
    {IDC_KEYBOARD, L"Button", L"键盘", kCheckStyle, 0, FontRole::Regular},
    {IDC_GROUP_RECORD, L"Button", L"录制 (F8 开始 / F9 停止)", kGroupStyle, 0, FontRole::Bold},
    {IDC_RECORD, L"Button", L"● 录制", kActionStyle, 0, FontRole::Bold},
    {IDC_RECORD_STOP, L"Button", L"■ 停止", kActionStyle, 0, FontRole::Bold},
    {IDC_GROUP_PLAYBACK, L"Button", L"回放 (F9 停止)", kGroupStyle, 0, FontRole::Bold},
    {IDC_SPEED_LABEL, L"Static", L"倍速:", kLabelStyle, 0, FontRole::Regular},
    {IDC_SPEED, L"Edit", L"1.0", kEditStyle, WS_EX_CLIENTEDGE, FontRole::Regular},
    {IDC_SPEED_SPIN, UPDOWN_CLASSW, L"", kSpinStyle, WS_EX_CLIENTEDGE, FontRole::None},
    {IDC_LOOP, L"Button", L"循环", kCheckStyle, 0, FontRole::Regular},
    {IDC_CLICK_FIDELITY, L"Button", L"点击保真（点击节奏不随倍速缩放，保护双击）", kCheckStyle, 0, FontRole::Regular},
    {IDC_COUNT_LABEL, L"Static", L"次数:", kLabelStyle, 0, FontRole::Regular},
    {IDC_COUNT, L"Edit", L"1", kEditStyle, WS_EX_CLIENTEDGE, FontRole::Regular},
    {IDC_COUNT_SPIN, UPDOWN_CLASSW, L"", kSpinStyle, WS_EX_CLIENTEDGE, FontRole::None},
    {IDC_PLAY, L"Button", L"▶ 回放", kActionStyle, 0, FontRole::Bold},
    {IDC_PLAY_STOP, L"Button", L"■ 停止", kActionStyle, 0, FontRole::Bold},
    {IDC_EVENT_COUNT, L"Static", L"(0)", kLabelStyle, 0, FontRole::Regular},
    {IDC_GROUP_SCRIPT, L"Button", L"脚本", kGroupStyle, 0, FontRole::Bold},
    {IDC_SAVE, L"Button", L"保存", kActionStyle, 0, FontRole::Regular},
    {IDC_LOAD, L"Button", L"加载", kActionStyle, 0, FontRole::Regular},
    {IDC_CLEAR, L"Button", L"清空", kActionStyle, 0, FontRole::Regular},
    {IDC_GROUP_EVENTS, L"Button", L"事件列表", kGroupStyle, 0, FontRole::Bold},
    {IDC_EVENT_LIST, L"ListBox", L"", kListStyle, WS_EX_CLIENTEDGE, FontRole::Mono},
    {IDC_STATUS, L"Static", L"就绪", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, 0, FontRole::Small},
    {IDC_CHECK_UPDATE, L"Button", L"检查更新", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, FontRole::Small},
};
static_assert(sizeof kControlDefinitions / sizeof kControlDefinitions[0] == kLayoutControlCount,
              "one definition per placed control");

}  // namespace

bool MainWindow::RegisterWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kMainIconId), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                      GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    windowClass.hIconSm =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kMainIconId), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kMainWindowClassName;
    return RegisterClassExW(&windowClass) != 0;
}

HWND MainWindow::Create(HINSTANCE instance, int dpi)
{
    dpi_ = dpi;
    RECT bounds{0, 0, InitialClientWidth(dpi), InitialClientHeight(dpi)};
    AdjustWindowRectEx(&bounds, WS_OVERLAPPEDWINDOW, FALSE, 0);
    return CreateWindowExW(0, kMainWindowClassName, kMainWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr, nullptr, instance, nullptr);
}

void MainWindow::ApplyStartupDpi(int dpi)
{
    if (dpi < 72 || dpi > 480) {
        return;
    }
    dpi_ = dpi;
    fonts_ = MakeUiFonts(dpi_);
    ApplyDpiFonts();
    LayoutControls();
    // Group boxes are transparent: without a full repaint their frames stay where the 96-DPI
    // layout drew them.
    InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::CreateControls()
{
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    for (const ControlDefinition& definition : kControlDefinitions) {
        HWND control =
            CreateWindowExW(definition.exStyle, definition.className, definition.text, definition.style, 0, 0, 10, 10,
                            window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(definition.id)), instance, nullptr);
        if (control == nullptr) {
            continue;
        }
        if (HFONT font = fonts_.get(definition.font)) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    }
    list_ = GetDlgItem(window_, IDC_EVENT_LIST);
    status_ = GetDlgItem(window_, IDC_STATUS);
    speed_ = GetDlgItem(window_, IDC_SPEED);
    speedSpin_ = GetDlgItem(window_, IDC_SPEED_SPIN);
    count_ = GetDlgItem(window_, IDC_COUNT);
    countSpin_ = GetDlgItem(window_, IDC_COUNT_SPIN);

    CheckDlgButton(window_, IDC_MOUSE, BST_CHECKED);
    CheckDlgButton(window_, IDC_KEYBOARD, BST_CHECKED);
    CheckDlgButton(window_, IDC_CLICK_FIDELITY, BST_CHECKED);
    SendMessageW(speedSpin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(speed_), 0);
    SendMessageW(speedSpin_, UDM_SETRANGE, 0, MAKELPARAM(100, 1));
    SendMessageW(speedSpin_, UDM_SETPOS, 0, MAKELPARAM(10, 0));
    SendMessageW(countSpin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(count_), 0);
    SendMessageW(countSpin_, UDM_SETRANGE32, 1, 999);
    SendMessageW(countSpin_, UDM_SETPOS32, 0, 1);
    EnableWindow(GetDlgItem(window_, IDC_RECORD_STOP), FALSE);
    EnableWindow(GetDlgItem(window_, IDC_PLAY), FALSE);
    EnableWindow(GetDlgItem(window_, IDC_PLAY_STOP), FALSE);
}

void MainWindow::LayoutControls()
{
    if (window_ == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(window_, &client);
    for (const ControlPlacement& place : ComputeLayout(client.right - client.left, client.bottom - client.top, dpi_)) {
        if (HWND control = GetDlgItem(window_, place.id)) {
            MoveWindow(control, place.x, place.y, place.width, place.height, TRUE);
        }
    }
}

void MainWindow::ApplyDpiFonts()
{
    if (window_ == nullptr) {
        return;
    }
    HWND child = GetWindow(window_, GW_CHILD);
    for (size_t n = 0; child != nullptr && n < kMaxChildrenForFonts; ++n, child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = L"";
        GetClassNameW(child, className, 32);
        const int id = GetDlgCtrlID(child);
        HFONT font = fonts_.regular.get();
        if (lstrcmpiW(className, L"ListBox") == 0) {
            font = fonts_.mono.get();
        } else if ((lstrcmpiW(className, L"Static") == 0 && id == IDC_STATUS) || id == IDC_CHECK_UPDATE) {
            font = fonts_.small.get();
        }
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void MainWindow::OnDpiChanged(WPARAM wParam, const RECT& suggested)
{
    dpi_ = HIWORD(wParam);
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    fonts_ = MakeUiFonts(dpi_);
    ApplyDpiFonts();
    LayoutControls();
    InvalidateRect(window_, nullptr, TRUE);
}
