#include "ui/wait_step_dialog.h"

#include <utility>

#include "base/dialog_template.h"
#include "base/message_box.h"
#include "base/text_encoding.h"
#include "player/png_codec_win.h"
#include "player/screen_reader_win.h"
#include "recorder/window_capture_win.h"
#include "screen_match/screen_area.h"
#include "script/script_edits.h"
#include "script/script_file.h"
#include "ui/screen_picker.h"
#include "ui/wait_step_fields.h"

AskWaitStepFn askWaitStepSeam = &showWaitStepDialog;

namespace {

// A window of the list of open windows: its identity and the text the list shows.
struct OpenWindow {
    WindowIdentity identity;
    std::wstring label;
};

// What a dialog works on while it is open.
struct WaitForm {
    WaitStepInput input;
    std::vector<OpenWindow> windows;  // the window list's entries (window waits)
    // Where the anchored point lay in its window when it was picked or loaded: the step's point
    // minus its client offset, so that a point typed later keeps its place in the window.
    int32_t originX = 0;
    int32_t originY = 0;
};

std::wstring fieldText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    const int length = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    return std::wstring(text.data(), static_cast<size_t>(length > 0 ? length : 0));
}

void setNumber(HWND dialog, int id, int32_t value)
{
    SetDlgItemTextW(dialog, id, std::to_wstring(value).c_str());
}

bool refuse(HWND dialog, int field, const wchar_t* why)
{
    showMessageBox(dialog, why, L"提示", MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(dialog, field));
    SendDlgItemMessageW(dialog, field, EM_SETSEL, 0, -1);
    return false;
}

