#include "ui/step_dialogs.h"

#include <string>
#include <vector>
#include <commctrl.h>

#include "base/dialog_template.h"
#include "base/message_box.h"
#include "base/text_encoding.h"
#include "recorder/window_capture_win.h"
#include "script/script_edits.h"
#include "script/script_file.h"
#include "script/step_changes.h"
#include "ui/chord_keys_win.h"
#include "ui/screen_picker.h"
#include "ui/step_fields.h"

AskKeyStepFn askKeyStepSeam = &showKeyStepDialog;
AskPointStepFn askPointStepSeam = &showPointStepDialog;
AskPauseFn askPauseSeam = &showPauseDialog;
AskRowNumberFn askRowNumberSeam = &showRowNumberDialog;

namespace {

constexpr WORD kButtonClass = DialogTemplate::kButtonClass;
constexpr WORD kEditClass = DialogTemplate::kEditClass;
constexpr WORD kStaticClass = DialogTemplate::kStaticClass;
constexpr DWORD kFieldStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;

// The one shape of the editor's dialogs: a frame of the given height in dialog units, with the
// delay row (when wanted) and OK and Cancel at the bottom.
DialogTemplate stepTemplate(const wchar_t* title, short height, bool withDelay)
{
    const short bottom = static_cast<short>(height - 20);
    DialogTemplate layout(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 220, height, title, 9,
                          L"Microsoft YaHei");
    if (withDelay) {
        layout.add(kStaticClass, -1, L"之前的延迟（秒）(&E)：", SS_LEFT, 8, static_cast<short>(bottom - 22), 90, 10);
        layout.add(kEditClass, IDC_STEP_DELAY, L"", kFieldStyle, 100, static_cast<short>(bottom - 24), 60, 12);
    }
    layout.add(kButtonClass, IDOK, L"确定", BS_DEFPUSHBUTTON | WS_TABSTOP, 108, bottom, 50, 14);
    layout.add(kButtonClass, IDCANCEL, L"取消", BS_PUSHBUTTON | WS_TABSTOP, 162, bottom, 50, 14);
    return layout;
}

std::wstring fieldText(HWND dialog, int id)
{
    wchar_t text[64] = L"";
    GetDlgItemTextW(dialog, id, text, 64);
    return text;
}

void refuse(HWND dialog, int field, const wchar_t* why)
{
    showMessageBox(dialog, why, L"提示", MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(dialog, field));
    SendDlgItemMessageW(dialog, field, EM_SETSEL, 0, -1);
}

void showSeconds(HWND dialog, int id, double seconds)
{
    SetDlgItemTextW(dialog, id, utf8ToWide(formatJsonNumber(seconds)).c_str());
}

bool readDelay(HWND dialog, double& seconds)
{
    if (!parseDelaySeconds(fieldText(dialog, IDC_STEP_DELAY), seconds)) {
        refuse(dialog, IDC_STEP_DELAY, L"请输入 0 到 1000000 之间的秒数，例如 0.5。");
        return false;
    }
    return true;
}

void focusField(HWND dialog, int id)
{
    SendDlgItemMessageW(dialog, id, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, id));
}

// ---- the key field ------------------------------------------------------------------------

struct KeyDialogState {
    KeyStepInput step;
    uint8_t held = 0;       // the modifiers down now, while a chord is being pressed
    uint32_t lastHeld = 0;  // the last modifier pressed, for a modifier let go alone
    bool keySince = false;  // a key other than a modifier came since the first modifier
    KeyTakingField keys;
};

