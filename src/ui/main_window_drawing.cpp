// The owner-drawn action buttons, drawn off-screen and copied in one BitBlt so they never flicker.
#include "ui/main_window.h"

#include "base/win_owners.h"
#include "ui/window_layout.h"

void MainWindow::onDrawItem(const DRAWITEMSTRUCT& item) const
{
    if (!eventList_.draw(item)) {
        drawActionButton(item);
    }
}

void MainWindow::drawActionButton(const DRAWITEMSTRUCT& item) const
{
    wchar_t text[128] = L"";
    GetWindowTextW(item.hwndItem, text, 128);
    // The window's own enabled state, not the item state: the controller disables and repaints
    // buttons itself, and the item state can lag behind during that repaint.
    const bool enabled = IsWindowEnabled(item.hwndItem) != FALSE;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const ButtonColour colour = actionButtonColour(static_cast<int>(item.CtlID), enabled, pressed);

    const RECT& bounds = item.rcItem;
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    const MemoryDc memory(CreateCompatibleDC(item.hDC));
    const BitmapHandle bitmap(CreateCompatibleBitmap(item.hDC, width, height));
    const BrushHandle fill(CreateSolidBrush(RGB(colour.red, colour.green, colour.blue)));
    const PenHandle outline(CreatePen(PS_SOLID, 1, RGB(200, 200, 200)));
    if (!memory || !bitmap) {
        return;
    }
    SelectedObject bitmapSelection(memory.get(), bitmap.get());
    RECT local{0, 0, width, height};
    FillRect(memory.get(), &local, fill.get());
    {
        SelectedObject penSelection(memory.get(), outline.get());
        SelectedObject brushSelection(memory.get(), GetStockObject(NULL_BRUSH));
        Rectangle(memory.get(), 0, 0, width, height);
    }
    SetBkMode(memory.get(), TRANSPARENT);
    SetTextColor(memory.get(), RGB(255, 255, 255));
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    {
        SelectedObject fontSelection(memory.get(), font);
        DrawTextW(memory.get(), text, -1, &local, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus{3, 3, width - 3, height - 3};
        DrawFocusRect(memory.get(), &focus);
    }
    BitBlt(item.hDC, bounds.left, bounds.top, width, height, memory.get(), 0, 0, SRCCOPY);
}
