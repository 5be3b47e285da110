#include "ui/settings_dialog.h"

#include <functional>
#include <string>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "base/dialog_template.h"
#include "base/text_encoding.h"
#include "ui/chord_keys_win.h"

namespace {

// ---- the template, in dialog units of the dialog's font --------------------------------------

constexpr WORD kButtonClass = DialogTemplate::kButtonClass;
constexpr WORD kEditClass = DialogTemplate::kEditClass;
constexpr WORD kStaticClass = DialogTemplate::kStaticClass;

DialogTemplate settingsTemplate()
{
    DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 244, 262, L"设置", 9,
                          L"Microsoft YaHei");
    dialog.add(kStaticClass, -1, L"录制键(&R)：", SS_LEFT, 10, 13, 76, 10);
    dialog.add(kEditClass, kRecordField, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 88, 10, 146, 14);
    dialog.add(kStaticClass, -1, L"备用录制键(&A)：", SS_LEFT, 10, 33, 76, 10);
    dialog.add(kEditClass, kRecordAltField, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 88, 30, 146, 14);
    dialog.add(kStaticClass, -1, L"停止键(&T)：", SS_LEFT, 10, 53, 76, 10);
    dialog.add(kEditClass, kStopField, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 88, 50, 146, 14);
    dialog.add(kStaticClass, -1,
               L"在框中按下新的按键，可与 Ctrl、Alt、Shift、Win 组合；在备用录制键框中按 Backspace 表示不用。", SS_LEFT,
               10, 90, 224, 20);
    dialog.add(kButtonClass, kStopOnUserInputBox, L"用户移动鼠标时停止回放", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 114, 224,
               12);
    dialog.add(kButtonClass, kFollowWindowsBox, L"回放时跟随窗口（窗口移动或较晚出现时仍点中原处）",
               BS_AUTOCHECKBOX | WS_TABSTOP, 10, 130, 224, 12);
    dialog.add(kStaticClass, -1, L"等待窗口最长", SS_LEFT, 22, 149, 52, 10);
    dialog.add(kEditClass, kWindowWaitField, L"", WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, 76, 146, 36, 14);
    dialog.add(kStaticClass, -1, L"秒", SS_LEFT, 116, 149, 20, 10);
    dialog.add(kStaticClass, -1, L"两遍之间等待(&G)", SS_LEFT, 10, 169, 64, 10);
    dialog.add(kEditClass, kPassGapField, L"", WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, 76, 166, 36, 14);
    dialog.add(kStaticClass, -1, L"秒", SS_LEFT, 116, 169, 20, 10);
    dialog.add(kButtonClass, kTrayIconBox, L"在通知区域显示图标", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 186, 224, 12);
    dialog.add(kButtonClass, kMinimizeToTrayBox, L"最小化时隐藏到通知区域", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 202, 224,
               12);
    // Placed under the stop key but last in the tab order: the fields the keyboard reached before
    // keep their order.
    dialog.add(kStaticClass, -1, L"暂停键(&P)：", SS_LEFT, 10, 73, 76, 10);
    dialog.add(kEditClass, kPauseField, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 88, 70, 146, 14);
    dialog.add(kStaticClass, kErrorText, L"", SS_LEFT, 10, 218, 224, 20);
    dialog.add(kButtonClass, IDOK, L"确定", BS_DEFPUSHBUTTON | WS_TABSTOP, 128, 242, 50, 14);
    dialog.add(kButtonClass, IDCANCEL, L"取消", BS_PUSHBUTTON | WS_TABSTOP, 184, 242, 50, 14);
    return dialog;
}

// ---- the dialog's state -------------------------------------------------------------------

struct SettingsDialogState {
    UserSettings settings;  // what the fields show
    ChordField chordFields[4];
    const SettingsDialogCalls* calls = nullptr;
    std::wstring error;
};

const wchar_t* fieldName(HotkeyField field)
{
    switch (field) {
    case HotkeyField::RecordAlt: return L"备用录制键";
    case HotkeyField::Stop: return L"停止键";
    case HotkeyField::Pause: return L"暂停键";
    default: return L"录制键";
    }
}

int fieldId(HotkeyField field)
{
    switch (field) {
    case HotkeyField::RecordAlt: return kRecordAltField;
    case HotkeyField::Stop: return kStopField;
    case HotkeyField::Pause: return kPauseField;
    default: return kRecordField;
    }
}

HotkeyChord& chordOfField(UserSettings& settings, int id)
{
    switch (id) {
    case kRecordAltField: return settings.recordAlt;
    case kStopField: return settings.stop;
    case kPauseField: return settings.pause;
    default: return settings.record;
    }
}

// Why OK cannot close the dialog, in the user's words.
std::wstring faultText(const HotkeyCheck& check, const UserSettings& settings)
{
    const HotkeyChord& chord = check.field == HotkeyField::Record  ? settings.record
                               : check.field == HotkeyField::Stop  ? settings.stop
                               : check.field == HotkeyField::Pause ? settings.pause
                                                                   : settings.recordAlt;
    switch (check.fault) {
    case HotkeyFault::Missing: return std::wstring(L"请在「") + fieldName(check.field) + L"」框中按下一个按键。";
    case HotkeyFault::PlainKey:
        return L"「" + chordDisplay(chord) +
               L"」不能作为全局热键：字母、数字、空格、回车、Tab、Esc 和退格键必须与 Ctrl、Alt 或 Win 一起使用。";
    case HotkeyFault::SameAs:
        return std::wstring(L"「") + fieldName(check.field) + L"」与「" + fieldName(check.other) + L"」相同（" +
               chordDisplay(chord) + L"），请换一个按键。";
    default: return std::wstring();
    }
}