bool isDown(int virtualKey)
{
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

uint8_t heldStepModifiers()
{
    return static_cast<uint8_t>((isDown(VK_CONTROL) ? kStepCtrl : 0) | (isDown(VK_MENU) ? kStepAlt : 0) |
                                (isDown(VK_SHIFT) ? kStepShift : 0) |
                                (isDown(VK_LWIN) || isDown(VK_RWIN) ? kStepWin : 0));
}

// The left or right key of a modifier, as a recording names it.
uint32_t sidedKey(UINT virtualKey, LPARAM keyData)
{
    const bool extended = (keyData & (1 << 24)) != 0;
    switch (virtualKey) {
    case VK_CONTROL: return extended ? VK_RCONTROL : VK_LCONTROL;
    case VK_MENU: return extended ? VK_RMENU : VK_LMENU;
    case VK_SHIFT: return ((keyData >> 16) & 0xFF) == 0x36 ? VK_RSHIFT : VK_LSHIFT;
    default: return virtualKey;
    }
}

std::wstring keyText(uint32_t key, uint8_t modifiers)
{
    std::string text;
    for (const auto& part : {std::make_pair(kStepCtrl, "Ctrl+"), std::make_pair(kStepAlt, "Alt+"),
                             std::make_pair(kStepShift, "Shift+"), std::make_pair(kStepWin, "Win+")}) {
        if ((modifiers & part.first) != 0) {
            text += part.second;
        }
    }
    if (key != 0) {
        text += keyNameForVirtualKey(key);
    }
    return text.empty() ? std::wstring(L"（请按键）") : utf8ToWide(text);
}

// Plain Tab (with or without Shift) and Esc move on and cancel as in every dialog.
bool isStepDialogKey(UINT virtualKey)
{
    return (virtualKey == VK_TAB || virtualKey == VK_ESCAPE) &&
           (heldStepModifiers() & (kStepCtrl | kStepAlt | kStepWin)) == 0;
}

void onKeyDown(HWND field, void* context, UINT virtualKey, LPARAM keyData)
{
    KeyDialogState& state = *static_cast<KeyDialogState*>(context);
    KeyStepInput& step = state.step;
    const uint32_t key = sidedKey(virtualKey, keyData);
    if (!step.chord) {
        step.virtualKey = key;
        step.modifiers = 0;
    } else if (isModifierKey(key)) {
        if (state.held == 0) {
            state.keySince = false;
        }
        state.held = heldStepModifiers();
        state.lastHeld = key;
        SetWindowTextW(field, keyText(0, state.held).c_str());
        return;
    } else {
        step.virtualKey = key;
        step.modifiers = heldStepModifiers();
        state.keySince = true;
    }
    SetWindowTextW(field, keyText(step.virtualKey, step.modifiers).c_str());
}

void onKeyUp(HWND field, void* context, UINT virtualKey, LPARAM keyData)
{
    KeyDialogState& state = *static_cast<KeyDialogState*>(context);
    if (!state.step.chord || !isModifierKey(sidedKey(virtualKey, keyData))) {
        return;
    }
    state.held = heldStepModifiers();
    if (state.held == 0) {
        if (!state.keySince && state.lastHeld != 0) {
            state.step.virtualKey = state.lastHeld;  // a modifier pressed and let go alone
            state.step.modifiers = 0;
        }
        state.lastHeld = 0;
        SetWindowTextW(field, keyText(state.step.virtualKey, state.step.modifiers).c_str());
    }
}

void fillKey(HWND dialog, void* data)
{
    auto& state = *static_cast<KeyDialogState*>(data);
    HWND field = GetDlgItem(dialog, IDC_STEP_KEY);
    SetWindowTextW(field, keyText(state.step.virtualKey, state.step.modifiers).c_str());
    state.keys = KeyTakingField{&onKeyDown, &onKeyUp, &isStepDialogKey, &state};
    takeKeysInField(field, state.keys);
    showSeconds(dialog, IDC_STEP_DELAY, state.step.delay);
    SetFocus(field);
}

bool acceptKey(HWND dialog, void* data)
{
    auto& state = *static_cast<KeyDialogState*>(data);
    if (state.step.virtualKey == 0) {
        showMessageBox(dialog, L"请在按键框中按下要输入的按键。", L"提示", MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, IDC_STEP_KEY));
        return false;
    }
    return readDelay(dialog, state.step.delay);
}

// ---- the point form -----------------------------------------------------------------------

struct PointDialogState {
    PointStepInput step;
    POINT pickedAt{};
};

void checkButton(HWND dialog, MouseButton button)
{
    const int id = button == MouseButton::Right ? IDC_STEP_RIGHT
                                                : (button == MouseButton::Middle ? IDC_STEP_MIDDLE : IDC_STEP_LEFT);
    CheckRadioButton(dialog, IDC_STEP_LEFT, IDC_STEP_MIDDLE, id);
}

void fillPoint(HWND dialog, void* data)
{
    const PointStepInput& step = static_cast<PointDialogState*>(data)->step;
    SetDlgItemTextW(dialog, IDC_STEP_X, std::to_wstring(step.x).c_str());
    SetDlgItemTextW(dialog, IDC_STEP_Y, std::to_wstring(step.y).c_str());
    showSeconds(dialog, IDC_STEP_DELAY, step.delay);
    if (step.withButton) {
        checkButton(dialog, step.button);
    }
    if (step.withDouble) {
        CheckRadioButton(dialog, IDC_STEP_SINGLE, IDC_STEP_DOUBLE,
                         step.doubleClick ? IDC_STEP_DOUBLE : IDC_STEP_SINGLE);
    }
    focusField(dialog, IDC_STEP_X);
}

