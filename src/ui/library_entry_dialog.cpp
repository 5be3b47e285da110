// The entry dialog of the script library: every field of an entry, checked on OK.
#include "ui/library_dialog.h"

#include <cwchar>
#include <commctrl.h>

#include "base/dialog_template.h"
#include "base/text_encoding.h"
#include "library/library_file.h"
#include "script/script_file.h"
#include "ui/chord_keys_win.h"
#include "ui/file_dialog.h"

namespace {

constexpr WORD kButtonClass = DialogTemplate::kButtonClass;
constexpr WORD kEditClass = DialogTemplate::kEditClass;
constexpr WORD kStaticClass = DialogTemplate::kStaticClass;
constexpr WORD kComboClass = 0x0085;

// The schedule choices in the order of the box.
constexpr ScheduleKind kScheduleChoices[] = {ScheduleKind::None, ScheduleKind::Once, ScheduleKind::Daily,
                                             ScheduleKind::Every};

DialogTemplate entryTemplate()
{
    DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 300, 268, L"脚本库条目", 9,
                          L"Microsoft YaHei");
    const DWORD field = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
    const DWORD box = BS_AUTOCHECKBOX | WS_TABSTOP;
    dialog.add(kStaticClass, -1, L"名称(&N)：", SS_LEFT, 10, 12, 56, 10);
    dialog.add(kEditClass, kEntryName, L"", field, 68, 10, 222, 14);
    dialog.add(kStaticClass, -1, L"脚本文件(&F)：", SS_LEFT, 10, 31, 56, 10);
    dialog.add(kEditClass, kEntryFile, L"", field, 68, 28, 174, 14);
    dialog.add(kButtonClass, kEntryBrowse, L"浏览(&B)...", BS_PUSHBUTTON | WS_TABSTOP, 246, 28, 44, 14);
    dialog.add(kStaticClass, -1, L"按键(&K)：", SS_LEFT, 10, 49, 56, 10);
    dialog.add(kEditClass, kEntryKey, L"", field, 68, 46, 110, 14);
    dialog.add(kStaticClass, -1, L"在框中按下按键；Backspace 表示不用", SS_LEFT, 182, 45, 108, 20);
    dialog.add(kButtonClass, kEntryToggle, L"按一次开始，再按停止(&T)", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 68,
               66, 110, 12);
    dialog.add(kButtonClass, kEntryHeld, L"按住时回放(&H)", BS_AUTORADIOBUTTON, 182, 66, 108, 12);
    dialog.add(kStaticClass, -1, L"次数(&L)：", SS_LEFT, 10, 84, 56, 10);
    dialog.add(kEditClass, kEntryLoops, L"", field | ES_NUMBER | WS_GROUP, 68, 82, 40, 14);
    dialog.add(kButtonClass, kEntryEndless, L"循环(&O)", box, 114, 83, 60, 12);
    dialog.add(kStaticClass, -1, L"速度(&P)：", SS_LEFT, 182, 84, 40, 10);
    dialog.add(kEditClass, kEntrySpeed, L"", field, 224, 82, 40, 14);
    dialog.add(kButtonClass, kEntryFidelity, L"点击保真(&I)", box, 68, 101, 100, 12);
    dialog.add(kStaticClass, -1, L"跟随窗口(&W)：", SS_LEFT, 10, 120, 56, 10);
    dialog.add(kComboClass, kEntryFollow, L"", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, 68, 118, 110, 60);
    dialog.add(kStaticClass, -1, L"计划(&S)：", SS_LEFT, 10, 140, 56, 10);
    dialog.add(kComboClass, kEntrySchedule, L"", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, 68, 138, 110, 80);
    dialog.add(kStaticClass, -1, L"时间(&M)：", SS_LEFT, 10, 159, 56, 10);
    dialog.add(kEditClass, kEntryAt, L"", field, 68, 156, 110, 14);
    dialog.add(kStaticClass, -1, L"一次：2026-12-24 08:00:00；每天：08:00:00", SS_LEFT, 182, 154, 108, 20);
    static const wchar_t* const kDays[] = {L"一", L"二", L"三", L"四", L"五", L"六", L"日"};
    for (int day = 0; day < 7; ++day) {
        dialog.add(kButtonClass, kEntryFirstDay + day, kDays[day], box, static_cast<short>(68 + day * 31), 174, 29, 12);
    }
    dialog.add(kStaticClass, -1, L"每隔(&E)：", SS_LEFT, 10, 193, 56, 10);
    dialog.add(kEditClass, kEntryMinutes, L"", field | ES_NUMBER, 68, 190, 40, 14);
    dialog.add(kStaticClass, -1, L"分钟", SS_LEFT, 112, 193, 24, 10);
    dialog.add(kButtonClass, kEntryWindow, L"只在(&Y)", box, 68, 210, 40, 12);
    dialog.add(kEditClass, kEntryFrom, L"", field, 110, 209, 50, 14);
    dialog.add(kStaticClass, -1, L"到", SS_CENTER, 162, 212, 14, 10);
    dialog.add(kEditClass, kEntryTo, L"", field, 178, 209, 50, 14);
    dialog.add(kStaticClass, -1, L"之间", SS_LEFT, 232, 212, 30, 10);
    dialog.add(kStaticClass, kEntryError, L"", SS_LEFT, 10, 228, 280, 18);
    dialog.add(kButtonClass, IDOK, L"确定", BS_DEFPUSHBUTTON | WS_TABSTOP, 184, 248, 50, 14);
    dialog.add(kButtonClass, IDCANCEL, L"取消", BS_PUSHBUTTON | WS_TABSTOP, 240, 248, 50, 14);
    return dialog;
}