void showError(HWND dialog, SettingsDialogState& state, const std::wstring& text, int focusId)
{
    state.error = text;
    SetDlgItemTextW(dialog, kErrorText, text.empty() ? L"" : (L"⚠ " + text).c_str());
    if (focusId != 0) {
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, focusId)), TRUE);
    }
}

void onInit(HWND dialog, SettingsDialogState& state)
{
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    // Backspace means none only where none is allowed.
    const int ids[] = {kRecordField, kRecordAltField, kStopField, kPauseField};
    for (size_t i = 0; i < 4; ++i) {
        state.chordFields[i] = {
            &chordOfField(state.settings, ids[i]), ids[i] == kRecordAltField || ids[i] == kPauseField, {}};
        makeChordField(GetDlgItem(dialog, ids[i]), state.chordFields[i]);
    }
    CheckDlgButton(dialog, kStopOnUserInputBox, state.settings.stopOnUserInput ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kFollowWindowsBox, state.settings.followWindows ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextW(dialog, kWindowWaitField, std::to_wstring(state.settings.windowWaitSeconds).c_str());
    SetDlgItemTextW(dialog, kPassGapField, std::to_wstring(state.settings.passGapSeconds).c_str());
    CheckDlgButton(dialog, kTrayIconBox, state.settings.trayIcon ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kMinimizeToTrayBox, state.settings.minimizeToTray ? BST_CHECKED : BST_UNCHECKED);
}

// A seconds field's whole number from low to high; false for anything else.
bool readSecondsField(HWND dialog, int id, int low, int high, int& seconds)
{
    wchar_t text[16] = {};
    GetDlgItemTextW(dialog, id, text, 16);
    int value = 0;
    int digits = 0;
    for (const wchar_t* c = text; *c != 0; ++c, ++digits) {
        if (*c < L'0' || *c > L'9' || digits >= 6) {
            return false;
        }
        value = value * 10 + (*c - L'0');
    }
    if (digits == 0 || value < low || value > high) {
        return false;
    }
    seconds = value;
    return true;
}

void onOk(HWND dialog, SettingsDialogState& state)
{
    state.settings.stopOnUserInput = IsDlgButtonChecked(dialog, kStopOnUserInputBox) == BST_CHECKED;
    state.settings.followWindows = IsDlgButtonChecked(dialog, kFollowWindowsBox) == BST_CHECKED;
    state.settings.trayIcon = IsDlgButtonChecked(dialog, kTrayIconBox) == BST_CHECKED;
    state.settings.minimizeToTray = IsDlgButtonChecked(dialog, kMinimizeToTrayBox) == BST_CHECKED;
    if (!readSecondsField(dialog, kWindowWaitField, 1, 600, state.settings.windowWaitSeconds)) {
        showError(dialog, state, L"等待窗口的秒数须是 1 到 600 的整数", kWindowWaitField);
        return;
    }
    if (!readSecondsField(dialog, kPassGapField, 0, 3600, state.settings.passGapSeconds)) {
        showError(dialog, state, L"两遍之间等待的秒数须是 0 到 3600 的整数", kPassGapField);
        return;
    }
    const HotkeyCheck check = checkHotkeys(state.settings);
    if (check.fault != HotkeyFault::None) {
        showError(dialog, state, faultText(check, state.settings), fieldId(check.field));
        return;
    }
    std::wstring error;
    if (!state.calls->save(state.settings, error)) {
        showError(dialog, state, error, 0);
        return;
    }
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        onInit(dialog, *reinterpret_cast<SettingsDialogState*>(lParam));
        return TRUE;  // the focus goes to the record field
    }
    auto* state = reinterpret_cast<SettingsDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (state == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            onOk(dialog, *state);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC: return colourErrorLine(dialog, kErrorText, wParam, lParam);
    default: return FALSE;
    }
}

// Pauses the hotkeys for one scope.
class PausedHotkeys {
public:
    explicit PausedHotkeys(const std::function<void(bool)>& pause) : pause_(pause)
    {
        if (pause_) {
            pause_(true);
        }
    }
    ~PausedHotkeys()
    {
        if (pause_) {
            pause_(false);
        }
    }
    PausedHotkeys(const PausedHotkeys&) = delete;
    PausedHotkeys& operator=(const PausedHotkeys&) = delete;

private:
    const std::function<void(bool)>& pause_;
};

}  // namespace

std::optional<UserSettings> runSettingsDialog(HWND owner, const UserSettings& current, const SettingsDialogCalls& calls)
{
    SettingsDialogState state;
    state.settings = current;
    state.calls = &calls;
    const DialogTemplate dialog = settingsTemplate();
    const PausedHotkeys paused(calls.pauseHotkeys);
    const INT_PTR answer = dialog.runModal(owner, &settingsDialogProc, reinterpret_cast<LPARAM>(&state));
    if (answer != IDOK) {
        return std::nullopt;
    }
    return state.settings;
}