bool pickPoint(HWND dialog, void* data, WPARAM wParam)
{
    if (LOWORD(wParam) != IDC_STEP_PICK || HIWORD(wParam) != BN_CLICKED) {
        return false;
    }
    auto& state = *static_cast<PointDialogState*>(data);
    ScreenPick pick;
    if (!pickOnScreen(dialog, PickShape::Point, pick)) {
        return true;  // cancelled: the fields stay as they were
    }
    SetDlgItemTextW(dialog, IDC_STEP_X, std::to_wstring(pick.point.x).c_str());
    SetDlgItemTextW(dialog, IDC_STEP_Y, std::to_wstring(pick.point.y).c_str());
    state.step.picked = false;
    if (pick.window != nullptr) {
        // Anchored to the window under the point as a recorded click is.
        WindowCapture capture;
        state.step.picked = capture.atPoint(pick.window, pick.point, state.step.identity, state.step.place);
        state.pickedAt = pick.point;
    }
    return true;
}

bool acceptPoint(HWND dialog, void* data)
{
    auto& state = *static_cast<PointDialogState*>(data);
    PointStepInput& step = state.step;
    int32_t x = 0;
    int32_t y = 0;
    for (const auto& field : {std::make_pair(IDC_STEP_X, &x), std::make_pair(IDC_STEP_Y, &y)}) {
        if (!parseWholeNumber(fieldText(dialog, field.first), *field.second)) {
            refuse(dialog, field.first, L"请输入屏幕坐标（整数像素，可为负数）。");
            return false;
        }
    }
    double delay = 0.0;
    if (!readDelay(dialog, delay)) {
        return false;
    }
    step.x = x;
    step.y = y;
    step.delay = delay;
    // Coordinates typed after a pick are no longer the picked window's place.
    step.picked = step.picked && x == state.pickedAt.x && y == state.pickedAt.y;
    if (step.withButton) {
        step.button = IsDlgButtonChecked(dialog, IDC_STEP_RIGHT) == BST_CHECKED
                          ? MouseButton::Right
                          : (IsDlgButtonChecked(dialog, IDC_STEP_MIDDLE) == BST_CHECKED ? MouseButton::Middle
                                                                                        : MouseButton::Left);
    }
    step.doubleClick = step.withDouble && IsDlgButtonChecked(dialog, IDC_STEP_DOUBLE) == BST_CHECKED;
    return true;
}

// ---- one number ---------------------------------------------------------------------------

struct NumberDialogState {
    bool seconds = false;  // a pause in seconds, else a row number up to rows
    size_t rows = 0;
    double pause = 0.0;
    size_t row = 0;
};

void fillNumber(HWND dialog, void* data)
{
    const auto& state = *static_cast<NumberDialogState*>(data);
    if (state.seconds) {
        showSeconds(dialog, IDC_STEP_NUMBER, state.pause);
    } else {
        SetDlgItemTextW(dialog, IDC_STEP_NUMBER, std::to_wstring(state.row).c_str());
    }
    focusField(dialog, IDC_STEP_NUMBER);
}

bool acceptNumber(HWND dialog, void* data)
{
    auto& state = *static_cast<NumberDialogState*>(data);
    if (state.seconds) {
        if (!parseDelaySeconds(fieldText(dialog, IDC_STEP_NUMBER), state.pause) || state.pause <= 0.0) {
            refuse(dialog, IDC_STEP_NUMBER, L"请输入 0 到 1000000 之间的秒数，例如 0.5。");
            return false;
        }
        return true;
    }
    int32_t row = 0;
    if (!parseWholeNumber(fieldText(dialog, IDC_STEP_NUMBER), row) || row < 1 ||
        static_cast<size_t>(row) > state.rows) {
        const std::wstring why = L"请输入 1 到 " + std::to_wstring(state.rows) + L" 之间的行号。";
        refuse(dialog, IDC_STEP_NUMBER, why.c_str());
        return false;
    }
    state.row = static_cast<size_t>(row);
    return true;
}