struct EntryDialogState {
    LibraryEntry entry;
    HotkeyChord key;  // what the key field shows
    ChordField keyField{&key, true, {}};
    size_t self = 0;
    const std::vector<LibraryEntry>* entries = nullptr;
    const LibraryDialogCalls* calls = nullptr;
};

// ---- filling and reading the fields -------------------------------------------------------

std::wstring fieldText(HWND dialog, int id)
{
    wchar_t text[1024] = {};
    GetDlgItemTextW(dialog, id, text, 1024);
    std::wstring value = text;
    while (!value.empty() && value.back() == L' ') {
        value.pop_back();
    }
    while (!value.empty() && value.front() == L' ') {
        value.erase(value.begin());
    }
    return value;
}

void check(HWND dialog, int id, bool on)
{
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

bool isChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

ScheduleKind chosenSchedule(HWND dialog)
{
    const LRESULT index = SendDlgItemMessageW(dialog, kEntrySchedule, CB_GETCURSEL, 0, 0);
    return index >= 0 && index < 4 ? kScheduleChoices[index] : ScheduleKind::None;
}

// Only the fields of the chosen schedule and the pass count without 循环 take input.
void enableFields(HWND dialog)
{
    const ScheduleKind kind = chosenSchedule(dialog);
    EnableWindow(GetDlgItem(dialog, kEntryLoops), !isChecked(dialog, kEntryEndless));
    EnableWindow(GetDlgItem(dialog, kEntryAt), kind == ScheduleKind::Once || kind == ScheduleKind::Daily);
    for (int day = 0; day < 7; ++day) {
        EnableWindow(GetDlgItem(dialog, kEntryFirstDay + day), kind == ScheduleKind::Daily);
    }
    EnableWindow(GetDlgItem(dialog, kEntryMinutes), kind == ScheduleKind::Every);
    EnableWindow(GetDlgItem(dialog, kEntryWindow), kind == ScheduleKind::Every);
    const bool window = kind == ScheduleKind::Every && isChecked(dialog, kEntryWindow);
    EnableWindow(GetDlgItem(dialog, kEntryFrom), window);
    EnableWindow(GetDlgItem(dialog, kEntryTo), window);
}

void onInit(HWND dialog, EntryDialogState& state)
{
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    const LibraryEntry& entry = state.entry;
    SetDlgItemTextW(dialog, kEntryName, utf8ToWide(entry.name).c_str());
    SetDlgItemTextW(dialog, kEntryFile, utf8ToWide(entry.file).c_str());
    makeChordField(GetDlgItem(dialog, kEntryKey), state.keyField);
    check(dialog, entry.mode == KeyMode::Held ? kEntryHeld : kEntryToggle, true);
    SetDlgItemTextW(dialog, kEntryLoops, std::to_wstring(entry.loops).c_str());
    check(dialog, kEntryEndless, entry.endless);
    SetDlgItemTextW(dialog, kEntrySpeed, utf8ToWide(formatJsonNumber(entry.speed)).c_str());
    check(dialog, kEntryFidelity, entry.fidelity);
    for (const wchar_t* choice : {L"按设置", L"跟随", L"不跟随"}) {
        SendDlgItemMessageW(dialog, kEntryFollow, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    }
    SendDlgItemMessageW(dialog, kEntryFollow, CB_SETCURSEL, !entry.follow ? 0 : (*entry.follow ? 1 : 2), 0);
    for (const wchar_t* choice : {L"无", L"一次", L"每天（按星期）", L"每隔 N 分钟"}) {
        SendDlgItemMessageW(dialog, kEntrySchedule, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    }
    const Schedule& schedule = entry.schedule;
    SendDlgItemMessageW(dialog, kEntrySchedule, CB_SETCURSEL, static_cast<WPARAM>(schedule.kind), 0);
    if (schedule.kind == ScheduleKind::Once) {
        std::string at = localSecondText(schedule.onceAt);
        at[10] = ' ';
        SetDlgItemTextW(dialog, kEntryAt, utf8ToWide(at).c_str());
    } else {
        SetDlgItemTextW(dialog, kEntryAt, utf8ToWide(timeOfDayText(schedule.at)).c_str());
    }
    for (int day = 0; day < 7; ++day) {
        check(dialog, kEntryFirstDay + day, (schedule.days & (1u << day)) != 0);
    }
    SetDlgItemTextW(dialog, kEntryMinutes, std::to_wstring(schedule.minutes).c_str());
    check(dialog, kEntryWindow, schedule.window);
    SetDlgItemTextW(dialog, kEntryFrom, utf8ToWide(timeOfDayText(schedule.from)).c_str());
    SetDlgItemTextW(dialog, kEntryTo, utf8ToWide(timeOfDayText(schedule.to)).c_str());
    enableFields(dialog);
}

// A whole number within the bounds, digits only; false for anything else.
bool readWhole(const std::wstring& text, int low, int high, int& value)
{
    if (text.empty() || text.size() > 6) {
        return false;
    }
    int parsed = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return false;
        }
        parsed = parsed * 10 + (c - L'0');
    }
    if (parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

// The schedule the fields describe; an error text when they describe none.
std::wstring readSchedule(HWND dialog, Schedule& schedule)
{
    schedule.kind = chosenSchedule(dialog);
    const std::string at = wideToUtf8(fieldText(dialog, kEntryAt));
    switch (schedule.kind) {
    case ScheduleKind::Once:
        if (!parseLocalSecond(at, schedule.onceAt)) {
            return L"一次的时间须写成 2026-12-24 08:00:00";
        }
        return std::wstring();
    case ScheduleKind::Daily:
        schedule.days = 0;
        for (int day = 0; day < 7; ++day) {
            schedule.days =
                static_cast<uint8_t>(schedule.days | (isChecked(dialog, kEntryFirstDay + day) ? 1u << day : 0));
        }
        if (!parseTimeOfDay(at, schedule.at)) {
            return L"每天的时间须写成 08:00:00";
        }
        return schedule.days == 0 ? L"请至少选一个星期几" : std::wstring();
    case ScheduleKind::Every:
        if (!readWhole(fieldText(dialog, kEntryMinutes), kMinEveryMinutes, kMaxEveryMinutes, schedule.minutes)) {
            return L"间隔的分钟数须是 1 到 1440 的整数";
        }
        schedule.window = isChecked(dialog, kEntryWindow);
        if (schedule.window && (!parseTimeOfDay(wideToUtf8(fieldText(dialog, kEntryFrom)), schedule.from) ||
                                !parseTimeOfDay(wideToUtf8(fieldText(dialog, kEntryTo)), schedule.to))) {
            return L"时段的起止时间须写成 08:00:00";
        }
        return std::wstring();
    case ScheduleKind::None: break;
    }
    return std::wstring();
}

void showError(HWND dialog, const std::wstring& text, int focusId)
{
    SetDlgItemTextW(dialog, kEntryError, (L"⚠ " + text).c_str());
    if (focusId != 0) {
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, focusId)), TRUE);
    }
}

