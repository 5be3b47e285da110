#pragma once
// An in-memory dialog template (DLGTEMPLATE) and the one modal loop of the program's dialogs: the
// small dialogs need no resource script, and they get Tab, Enter and Esc from the dialog manager,
// which also disables the owner while the dialog is open and enables it again when it ends.

#include <cstddef>
#include <vector>
#include <windows.h>

// What a small form does besides Tab, Enter and Esc: fill sets its fields and the focus when it
// opens; accept reads them on OK and says whether they can be kept (when not, it has told the
// user why, and the form stays open); command answers the form's other buttons. Cancel closes it.
struct DialogForm {
    void* data = nullptr;
    void (*fill)(HWND dialog, void* data) = nullptr;
    bool (*accept)(HWND dialog, void* data) = nullptr;
    // Optional: any other WM_COMMAND of the form (a button of its own, a list's new choice);
    // true when it took it.
    bool (*command)(HWND dialog, void* data, WPARAM wParam) = nullptr;
};

class DialogTemplate {
public:
    // Predefined control classes of a template item.
    static constexpr WORD kButtonClass = 0x0080;
    static constexpr WORD kEditClass = 0x0081;
    static constexpr WORD kStaticClass = 0x0082;
    static constexpr WORD kComboBoxClass = 0x0085;

    // windowClass: a registered class whose window procedure is DefDlgProcW (cbWndExtra
    // DLGWINDOWEXTRA), or null for the system's dialog class.
    DialogTemplate(DWORD style, short width, short height, const wchar_t* title, WORD points, const wchar_t* font,
                   const wchar_t* windowClass = nullptr);

    // One control; WS_CHILD and WS_VISIBLE are added to its style.
    void add(WORD classAtom, int id, const wchar_t* text, DWORD style, short x, short y, short width, short height,
             DWORD exStyle = 0);
    // The same for a control class given by name (a common control such as a progress bar).
    void add(const wchar_t* className, int id, const wchar_t* text, DWORD style, short x, short y, short width,
             short height, DWORD exStyle = 0);

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

    // The controls' rectangles as given to add(), in the order of the controls.
    size_t itemCount() const { return rects_.size(); }
    RECT itemRect(size_t index) const { return rects_[index]; }

    // Shows the dialog modally over owner and returns the value passed to EndDialog (-1 when it
    // could not be created). A WM_QUIT taken by the loop is put back for the caller's loop. The
    // owner, disabled while the dialog runs, is enabled again however the dialog ended.
    INT_PTR runModal(HWND owner, DLGPROC procedure, LPARAM parameter) const;
    // runModal with the procedure of a form: true when it ended with OK.
    bool runForm(HWND owner, const DialogForm& form) const;

private:
    void addItemHeader(int id, DWORD style, DWORD exStyle, short x, short y, short width, short height);
    void addLong(DWORD value);
    void addRect(short x, short y, short width, short height);
    void addText(const wchar_t* text);

    std::vector<WORD> words_;
    std::vector<RECT> rects_;
    size_t countAt_ = 0;
};

// A dialog's error line, red on the dialog's face: what the dialog procedure answers to
// WM_CTLCOLORSTATIC (wParam, lParam) for the static control errorId, FALSE for any other control.
INT_PTR colourErrorLine(HWND dialog, int errorId, WPARAM wParam, LPARAM lParam);