void fillChoices(HWND dialog, int id, std::initializer_list<const wchar_t*> choices, int chosen)
{
    for (const wchar_t* choice : choices) {
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    }
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

int chosenIndex(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

std::wstring windowLabel(const WindowIdentity& identity)
{
    return utf8ToWide(identity.title) + L"（" + utf8ToWide(identity.exe) + L"）";
}

void showAnchor(HWND dialog, const WaitForm& form)
{
    const std::wstring text =
        form.input.anchored ? L"跟随窗口：" + windowLabel(form.input.identity) : std::wstring(L"屏幕坐标");
    SetDlgItemTextW(dialog, IDC_WAIT_ANCHOR, text.c_str());
}

// The window a pick lay on, anchoring the point (x, y) to it like a recorded click.
void anchorTo(WaitForm& form, HWND window, POINT point)
{
    WindowCapture capture;
    WindowIdentity identity;
    EventWindow place;
    form.input.anchored = window != nullptr && capture.atPoint(window, point, identity, place);
    if (form.input.anchored) {
        form.input.identity = identity;
        form.input.step.window = place;
        form.originX = point.x - place.x;
        form.originY = point.y - place.y;
    } else {
        form.input.step.window = EventWindow{};
    }
}

// The top-level windows with a title, other than the program's own, topmost first.
BOOL CALLBACK collectWindow(HWND window, LPARAM context)
{
    auto& windows = *reinterpret_cast<std::vector<OpenWindow>*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (!IsWindowVisible(window) || processId == GetCurrentProcessId() || GetWindowTextLengthW(window) == 0) {
        return TRUE;
    }
    WindowCapture capture;
    OpenWindow open;
    if (capture.inFront(window, open.identity)) {
        open.label = windowLabel(open.identity);
        for (const OpenWindow& known : windows) {
            if (known.identity == open.identity) {
                return TRUE;
            }
        }
        windows.push_back(std::move(open));
    }
    return TRUE;
}

// The screen's pixels of a rectangle, with the program's windows out of the way.
bool captureArea(HWND dialog, const RECT& area, PixelBuffer& pixels)
{
    HWND owner = GetWindow(dialog, GW_OWNER);
    ShowWindow(dialog, SW_HIDE);
    if (owner != nullptr) {
        ShowWindow(owner, SW_HIDE);
    }
    Sleep(200);  // the windows below repaint where ours were
    std::vector<WindowIdentity> none;
    ScreenReader reader(none);
    const bool captured = reader.capture(ScreenRect{area.left, area.top, area.right, area.bottom}, pixels);
    if (owner != nullptr) {
        ShowWindow(owner, SW_SHOWNOACTIVATE);
    }
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    return captured;
}

void showPictureSize(HWND dialog, const ScreenWait& wait)
{
    const std::wstring text =
        wait.png.empty() ? std::wstring(L"未拾取")
                         : std::to_wstring(wait.pictureWidth) + L"×" + std::to_wstring(wait.pictureHeight) + L" 像素";
    SetDlgItemTextW(dialog, IDC_WAIT_PICTURE_SIZE, text.c_str());
}

// ---- the parts every wait has: the longest wait, what happens then, the delay ----

void fillCommon(HWND dialog, const WaitForm& form)
{
    SetDlgItemTextW(dialog, IDC_WAIT_TIMEOUT, utf8ToWide(formatJsonNumber(form.input.wait.timeoutSeconds)).c_str());
    fillChoices(dialog, IDC_WAIT_ELSE, {L"停止回放", L"继续下一步"}, form.input.wait.onTimeout == TimeoutAction::Go);
    SetDlgItemTextW(dialog, IDC_WAIT_DELAY, utf8ToWide(formatJsonNumber(form.input.step.delay)).c_str());
}

bool acceptCommon(HWND dialog, WaitForm& form)
{
    if (!parseWaitSeconds(fieldText(dialog, IDC_WAIT_TIMEOUT), form.input.wait.timeoutSeconds)) {
        return refuse(dialog, IDC_WAIT_TIMEOUT, L"最长等待请输入 0.1 到 3600 之间的秒数。");
    }
    form.input.wait.onTimeout = chosenIndex(dialog, IDC_WAIT_ELSE) == 1 ? TimeoutAction::Go : TimeoutAction::Stop;
    if (!parseDelaySeconds(fieldText(dialog, IDC_WAIT_DELAY), form.input.step.delay)) {
        return refuse(dialog, IDC_WAIT_DELAY, L"请输入 0 到 1000000 之间的秒数，例如 0.5。");
    }
    return true;
}

bool acceptTolerance(HWND dialog, WaitForm& form)
{
    if (!parseWholeNumber(fieldText(dialog, IDC_WAIT_TOLERANCE), 0, 255, form.input.wait.tolerance)) {
        return refuse(dialog, IDC_WAIT_TOLERANCE, L"容差请输入 0 到 255 之间的整数。");
    }
    return true;
}

// The step's point from its fields, the anchor keeping its place in the window.
bool acceptPoint(HWND dialog, WaitForm& form)
{
    int32_t x = 0;
    int32_t y = 0;
    if (!parseWholeNumber(fieldText(dialog, IDC_WAIT_X), INT32_MIN, INT32_MAX, x)) {
        return refuse(dialog, IDC_WAIT_X, L"请输入整数坐标（屏幕像素）。");
    }
    if (!parseWholeNumber(fieldText(dialog, IDC_WAIT_Y), INT32_MIN, INT32_MAX, y)) {
        return refuse(dialog, IDC_WAIT_Y, L"请输入整数坐标（屏幕像素）。");
    }
    form.input.step.x = x;
    form.input.step.y = y;
    if (form.input.anchored) {
        form.input.step.window.x = clampToInt32(static_cast<int64_t>(x) - form.originX);
        form.input.step.window.y = clampToInt32(static_cast<int64_t>(y) - form.originY);
    }
    return true;
}

// ---- the window wait ----

void fillWindow(HWND dialog, WaitForm& form)
{
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&form.windows));
    int chosen = -1;
    if (form.input.anchored) {
        for (size_t i = 0; i < form.windows.size() && chosen < 0; ++i) {
            chosen = form.windows[i].identity == form.input.identity ? static_cast<int>(i) : -1;
        }
        if (chosen < 0) {
            form.windows.insert(form.windows.begin(),
                                OpenWindow{form.input.identity, windowLabel(form.input.identity)});
            chosen = 0;
        }
    }
    for (const OpenWindow& window : form.windows) {
        SendDlgItemMessageW(dialog, IDC_WAIT_WINDOW_LIST, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(window.label.c_str()));
    }
    SendDlgItemMessageW(dialog, IDC_WAIT_WINDOW_LIST, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
    fillChoices(dialog, IDC_WAIT_UNTIL, {L"出现", L"在前台", L"消失"}, static_cast<int>(form.input.wait.until));
}

bool acceptWindow(HWND dialog, WaitForm& form)
{
    const int chosen = chosenIndex(dialog, IDC_WAIT_WINDOW_LIST);
    if (chosen < 0 || static_cast<size_t>(chosen) >= form.windows.size()) {
        showMessageBox(dialog, L"请选择要等待的窗口，或用“拾取...”点选。", L"提示", MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, IDC_WAIT_WINDOW_LIST));
        return false;
    }
    form.input.anchored = true;
    form.input.identity = form.windows[static_cast<size_t>(chosen)].identity;
    form.input.step.window = EventWindow{};
    const int until = chosenIndex(dialog, IDC_WAIT_UNTIL);
    form.input.wait.until =
        until == 1 ? WindowCondition::Front : (until == 2 ? WindowCondition::Gone : WindowCondition::Shown);
    return true;
}

