#include "ui/library_dialog.h"

#include <commctrl.h>

#include "base/dialog_template.h"
#include "base/message_box.h"
#include "base/text_encoding.h"
#include "base/win_owners.h"
#include "library/schtasks_line.h"
#include "ui/clipboard_text.h"
#include "ui/library_rows.h"

namespace {

constexpr WORD kButtonClass = DialogTemplate::kButtonClass;

DialogTemplate libraryTemplate()
{
    DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 420, 200, L"脚本库", 9,
                          L"Microsoft YaHei");
    dialog.add(WC_LISTVIEWW, kLibraryList, L"",
               WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, 8, 8, 404,
               160);
    dialog.add(kButtonClass, kLibraryAdd, L"添加(&A)...", BS_PUSHBUTTON | WS_TABSTOP, 8, 178, 52, 14);
    dialog.add(kButtonClass, kLibraryEdit, L"编辑(&E)...", BS_PUSHBUTTON | WS_TABSTOP, 64, 178, 52, 14);
    dialog.add(kButtonClass, kLibraryDelete, L"删除(&D)", BS_PUSHBUTTON | WS_TABSTOP, 120, 178, 52, 14);
    dialog.add(kButtonClass, kLibraryRunNow, L"立即运行(&R)", BS_PUSHBUTTON | WS_TABSTOP, 176, 178, 60, 14);
    dialog.add(kButtonClass, kLibraryExport, L"导出为计划任务(&X)...", BS_PUSHBUTTON | WS_TABSTOP, 240, 178, 92, 14);
    dialog.add(kButtonClass, IDCANCEL, L"关闭", BS_PUSHBUTTON | WS_TABSTOP, 360, 178, 52, 14);
    return dialog;
}

struct LibraryDialogState {
    Library library;
    const LibraryDialogCalls* calls = nullptr;
};

// Columns in dialog units, so that they follow the screen scale with the dialog.
struct Column {
    const wchar_t* title;
    int width;
};
constexpr Column kColumns[] = {{L"名称", 60}, {L"脚本文件", 110}, {L"按键", 50},
                               {L"方式", 50}, {L"计划", 70},      {L"下次运行", 60}};

int selectedRow(HWND dialog)
{
    return static_cast<int>(
        SendDlgItemMessageW(dialog, kLibraryList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void setCell(HWND list, int row, int column, const std::wstring& text)
{
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void enableButtons(HWND dialog)
{
    const int row = selectedRow(dialog);
    for (int id : {kLibraryEdit, kLibraryDelete, kLibraryRunNow}) {
        EnableWindow(GetDlgItem(dialog, id), row >= 0);
    }
    const auto& entries = reinterpret_cast<LibraryDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER))->library.entries;
    EnableWindow(GetDlgItem(dialog, kLibraryExport),
                 row >= 0 && entries[static_cast<size_t>(row)].schedule.kind != ScheduleKind::None);
}

// The rows again, with the row at select chosen (-1: none).
void fillRows(HWND dialog, const LibraryDialogState& state, int select)
{
    HWND list = GetDlgItem(dialog, kLibraryList);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < state.library.entries.size(); ++i) {
        const LibraryRow row = libraryRow(state.library.entries[i], state.calls->nextRun(i));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(row.name.c_str());
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        const std::wstring* cells[] = {&row.file, &row.key, &row.mode, &row.schedule, &row.nextRun};
        for (int column = 1; column <= 5; ++column) {
            setCell(list, static_cast<int>(i), column, *cells[column - 1]);
        }
    }
    if (select >= 0 && static_cast<size_t>(select) < state.library.entries.size()) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(select), reinterpret_cast<LPARAM>(&item));
        SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(select), FALSE);
    }
    enableButtons(dialog);
}

// Saves the changed library; on failure the change is undone and the user is told.
bool commit(HWND dialog, LibraryDialogState& state, const Library& changed)
{
    std::wstring error;
    if (!state.calls->save(changed, error)) {
        showMessageBox(dialog, error.c_str(), L"脚本库", MB_OK | MB_ICONERROR);
        return false;
    }
    state.library = changed;
    state.calls->changed(state.library);
    return true;
}

void onInit(HWND dialog, LibraryDialogState& state)
{
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    HWND list = GetDlgItem(dialog, kLibraryList);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 6; ++i) {
        RECT width{0, 0, kColumns[i].width, 0};
        MapDialogRect(dialog, &width);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = width.right;
        column.pszText = const_cast<wchar_t*>(kColumns[i].title);
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    fillRows(dialog, state, state.library.entries.empty() ? -1 : 0);
}

