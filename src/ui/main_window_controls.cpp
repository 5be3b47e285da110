// The main window's class, creation, child controls, fonts and layout, all read from the control
// table.
#include "ui/main_window.h"

#include <commctrl.h>

#include "ui/control_ids.h"
#include "ui/control_table.h"
#include "ui/window_layout.h"

const wchar_t* const kMainWindowClassName = L"ScriptRecorderWnd";
const wchar_t* const kMainWindowTitle = L"岚溪脚本录制软件";

namespace {

constexpr int kMainIconId = 101;

// The table spells the style bits out so that it stays free of the Windows headers.
static_assert(WindowStyle::kChild == WS_CHILD && WindowStyle::kVisible == WS_VISIBLE &&
                  WindowStyle::kVerticalScroll == WS_VSCROLL && WindowStyle::kTabStop == WS_TABSTOP,
              "window styles");
static_assert(WindowStyle::kButtonGroupBox == BS_GROUPBOX && WindowStyle::kButtonAutoCheckBox == BS_AUTOCHECKBOX &&
                  WindowStyle::kButtonOwnerDraw == BS_OWNERDRAW,
              "button styles");
static_assert(WindowStyle::kStaticLeft == SS_LEFT && WindowStyle::kStaticCenterImage == SS_CENTERIMAGE &&
                  WindowStyle::kEditAutoHorizontalScroll == ES_AUTOHSCROLL,
              "static and edit styles");
static_assert(WindowStyle::kUpDownAlignRight == UDS_ALIGNRIGHT && WindowStyle::kUpDownArrowKeys == UDS_ARROWKEYS &&
                  WindowStyle::kUpDownNoThousands == UDS_NOTHOUSANDS,
              "up-down styles");
static_assert(WindowStyle::kListNotify == LBS_NOTIFY && WindowStyle::kListOwnerDrawFixed == LBS_OWNERDRAWFIXED &&
                  WindowStyle::kListNoIntegralHeight == LBS_NOINTEGRALHEIGHT &&
                  WindowStyle::kListWantKeyboardInput == LBS_WANTKEYBOARDINPUT &&
                  WindowStyle::kListExtendedSelection == LBS_EXTENDEDSEL &&
                  WindowStyle::kListDisableNoScroll == LBS_DISABLENOSCROLL && WindowStyle::kListNoData == LBS_NODATA,
              "list styles");
static_assert(WindowStyle::kExClientEdge == WS_EX_CLIENTEDGE, "extended styles");

HICON loadMainIcon(HINSTANCE instance, int widthMetric, int heightMetric)
{
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kMainIconId), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric),
                                         LR_DEFAULTCOLOR));
}

}  // namespace

bool MainWindow::registerWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &MainWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = loadMainIcon(instance, SM_CXICON, SM_CYICON);
    windowClass.hIconSm = loadMainIcon(instance, SM_CXSMICON, SM_CYSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kMainWindowClassName;
    return RegisterClassExW(&windowClass) != 0;
}

HWND MainWindow::create(HINSTANCE instance, int dpi)
{
    dpi_ = dpi;
    RECT bounds{0, 0, initialClientWidth(dpi), initialClientHeight(dpi)};
    AdjustWindowRectEx(&bounds, WS_OVERLAPPEDWINDOW, FALSE, 0);
    return CreateWindowExW(0, kMainWindowClassName, kMainWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr, nullptr, instance, this);
}

void MainWindow::onCreate()
{
    dpi_ = 96;
    document_.clear();
    noticeOpen_ = false;
    statusActivity_ = Activity::Idle;
    fonts_ = makeUiFonts(dpi_);
    createControls();
    layoutControls();
    refreshControls();
    // Scripts dropped on the window are loaded as the Load command does.
    DragAcceptFiles(window_, TRUE);
}

void MainWindow::onDestroy()
{
    tray_.remove();
    if (trayTimer_) {
        KillTimer(window_, kTrayTooltipTimerId);
        trayTimer_ = false;
    }
    // Closed on purpose (saved, or the user chose not to): no journal outlives it.
    journal_.closeWithoutKeeping();
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    fonts_ = UiFonts{};
    window_ = nullptr;
    list_ = status_ = speed_ = speedSpin_ = count_ = countSpin_ = nullptr;
    // Requests that had to wait die with the window; the starts that sent them have ended already.
    takesHandOvers_ = false;
    handOvers_.clear();
    handOverPosted_ = false;
    PostQuitMessage(0);
}

void MainWindow::applyStartupDpi(int dpi)
{
    if (dpi < 72 || dpi > 480) {
        return;
    }
    dpi_ = dpi;
    fonts_ = makeUiFonts(dpi_);
    applyDpiFonts();
    layoutControls();
    // Group boxes are transparent: without a full repaint their frames stay where the 96-DPI
    // layout drew them.
    InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::createControls()
{
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    for (const ControlRow& row : kControlTable) {
        HWND control = CreateWindowExW(row.exStyle, row.className, row.text, row.style, 0, 0, 10, 10, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance, nullptr);
        if (control == nullptr) {
            continue;
        }
        if (HFONT font = fonts_.get(row.font)) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    }
    list_ = GetDlgItem(window_, IDC_EVENT_LIST);
    eventList_.attach(list_);
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
}

void MainWindow::layoutControls()
{
    if (window_ == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(window_, &client);
    for (const ControlPlacement& place : computeLayout(client.right - client.left, client.bottom - client.top, dpi_)) {
        if (HWND control = GetDlgItem(window_, place.id)) {
            MoveWindow(control, place.x, place.y, place.width, place.height, TRUE);
        }
    }
}

void MainWindow::applyDpiFonts()
{
    if (window_ == nullptr) {
        return;
    }
    for (const ControlRow& row : kControlTable) {
        if (HWND control = GetDlgItem(window_, row.id)) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.get(fontAfterDpiStep(row.font))), TRUE);
        }
    }
    eventList_.fitRowHeight(fonts_.mono.get());
}

void MainWindow::onDpiChanged(WPARAM wParam, const RECT& suggested)
{
    dpi_ = HIWORD(wParam);
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    fonts_ = makeUiFonts(dpi_);
    applyDpiFonts();
    layoutControls();
    InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::onMinMaxInfo(MINMAXINFO& limits) const
{
    limits.ptMinTrackSize.x = minimumTrackWidth(dpi_);
    limits.ptMinTrackSize.y = minimumTrackHeight(dpi_);
}
