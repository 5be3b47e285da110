// src/ui/screen_picker.h
#pragma once
#include <windows.h>
enum class PickShape { Point, PointOrRectangle };  // a click only; or a click or a drag
struct ScreenPick {
    bool rectangle = false;  // a drag picked a rectangle
    POINT point{};           // the click (for a drag: where the press was), physical screen pixels
    RECT area{};             // the dragged rectangle (right/bottom exclusive), physical pixels; a point: its 1x1 pixel
    COLORREF colour = 0;     // the screen's colour at point
    HWND window = nullptr;   // the top-level window under point (never the program's own), or null
};
// Shows the overlay across every monitor; the owner window hides while picking and comes back
// after. True with the pick; false when cancelled (Esc).
bool pickOnScreen(HWND owner, PickShape shape, ScreenPick& pick);