void onAdd(HWND dialog, LibraryDialogState& state)
{
    LibraryEntry entry;
    entry.name = "脚本 " + std::to_string(state.library.entries.size() + 1);
    if (!runEntryDialog(dialog, entry, state.library.entries.size(), state.library.entries, *state.calls)) {
        return;
    }
    Library changed = state.library;
    changed.entries.push_back(entry);
    if (commit(dialog, state, changed)) {
        fillRows(dialog, state, static_cast<int>(changed.entries.size()) - 1);
    }
}

void onEdit(HWND dialog, LibraryDialogState& state)
{
    const int row = selectedRow(dialog);
    if (row < 0) {
        return;
    }
    LibraryEntry entry = state.library.entries[static_cast<size_t>(row)];
    if (!runEntryDialog(dialog, entry, static_cast<size_t>(row), state.library.entries, *state.calls)) {
        return;
    }
    Library changed = state.library;
    changed.entries[static_cast<size_t>(row)] = entry;
    if (commit(dialog, state, changed)) {
        fillRows(dialog, state, row);
    }
}

void onDelete(HWND dialog, LibraryDialogState& state)
{
    const int row = selectedRow(dialog);
    if (row < 0) {
        return;
    }
    const std::wstring question = L"从脚本库中删除「" +
                                  utf8ToWide(state.library.entries[static_cast<size_t>(row)].name) +
                                  L"」？\n\n脚本文件本身不会删除。";
    if (showMessageBox(dialog, question.c_str(), L"脚本库", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    Library changed = state.library;
    changed.entries.erase(changed.entries.begin() + row);
    if (commit(dialog, state, changed)) {
        fillRows(dialog, state, row < static_cast<int>(changed.entries.size()) ? row : row - 1);
    }
}

void onRunNow(HWND dialog, LibraryDialogState& state)
{
    const int row = selectedRow(dialog);
    if (row >= 0) {
        state.calls->runNow(static_cast<size_t>(row));
    }
}

void onExport(HWND dialog, LibraryDialogState& state)
{
    const int row = selectedRow(dialog);
    if (row < 0) {
        return;
    }
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring line =
        utf8ToWide(schtasksLine(state.library.entries[static_cast<size_t>(row)], wideToUtf8(exe)));
    if (line.empty()) {
        return;
    }
    const bool copied = putClipboardText(dialog, line);
    const std::wstring text =
        (copied ? L"已复制到剪贴板。在命令提示符中运行这一行，程序未运行时也会按计划回放：\n\n"
                : L"无法复制到剪贴板。在命令提示符中运行这一行，程序未运行时也会按计划回放：\n\n") +
        line;
    showMessageBox(dialog, text.c_str(), L"导出为计划任务", MB_OK | MB_ICONINFORMATION);
}

bool onNotify(HWND dialog, const NMHDR& header)
{
    if (header.idFrom != static_cast<UINT_PTR>(kLibraryList)) {
        return false;
    }
    if (header.code == LVN_ITEMCHANGED) {
        enableButtons(dialog);
    } else if (header.code == static_cast<UINT>(NM_DBLCLK)) {
        SendMessageW(dialog, WM_COMMAND, kLibraryEdit, 0);
    } else if (header.code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) {
        SendMessageW(dialog, WM_COMMAND, kLibraryDelete, 0);
    }
    return true;
}

INT_PTR CALLBACK libraryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        onInit(dialog, *reinterpret_cast<LibraryDialogState*>(lParam));
        return TRUE;
    }
    auto* state = reinterpret_cast<LibraryDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (state == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_NOTIFY: return onNotify(dialog, *reinterpret_cast<const NMHDR*>(lParam)) ? TRUE : FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kLibraryAdd: onAdd(dialog, *state); return TRUE;
        case kLibraryEdit: onEdit(dialog, *state); return TRUE;
        case kLibraryDelete: onDelete(dialog, *state); return TRUE;
        case kLibraryRunNow: onRunNow(dialog, *state); return TRUE;
        case kLibraryExport: onExport(dialog, *state); return TRUE;
        case IDOK:  // Enter in the list edits the chosen entry
            onEdit(dialog, *state);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        default: return FALSE;
        }
    default: return FALSE;
    }
}

}  // namespace

void runLibraryDialog(HWND owner, const Library& current, const LibraryDialogCalls& calls)
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);
    LibraryDialogState state;
    state.library = current;
    state.calls = &calls;
    libraryTemplate().runModal(owner, &libraryDialogProc, reinterpret_cast<LPARAM>(&state));
}
