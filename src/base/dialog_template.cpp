#include "base/dialog_template.h"

DialogTemplate::DialogTemplate(DWORD style, short width, short height, const wchar_t* title, WORD points,
                               const wchar_t* font, const wchar_t* windowClass)
{
    addLong(style | DS_SETFONT);
    addLong(0);  // extended style
    countAt_ = words_.size();
    words_.push_back(0);  // number of items, counted as they are added
    addRect(0, 0, width, height);
    words_.push_back(0);  // no menu
    if (windowClass != nullptr) {
        addText(windowClass);
    } else {
        words_.push_back(0);  // the standard dialog class
    }
    addText(title);
    words_.push_back(points);
    addText(font);
}

void DialogTemplate::add(WORD classAtom, int id, const wchar_t* text, DWORD style, short x, short y, short width,
                         short height, DWORD exStyle)
{
    addItemHeader(id, style, exStyle, x, y, width, height);
    words_.push_back(0xFFFF);
    words_.push_back(classAtom);
    addText(text);
    words_.push_back(0);  // no creation data
}

void DialogTemplate::add(const wchar_t* className, int id, const wchar_t* text, DWORD style, short x, short y,
                         short width, short height, DWORD exStyle)
{
    addItemHeader(id, style, exStyle, x, y, width, height);
    addText(className);
    addText(text);
    words_.push_back(0);  // no creation data
}

INT_PTR DialogTemplate::runModal(HWND owner, DLGPROC procedure, LPARAM parameter) const
{
    const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), get(), owner, procedure, parameter);
    // EndDialog enables the owner before the dialog goes; a dialog ended by WM_QUIT (the program
    // is closing) is destroyed without it, and the owner must not stay disabled.
    if (ownerWasEnabled && IsWindow(owner) && !IsWindowEnabled(owner)) {
        EnableWindow(owner, TRUE);
    }
    return result;
}

namespace {

INT_PTR CALLBACK formProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        const DialogForm& form = *reinterpret_cast<const DialogForm*>(lParam);
        form.fill(dialog, form.data);
        return FALSE;  // fill set the focus
    }
    const auto* form = reinterpret_cast<const DialogForm*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message != WM_COMMAND || form == nullptr) {
        return FALSE;
    }
    if (form->command != nullptr && LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL &&
        form->command(dialog, form->data, wParam)) {
        return TRUE;
    }
    if (LOWORD(wParam) == IDOK) {
        if (form->accept(dialog, form->data)) {
            EndDialog(dialog, IDOK);
        }
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool DialogTemplate::runForm(HWND owner, const DialogForm& form) const
{
    return runModal(owner, &formProcedure, reinterpret_cast<LPARAM>(&form)) == IDOK;
}

void DialogTemplate::addItemHeader(int id, DWORD style, DWORD exStyle, short x, short y, short width, short height)
{
    if (words_.size() % 2 != 0) {
        words_.push_back(0);  // items start on a DWORD boundary
    }
    addLong(style | WS_CHILD | WS_VISIBLE);
    addLong(exStyle);
    addRect(x, y, width, height);
    words_.push_back(static_cast<WORD>(id));
    rects_.push_back(RECT{x, y, x + width, y + height});
    ++words_[countAt_];
}

void DialogTemplate::addLong(DWORD value)
{
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
}

void DialogTemplate::addRect(short x, short y, short width, short height)
{
    for (short value : {x, y, width, height}) {
        words_.push_back(static_cast<WORD>(value));
    }
}

void DialogTemplate::addText(const wchar_t* text)
{
    for (const wchar_t* c = text; *c != L'\0'; ++c) {
        words_.push_back(static_cast<WORD>(*c));
    }
    words_.push_back(0);
}

INT_PTR colourErrorLine(HWND dialog, int errorId, WPARAM wParam, LPARAM lParam)
{
    if (reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, errorId)) {
        return FALSE;
    }
    const auto dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, RGB(198, 40, 40));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}
