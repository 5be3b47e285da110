#pragma once
// An in-memory dialog template (DLGTEMPLATE): the program's small dialogs need no resource script,
// and their sizes stay in dialog units, which the system turns into pixels from the dialog's font
// at the window's DPI. It also gives them Tab, Enter and Esc.

#include <cstddef>
#include <vector>
#include <windows.h>

class DialogTemplate {
public:
    // Predefined control classes of a template item.
    static constexpr WORD kButtonClass = 0x0080;
    static constexpr WORD kEditClass = 0x0081;
    static constexpr WORD kStaticClass = 0x0082;

    DialogTemplate(DWORD style, short width, short height, const wchar_t* title, WORD points, const wchar_t* font);

    // One control; WS_CHILD and WS_VISIBLE are added to its style.
    void add(WORD classAtom, int id, const wchar_t* text, DWORD style, short x, short y, short width, short height);

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void addLong(DWORD value);
    void addRect(short x, short y, short width, short height);
    void addText(const wchar_t* text);

    std::vector<WORD> words_;
    size_t countAt_ = 0;
};