void onOk(HWND dialog, EntryDialogState& state)
{
    LibraryEntry entry = state.entry;
    entry.name = wideToUtf8(fieldText(dialog, kEntryName));
    entry.file = wideToUtf8(fieldText(dialog, kEntryFile));
    if (entry.name.empty()) {
        showError(dialog, L"请填写名称", kEntryName);
        return;
    }
    if (entry.file.empty()) {
        showError(dialog, L"请选择脚本文件", kEntryFile);
        return;
    }
    const std::string refusal = keyRefusal(state.key, state.self, *state.entries, state.calls->ownKeys);
    if (!refusal.empty()) {
        showError(dialog, utf8ToWide(refusal), kEntryKey);
        return;
    }
    entry.key = state.key;
    entry.mode = isChecked(dialog, kEntryHeld) ? KeyMode::Held : KeyMode::Toggle;
    entry.endless = isChecked(dialog, kEntryEndless);
    if (!entry.endless && !readWhole(fieldText(dialog, kEntryLoops), 1, 999, entry.loops)) {
        showError(dialog, L"次数须是 1 到 999 的整数", kEntryLoops);
        return;
    }
    const std::wstring speedText = fieldText(dialog, kEntrySpeed);
    wchar_t* end = nullptr;
    const double speed = std::wcstod(speedText.c_str(), &end);
    if (speedText.empty() || end == nullptr || *end != L'\0' || !(speed >= 0.1 && speed <= 10.0)) {
        showError(dialog, L"速度须是 0.1 到 10 的数", kEntrySpeed);
        return;
    }
    entry.speed = speed;
    entry.fidelity = isChecked(dialog, kEntryFidelity);
    const LRESULT follow = SendDlgItemMessageW(dialog, kEntryFollow, CB_GETCURSEL, 0, 0);
    entry.follow = follow == 1 ? std::optional<bool>(true) : follow == 2 ? std::optional<bool>(false) : std::nullopt;
    const std::wstring scheduleError = readSchedule(dialog, entry.schedule);
    if (!scheduleError.empty()) {
        showError(dialog, scheduleError, kEntrySchedule);
        return;
    }
    state.entry = entry;
    EndDialog(dialog, IDOK);
}