bool runNumberDialog(HWND owner, const wchar_t* title, const wchar_t* label, NumberDialogState& state)
{
    DialogTemplate layout = stepTemplate(title, 58, false);
    layout.add(kStaticClass, -1, label, SS_LEFT, 8, 12, 110, 10);
    layout.add(kEditClass, IDC_STEP_NUMBER, L"", kFieldStyle, 120, 10, 92, 12);
    return layout.runForm(owner, DialogForm{&state, &fillNumber, &acceptNumber});
}

}  // namespace

bool showKeyStepDialog(HWND owner, const wchar_t* title, KeyStepInput& step)
{
    DialogTemplate layout = stepTemplate(title, 100, true);
    layout.add(kStaticClass, -1, L"按键(&K)：", SS_LEFT, 8, 12, 90, 10);
    layout.add(kEditClass, IDC_STEP_KEY, L"", kFieldStyle, 100, 10, 112, 12);
    layout.add(kStaticClass, -1,
               step.chord ? L"在框中按下按键，可与 Ctrl、Alt、Shift、Win 组合；只按一个修饰键再松开即为该键。"
                          : L"在框中按下新的按键。",
               SS_LEFT, 8, 28, 204, 20);
    KeyDialogState state;
    state.step = step;
    if (!layout.runForm(owner, DialogForm{&state, &fillKey, &acceptKey})) {
        return false;
    }
    step = state.step;
    return true;
}

bool showPointStepDialog(HWND owner, const wchar_t* title, PointStepInput& step)
{
    short y = 8;
    short height = 80;
    height = static_cast<short>(height + (step.withButton ? 18 : 0) + (step.withDouble ? 18 : 0));
    DialogTemplate layout = stepTemplate(title, height, true);
    if (step.withButton) {
        layout.add(kStaticClass, -1, L"按钮：", SS_LEFT, 8, static_cast<short>(y + 2), 40, 10);
        layout.add(kButtonClass, IDC_STEP_LEFT, L"左键(&L)", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 50, y, 50, 12);
        layout.add(kButtonClass, IDC_STEP_RIGHT, L"右键(&R)", BS_AUTORADIOBUTTON, 104, y, 50, 12);
        layout.add(kButtonClass, IDC_STEP_MIDDLE, L"中键(&M)", BS_AUTORADIOBUTTON, 158, y, 50, 12);
        y = static_cast<short>(y + 18);
    }
    if (step.withDouble) {
        layout.add(kButtonClass, IDC_STEP_SINGLE, L"单击(&S)", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 50, y, 50,
                   12);
        layout.add(kButtonClass, IDC_STEP_DOUBLE, L"双击(&D)", BS_AUTORADIOBUTTON, 104, y, 50, 12);
        y = static_cast<short>(y + 18);
    }
    layout.add(kStaticClass, -1, L"屏幕坐标 &X：", SS_LEFT, 8, static_cast<short>(y + 2), 48, 10);
    layout.add(kEditClass, IDC_STEP_X, L"", kFieldStyle | WS_GROUP, 58, y, 40, 12);
    layout.add(kStaticClass, -1, L"&Y：", SS_LEFT, 104, static_cast<short>(y + 2), 14, 10);
    layout.add(kEditClass, IDC_STEP_Y, L"", kFieldStyle, 120, y, 40, 12);
    layout.add(kButtonClass, IDC_STEP_PICK, L"拾取(&P)...", BS_PUSHBUTTON | WS_TABSTOP, 166, static_cast<short>(y - 1),
               46, 14);
    PointDialogState state;
    state.step = step;
    state.step.picked = false;
    if (!layout.runForm(owner, DialogForm{&state, &fillPoint, &acceptPoint, &pickPoint})) {
        return false;
    }
    step = state.step;
    return true;
}

bool showPauseDialog(HWND owner, double& seconds)
{
    NumberDialogState state;
    state.seconds = true;
    state.pause = seconds;
    if (!runNumberDialog(owner, L"插入延迟", L"在所选步骤之前暂停（秒）(&S)：", state)) {
        return false;
    }
    seconds = state.pause;
    return true;
}

bool showRowNumberDialog(HWND owner, size_t rows, size_t& number)
{
    NumberDialogState state;
    state.rows = rows;
    state.row = number;
    const std::wstring label = L"行号（1 到 " + std::to_wstring(rows) + L"）(&N)：";
    if (!runNumberDialog(owner, L"转到行", label.c_str(), state)) {
        return false;
    }
    number = state.row;
    return true;
}