void pickWindow(HWND dialog, WaitForm& form)
{
    ScreenPick pick;
    if (!pickOnScreen(dialog, PickShape::Point, pick) || pick.window == nullptr) {
        return;
    }
    WindowCapture capture;
    OpenWindow picked;
    if (!capture.inFront(pick.window, picked.identity)) {
        return;
    }
    picked.label = windowLabel(picked.identity);
    form.windows.push_back(picked);
    const LRESULT at = SendDlgItemMessageW(dialog, IDC_WAIT_WINDOW_LIST, CB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>(picked.label.c_str()));
    SendDlgItemMessageW(dialog, IDC_WAIT_WINDOW_LIST, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
}

// ---- the colour wait ----

void fillColour(HWND dialog, WaitForm& form)
{
    setNumber(dialog, IDC_WAIT_X, form.input.step.x);
    setNumber(dialog, IDC_WAIT_Y, form.input.step.y);
    SetDlgItemTextW(dialog, IDC_WAIT_COLOUR, utf8ToWide(colourText(form.input.wait.rgb)).c_str());
    setNumber(dialog, IDC_WAIT_TOLERANCE, form.input.wait.tolerance);
    CheckDlgButton(dialog, IDC_WAIT_NOT, form.input.wait.absent ? BST_CHECKED : BST_UNCHECKED);
    showAnchor(dialog, form);
}

bool acceptColour(HWND dialog, WaitForm& form)
{
    if (!acceptPoint(dialog, form)) {
        return false;
    }
    if (!parseColourText(fieldText(dialog, IDC_WAIT_COLOUR), form.input.wait.rgb)) {
        return refuse(dialog, IDC_WAIT_COLOUR, L"颜色请写成 #RRGGBB，例如 #1E90FF。");
    }
    form.input.wait.absent = IsDlgButtonChecked(dialog, IDC_WAIT_NOT) == BST_CHECKED;
    return acceptTolerance(dialog, form);
}

void pickColour(HWND dialog, WaitForm& form)
{
    ScreenPick pick;
    if (!pickOnScreen(dialog, PickShape::Point, pick)) {
        return;
    }
    anchorTo(form, pick.window, pick.point);
    form.input.step.x = pick.point.x;
    form.input.step.y = pick.point.y;
    form.input.wait.rgb = rgbOfColorref(pick.colour);
    setNumber(dialog, IDC_WAIT_X, pick.point.x);
    setNumber(dialog, IDC_WAIT_Y, pick.point.y);
    SetDlgItemTextW(dialog, IDC_WAIT_COLOUR, utf8ToWide(colourText(form.input.wait.rgb)).c_str());
    showAnchor(dialog, form);
}

// ---- the picture wait ----

enum class SearchArea { Screen = 0, Client = 1, Rectangle = 2 };

SearchArea areaOf(const WaitForm& form)
{
    if (form.input.wait.areaWidth > 0) {
        return SearchArea::Rectangle;
    }
    return form.input.anchored ? SearchArea::Client : SearchArea::Screen;
}

void enableRectangle(HWND dialog)
{
    const bool rectangle = chosenIndex(dialog, IDC_WAIT_AREA) == static_cast<int>(SearchArea::Rectangle);
    for (int id : {IDC_WAIT_X, IDC_WAIT_Y, IDC_WAIT_CX, IDC_WAIT_CY, IDC_WAIT_PICK_AREA}) {
        EnableWindow(GetDlgItem(dialog, id), rectangle);
    }
}

void fillPicture(HWND dialog, WaitForm& form)
{
    showPictureSize(dialog, form.input.wait);
    fillChoices(dialog, IDC_WAIT_AREA, {L"全屏", L"窗口客户区", L"矩形"}, static_cast<int>(areaOf(form)));
    setNumber(dialog, IDC_WAIT_X, form.input.step.x);
    setNumber(dialog, IDC_WAIT_Y, form.input.step.y);
    setNumber(dialog, IDC_WAIT_CX, form.input.wait.areaWidth);
    setNumber(dialog, IDC_WAIT_CY, form.input.wait.areaHeight);
    setNumber(dialog, IDC_WAIT_TOLERANCE, form.input.wait.tolerance);
    fillChoices(dialog, IDC_WAIT_CLICK, {L"不点击", L"单击", L"右击", L"双击"},
                static_cast<int>(form.input.wait.click));
    fillChoices(dialog, IDC_WAIT_CLICK_AT, {L"图像中心", L"拾取时按下处"}, form.input.wait.clickAtPoint ? 1 : 0);
    enableRectangle(dialog);
    showAnchor(dialog, form);
}

bool acceptPicture(HWND dialog, WaitForm& form)
{
    ScreenWait& wait = form.input.wait;
    if (wait.png.empty()) {
        showMessageBox(dialog, L"请先用“拾取图像...”在屏幕上拖出要等待的图像。", L"提示", MB_OK | MB_ICONWARNING);
        return false;
    }
    const auto area = static_cast<SearchArea>(chosenIndex(dialog, IDC_WAIT_AREA));
    if (area == SearchArea::Rectangle) {
        if (!acceptPoint(dialog, form) ||
            !parseWholeNumber(fieldText(dialog, IDC_WAIT_CX), 1, INT32_MAX, wait.areaWidth)) {
            return refuse(dialog, IDC_WAIT_CX, L"搜索矩形的宽和高请输入正整数。");
        }
        if (!parseWholeNumber(fieldText(dialog, IDC_WAIT_CY), 1, INT32_MAX, wait.areaHeight)) {
            return refuse(dialog, IDC_WAIT_CY, L"搜索矩形的宽和高请输入正整数。");
        }
    } else {
        wait.areaWidth = wait.areaHeight = 0;
        if (area == SearchArea::Client && !form.input.anchored) {
            showMessageBox(dialog, L"窗口客户区要知道是哪个窗口：请在窗口上拾取图像。", L"提示",
                           MB_OK | MB_ICONWARNING);
            return false;
        }
        if (area == SearchArea::Client) {
            // The client area's corner: the step's point is the client origin.
            form.input.step.x = form.originX;
            form.input.step.y = form.originY;
            form.input.step.window.x = 0;
            form.input.step.window.y = 0;
        } else {
            form.input.anchored = false;
            form.input.step.window = EventWindow{};
            form.input.step.x = form.input.step.y = 0;
        }
    }
    const int click = chosenIndex(dialog, IDC_WAIT_CLICK);
    wait.click = click >= 1 && click <= 3 ? static_cast<FoundClick>(click) : FoundClick::None;
    wait.clickAtPoint = wait.click != FoundClick::None && chosenIndex(dialog, IDC_WAIT_CLICK_AT) == 1 &&
                        wait.clickX >= 0 && wait.clickX < wait.pictureWidth;
    return acceptTolerance(dialog, form);
}

void pickPicture(HWND dialog, WaitForm& form)
{
    ScreenPick pick;
    if (!pickOnScreen(dialog, PickShape::PointOrRectangle, pick) || !pick.rectangle) {
        return;
    }
    const RECT& area = pick.area;
    if (area.right - area.left > kMaxPictureSide || area.bottom - area.top > kMaxPictureSide) {
        showMessageBox(dialog, L"图像最大 256 × 256 像素，请拖出小一些的区域。", L"提示", MB_OK | MB_ICONWARNING);
        return;
    }
    PixelBuffer pixels;
    std::string png;
    if (!captureArea(dialog, area, pixels) || !encodePngPicture(pixels.view(), png)) {
        showMessageBox(dialog, L"无法读取屏幕上的这块区域。", L"提示", MB_OK | MB_ICONWARNING);
        return;
    }
    ScreenWait& wait = form.input.wait;
    wait.png = std::move(png);
    wait.pictureWidth = pixels.width;
    wait.pictureHeight = pixels.height;
    // Where the press was, inside the picture: a click there instead of at the centre.
    wait.clickX = pick.point.x - area.left;
    wait.clickY = pick.point.y - area.top;
    wait.clickX = wait.clickX < 0 ? 0 : (wait.clickX >= pixels.width ? pixels.width - 1 : wait.clickX);
    wait.clickY = wait.clickY < 0 ? 0 : (wait.clickY >= pixels.height ? pixels.height - 1 : wait.clickY);
    // The window the picture lies on: its client area can be the search area.
    WindowCapture capture;
    WindowIdentity identity;
    EventWindow place;
    if (pick.window != nullptr && capture.atPoint(pick.window, POINT{area.left, area.top}, identity, place)) {
        form.input.anchored = true;
        form.input.identity = identity;
        form.input.step.window = place;
        form.originX = area.left - place.x;
        form.originY = area.top - place.y;
    }
    showPictureSize(dialog, wait);
    showAnchor(dialog, form);
}

void pickSearchArea(HWND dialog, WaitForm& form)
{
    ScreenPick pick;
    if (!pickOnScreen(dialog, PickShape::PointOrRectangle, pick) || !pick.rectangle) {
        return;
    }
    anchorTo(form, pick.window, POINT{pick.area.left, pick.area.top});
    setNumber(dialog, IDC_WAIT_X, pick.area.left);
    setNumber(dialog, IDC_WAIT_Y, pick.area.top);
    setNumber(dialog, IDC_WAIT_CX, pick.area.right - pick.area.left);
    setNumber(dialog, IDC_WAIT_CY, pick.area.bottom - pick.area.top);
    showAnchor(dialog, form);
}

// ---- the form ----

void fillForm(HWND dialog, void* data)
{
    WaitForm& form = *static_cast<WaitForm*>(data);
    switch (form.input.step.kind) {
    case EventKind::WaitWindow: fillWindow(dialog, form); break;
    case EventKind::WaitColour: fillColour(dialog, form); break;
    default: fillPicture(dialog, form); break;
    }
    fillCommon(dialog, form);
    SetFocus(GetDlgItem(dialog, form.input.step.kind == EventKind::WaitWindow ? IDC_WAIT_WINDOW_LIST : IDC_WAIT_PICK));
}

bool acceptForm(HWND dialog, void* data)
{
    WaitForm& form = *static_cast<WaitForm*>(data);
    bool accepted = false;
    switch (form.input.step.kind) {
    case EventKind::WaitWindow: accepted = acceptWindow(dialog, form); break;
    case EventKind::WaitColour: accepted = acceptColour(dialog, form); break;
    default: accepted = acceptPicture(dialog, form); break;
    }
    return accepted && acceptCommon(dialog, form);
}

bool formCommand(HWND dialog, void* data, WPARAM wParam)
{
    WaitForm& form = *static_cast<WaitForm*>(data);
    switch (LOWORD(wParam)) {
    case IDC_WAIT_PICK:
        if (form.input.step.kind == EventKind::WaitWindow) {
            pickWindow(dialog, form);
        } else if (form.input.step.kind == EventKind::WaitColour) {
            pickColour(dialog, form);
        } else {
            pickPicture(dialog, form);
        }
        return true;
    case IDC_WAIT_PICK_AREA: pickSearchArea(dialog, form); return true;
    case IDC_WAIT_AREA:
        if (HIWORD(wParam) == CBN_SELCHANGE) {
            enableRectangle(dialog);
        }
        return true;
    default: return false;
    }
}

constexpr DWORD kEditStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kListStyle = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;

void addLabel(DialogTemplate& layout, const wchar_t* text, short x, short y, short width)
{
    layout.add(DialogTemplate::kStaticClass, -1, text, SS_LEFT, x, static_cast<short>(y + 2), width, 10);
}

// The rows of each kind, from the top; returns where the common rows start.
short addKindRows(DialogTemplate& layout, EventKind kind)
{
    switch (kind) {
    case EventKind::WaitWindow:
        addLabel(layout, L"窗口：", 8, 8, 60);
        layout.add(DialogTemplate::kComboBoxClass, IDC_WAIT_WINDOW_LIST, L"", kListStyle, 70, 8, 170, 120);
        layout.add(DialogTemplate::kButtonClass, IDC_WAIT_PICK, L"拾取...", BS_PUSHBUTTON | WS_TABSTOP, 246, 7, 46, 14);
        addLabel(layout, L"等到窗口：", 8, 28, 60);
        layout.add(DialogTemplate::kComboBoxClass, IDC_WAIT_UNTIL, L"", kListStyle, 70, 28, 80, 60);
        return 50;
    case EventKind::WaitColour:
        addLabel(layout, L"位置 X：", 8, 8, 40);
        layout.add(DialogTemplate::kEditClass, IDC_WAIT_X, L"", kEditStyle, 50, 8, 50, 12);
        addLabel(layout, L"Y：", 108, 8, 14);
        layout.add(DialogTemplate::kEditClass, IDC_WAIT_Y, L"", kEditStyle, 124, 8, 50, 12);
        layout.add(DialogTemplate::kButtonClass, IDC_WAIT_PICK, L"拾取...", BS_PUSHBUTTON | WS_TABSTOP, 246, 7, 46, 14);
        addLabel(layout, L"颜色：", 8, 28, 40);
        layout.add(DialogTemplate::kEditClass, IDC_WAIT_COLOUR, L"", kEditStyle, 50, 28, 60, 12);
        addLabel(layout, L"容差：", 118, 28, 30);
        layout.add(DialogTemplate::kEditClass, IDC_WAIT_TOLERANCE, L"", kEditStyle, 150, 28, 30, 12);
        layout.add(DialogTemplate::kButtonClass, IDC_WAIT_NOT, L"等到不再是这个颜色", BS_AUTOCHECKBOX | WS_TABSTOP, 8,
                   46, 200, 12);
        layout.add(DialogTemplate::kStaticClass, IDC_WAIT_ANCHOR, L"", SS_LEFT | SS_ENDELLIPSIS, 8, 64, 284, 10);
        return 82;
    default:
        addLabel(layout, L"图像：", 8, 8, 40);
        layout.add(DialogTemplate::kStaticClass, IDC_WAIT_PICTURE_SIZE, L"", SS_LEFT, 50, 10, 100, 10);
        layout.add(DialogTemplate::kButtonClass, IDC_WAIT_PICK, L"拾取图像...", BS_PUSHBUTTON | WS_TABSTOP, 232, 7, 60,
                   14);
        addLabel(layout, L"搜索范围：", 8, 28, 44);
        layout.add(DialogTemplate::kComboBoxClass, IDC_WAIT_AREA, L"", kListStyle, 54, 28, 80, 60);
        layout.add(DialogTemplate::kButtonClass, IDC_WAIT_PICK_AREA, L"拾取区域...", BS_PUSHBUTTON | WS_TABSTOP, 232,
                   27, 60, 14);
        addLabel(layout, L"X：", 8, 46, 12);
        layout.add(DialogTemplate::kEditClass, IDC_WAIT_X, L"", kEditStyle, 22, 46, 44, 12);
        addLabel(layout, L"Y：", 72, 46, 12);
        layout.add(DialogTemplate::kEditClass, IDC_WAIT_Y, L"", kEditStyle, 86, 46, 44, 12);
        addLabel(layout, L"宽：", 136, 46, 16);
        layout.add(DialogTemplate::kEditClass, IDC_WAIT_CX, L"", kEditStyle, 154, 46, 44, 12);
        addLabel(layout, L"高：", 204, 46, 16);
        layout.add(DialogTemplate::kEditClass, IDC_WAIT_CY, L"", kEditStyle, 222, 46, 44, 12);
        addLabel(layout, L"容差：", 8, 66, 30);
        layout.add(DialogTemplate::kEditClass, IDC_WAIT_TOLERANCE, L"", kEditStyle, 40, 66, 30, 12);
        addLabel(layout, L"找到后：", 8, 86, 36);
        layout.add(DialogTemplate::kComboBoxClass, IDC_WAIT_CLICK, L"", kListStyle, 46, 86, 60, 80);
        addLabel(layout, L"点击位置：", 114, 86, 44);
        layout.add(DialogTemplate::kComboBoxClass, IDC_WAIT_CLICK_AT, L"", kListStyle, 160, 86, 90, 60);
        layout.add(DialogTemplate::kStaticClass, IDC_WAIT_ANCHOR, L"", SS_LEFT | SS_ENDELLIPSIS, 8, 104, 284, 10);
        return 122;
    }
}

}  // namespace