void onBrowse(HWND dialog)
{
    std::wstring path;
    if (chooseScriptPathSeam(dialog, ScriptDialog::Open, path)) {
        SetDlgItemTextW(dialog, kEntryFile, path.c_str());
    }
}

INT_PTR CALLBACK entryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        onInit(dialog, *reinterpret_cast<EntryDialogState*>(lParam));
        return TRUE;  // the focus goes to the name
    }
    auto* state = reinterpret_cast<EntryDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (state == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: onOk(dialog, *state); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case kEntryBrowse: onBrowse(dialog); return TRUE;
        case kEntryEndless:
        case kEntryWindow: enableFields(dialog); return TRUE;
        case kEntrySchedule:
            if (HIWORD(wParam) == CBN_SELCHANGE) {
                enableFields(dialog);
            }
            return TRUE;
        default: return FALSE;
        }
    case WM_CTLCOLORSTATIC: return colourErrorLine(dialog, kEntryError, wParam, lParam);
    default: return FALSE;
    }
}

}  // namespace

bool runEntryDialog(HWND owner, LibraryEntry& entry, size_t self, const std::vector<LibraryEntry>& entries,
                    const LibraryDialogCalls& calls)
{
    EntryDialogState state;
    state.entry = entry;
    state.key = entry.key;
    state.self = self;
    state.entries = &entries;
    state.calls = &calls;
    // Pressing an entry's or the program's key in the key field chooses it rather than firing it.
    if (calls.pauseHotkeys) {
        calls.pauseHotkeys(true);
    }
    const INT_PTR answer = entryTemplate().runModal(owner, &entryDialogProc, reinterpret_cast<LPARAM>(&state));
    if (calls.pauseHotkeys) {
        calls.pauseHotkeys(false);
    }
    if (answer != IDOK) {
        return false;
    }
    entry = state.entry;
    return true;
}
