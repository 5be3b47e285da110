#pragma once
// The event list: a virtual list box (no data of its own, fixed-height rows drawn by us) whose
// rows are made from the script's events when they are painted, so a script of a million
// events costs the list no more than one of a hundred. The text of a row stays available as
// LB_GETTEXT and LB_GETTEXTLEN answer it, also to other processes and accessibility tools.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>
#include <windows.h>

#include "script/script_document.h"

class EventListView {
public:
    // The rows show the events of this script (which outlives the view).
    explicit EventListView(const ScriptDocument& document) : document_(document) {}
    EventListView(const EventListView&) = delete;
    EventListView& operator=(const EventListView&) = delete;

    // Takes over the list box: row texts on request, and the style bit that tells other
    // processes that the rows have texts.
    void attach(HWND list);
    void detach();
    HWND handle() const { return list_; }

    // Shows this many rows (the events' count); with scrollToEnd the last row comes into view.
    void showRows(size_t count, bool scrollToEnd);
    size_t rowCount() const;
    // The row height for the list's font (after every font change).
    void fitRowHeight(HFONT font);
    // WM_DRAWITEM of the list; false when the item is not the list's.
    bool draw(const DRAWITEMSTRUCT& item) const;
    // WM_MEASUREITEM of the list.
    static void measure(MEASUREITEMSTRUCT& item, HFONT font);

    // The text of row index ("  #0001  移动 (100,200)"), empty when there is no such event.
    std::wstring rowText(size_t index) const;

    // Selection: the selected rows in ascending order; a new selection of whole ranges of rows
    // (first, count), the first of them given the caret.
    std::vector<size_t> selectedRows() const;
    void select(const std::vector<std::pair<size_t, size_t>>& ranges);
    void selectAll();
    size_t topRow() const;
    void setTopRow(size_t row);
    // The rectangle of a row in screen coordinates (for a menu opened from the keyboard).
    bool rowScreenRect(size_t row, RECT& rect) const;
    size_t caretRow() const;
    void setCaretRow(size_t row);

private:
    static LRESULT CALLBACK SubclassProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);

    // Del, Ctrl+Z, Ctrl+A and the editor's keys (Alt+↑/↓, Ctrl+X/C/V/Y/G, Ctrl+Shift+Z) in the
    // list; true when the key was one of them.
    bool onKey(UINT key);

    const ScriptDocument& document_;
    HWND list_ = nullptr;
};