bool showWaitStepDialog(HWND owner, const wchar_t* title, WaitStepInput& input)
{
    DialogTemplate probe(0, 0, 0, L"", 9, L"Microsoft YaHei");
    const short top = addKindRows(probe, input.step.kind);
    DialogTemplate layout(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 300,
                          static_cast<short>(top + 62), title, 9, L"Microsoft YaHei");
    addKindRows(layout, input.step.kind);
    addLabel(layout, L"最长等待（秒）：", 8, top, 70);
    layout.add(DialogTemplate::kEditClass, IDC_WAIT_TIMEOUT, L"", kEditStyle, 80, top, 50, 12);
    addLabel(layout, L"超时后：", 140, top, 36);
    layout.add(DialogTemplate::kComboBoxClass, IDC_WAIT_ELSE, L"", kListStyle, 178, top, 80, 60);
    addLabel(layout, L"之前的延迟（秒）：", 8, static_cast<short>(top + 20), 70);
    layout.add(DialogTemplate::kEditClass, IDC_WAIT_DELAY, L"", kEditStyle, 80, static_cast<short>(top + 20), 50, 12);
    layout.add(DialogTemplate::kButtonClass, IDOK, L"确定", BS_DEFPUSHBUTTON | WS_TABSTOP, 188,
               static_cast<short>(top + 42), 50, 14);
    layout.add(DialogTemplate::kButtonClass, IDCANCEL, L"取消", BS_PUSHBUTTON | WS_TABSTOP, 242,
               static_cast<short>(top + 42), 50, 14);
    WaitForm form;
    form.input = input;
    form.originX = input.step.x - input.step.window.x;
    form.originY = input.step.y - input.step.window.y;
    if (!layout.runForm(owner, DialogForm{&form, &fillForm, &acceptForm, &formCommand})) {
        return false;
    }
    input = std::move(form.input);
    return true;
}
