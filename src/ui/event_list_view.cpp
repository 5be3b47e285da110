#include "ui/event_list_view.h"

#include <cwchar>
#include <commctrl.h>

#include "base/win_owners.h"
#include "script/event_description.h"
#include "ui/control_ids.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;

int fontHeight(HWND window, HFONT font)
{
    WindowDc dc(window);
    SelectedObject selection(dc.get(), font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    return metrics.tmHeight > 0 ? metrics.tmHeight : 16;
}

}  // namespace

void EventListView::attach(HWND list)
{
    list_ = list;
    SetWindowSubclass(list_, &EventListView::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    // A list box without data has no strings of its own, but its rows do have texts, which the
    // subclass gives out. The bit tells the system to carry LB_GETTEXT's text across processes;
    // the list box itself read its styles at creation and never sees the change (see below).
    const LONG_PTR style = GetWindowLongPtrW(list_, GWL_STYLE);
    SetWindowLongPtrW(list_, GWL_STYLE, style | LBS_HASSTRINGS);
}

bool EventListView::onKey(UINT key)
{
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool alt = GetKeyState(VK_MENU) < 0;
    HWND parent = GetParent(list_);
    const auto command = [&](int id) {
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(list_));
        return true;
    };
    if (key == VK_DELETE && !control && !shift) {
        return command(IDM_EDIT_DELETE);
    }
    if (key == 'Z' && control && !shift) {
        return command(IDM_EDIT_UNDO);
    }
    if ((key == VK_UP || key == VK_DOWN) && alt && !control && !shift) {
        return command(key == VK_UP ? IDM_EDIT_MOVE_UP : IDM_EDIT_MOVE_DOWN);
    }
    if (control && !alt) {
        const struct {
            UINT key;
            bool shift;
            int id;
        } kEditorKeys[] = {{'X', false, IDM_EDIT_CUT},  {'C', false, IDM_EDIT_COPY}, {'V', false, IDM_EDIT_PASTE},
                           {'Y', false, IDM_EDIT_REDO}, {'Z', true, IDM_EDIT_REDO},  {'G', false, IDM_EDIT_GO_TO}};
        for (const auto& editorKey : kEditorKeys) {
            if (key == editorKey.key && shift == editorKey.shift) {
                return command(editorKey.id);
            }
        }
    }
    if (key == 'A' && control && !shift) {
        selectAll();
        return true;
    }
    return false;
}

void EventListView::detach()
{
    if (list_ != nullptr) {
        RemoveWindowSubclass(list_, &EventListView::SubclassProc, kSubclassId);
    }
    list_ = nullptr;
}

void EventListView::showRows(size_t count, bool scrollToEnd)
{
    if (list_ == nullptr) {
        return;
    }
    SendMessageW(list_, LB_SETCOUNT, static_cast<WPARAM>(count), 0);
    if (scrollToEnd && count > 0) {
        SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
    }
    InvalidateRect(list_, nullptr, TRUE);
}

size_t EventListView::rowCount() const
{
    const LRESULT count = list_ != nullptr ? SendMessageW(list_, LB_GETCOUNT, 0, 0) : 0;
    return count > 0 ? static_cast<size_t>(count) : 0;
}

void EventListView::fitRowHeight(HFONT font)
{
    if (list_ != nullptr && font != nullptr) {
        SendMessageW(list_, LB_SETITEMHEIGHT, 0, MAKELPARAM(fontHeight(list_, font), 0));
    }
}

void EventListView::measure(MEASUREITEMSTRUCT& item, HFONT font)
{
    item.itemHeight = static_cast<UINT>(fontHeight(nullptr, font));
}

bool EventListView::draw(const DRAWITEMSTRUCT& item) const
{
    if (item.hwndItem != list_ || item.CtlType != ODT_LISTBOX) {
        return false;
    }
    if (item.itemID != static_cast<UINT>(-1)) {
        const bool selected = (item.itemState & ODS_SELECTED) != 0;
        SetBkColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const std::wstring text = rowText(item.itemID);
        // The place and the clipping a list box with strings uses for its rows.
        ExtTextOutW(item.hDC, item.rcItem.left + 1, item.rcItem.top, ETO_OPAQUE | ETO_CLIPPED, &item.rcItem,
                    text.c_str(), static_cast<UINT>(text.size()), nullptr);
    }
    if ((item.itemState & ODS_FOCUS) != 0) {
        DrawFocusRect(item.hDC, &item.rcItem);
    }
    return true;
}

std::wstring EventListView::rowText(size_t index) const
{
    const MacroEvent* event = document_.eventAt(index);
    if (event == nullptr) {
        return std::wstring();
    }
    return formatEventRow(static_cast<uint32_t>(index), *event, &document_.windows());
}

LRESULT CALLBACK EventListView::SubclassProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR selfData)
{
    auto* self = reinterpret_cast<EventListView*>(selfData);
    switch (message) {
    case LB_GETTEXTLEN:
    case LB_GETTEXT: {
        if (wParam >= self->rowCount()) {
            return LB_ERR;
        }
        const std::wstring text = self->rowText(static_cast<size_t>(wParam));
        if (message == LB_GETTEXT && lParam != 0) {
            std::wmemcpy(reinterpret_cast<wchar_t*>(lParam), text.c_str(), text.size() + 1);
        }
        return static_cast<LRESULT>(text.size());
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:  // Alt+↑ and Alt+↓
        if (self->onKey(static_cast<UINT>(wParam))) {
            return 0;
        }
        break;
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
        // The list box keeps the styles it was made with (a list without data and with strings
        // would be a contradiction to it).
        return 0;
    case WM_NCDESTROY: self->detach(); break;
    default: break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

std::vector<size_t> EventListView::selectedRows() const
{
    std::vector<size_t> rows;
    const LRESULT count = list_ != nullptr ? SendMessageW(list_, LB_GETSELCOUNT, 0, 0) : 0;
    if (count <= 0) {
        return rows;
    }
    std::vector<int> items(static_cast<size_t>(count));
    const LRESULT got =
        SendMessageW(list_, LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(items.data()));
    for (LRESULT i = 0; i < got; ++i) {
        rows.push_back(static_cast<size_t>(items[static_cast<size_t>(i)]));
    }
    return rows;
}

void EventListView::select(const std::vector<std::pair<size_t, size_t>>& ranges)
{
    if (list_ == nullptr) {
        return;
    }
    SendMessageW(list_, LB_SETSEL, FALSE, -1);
    for (const auto& range : ranges) {
        if (range.second > 0) {
            SendMessageW(list_, LB_SELITEMRANGEEX, static_cast<WPARAM>(range.first),
                         static_cast<LPARAM>(range.first + range.second - 1));
        }
    }
    if (!ranges.empty()) {
        SendMessageW(list_, LB_SETCARETINDEX, static_cast<WPARAM>(ranges.front().first), FALSE);
    }
}

void EventListView::selectAll()
{
    const size_t count = rowCount();
    if (count > 0) {
        SendMessageW(list_, LB_SELITEMRANGEEX, 0, static_cast<LPARAM>(count - 1));
    }
}

size_t EventListView::topRow() const
{
    const LRESULT top = list_ != nullptr ? SendMessageW(list_, LB_GETTOPINDEX, 0, 0) : 0;
    return top > 0 ? static_cast<size_t>(top) : 0;
}

void EventListView::setTopRow(size_t row)
{
    if (list_ != nullptr) {
        SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
    }
}

size_t EventListView::caretRow() const
{
    const LRESULT caret = list_ != nullptr ? SendMessageW(list_, LB_GETCARETINDEX, 0, 0) : 0;
    return caret > 0 ? static_cast<size_t>(caret) : 0;
}

void EventListView::setCaretRow(size_t row)
{
    if (list_ != nullptr) {
        SendMessageW(list_, LB_SETCARETINDEX, static_cast<WPARAM>(row), FALSE);
    }
}

bool EventListView::rowScreenRect(size_t row, RECT& rect) const
{
    if (list_ == nullptr ||
        SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect)) == LB_ERR) {
        return false;
    }
    MapWindowPoints(list_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return true;
}
