// src/ui/screen_picker.h
#pragma once
#include <windows.h>
enum class PickShape { Point, PointOrRectangle };
struct ScreenPick {
    bool rectangle = false;  // a drag picked a rectangle
    POINT point{};           // the click (for a drag: where the press was), physical screen pixels
    RECT area{};             // the dragged rectangle (right/bottom exclusive), physical pixels
    COLORREF colour = 0;     // the screen's colour at point
    HWND window = nullptr;   // the top-level window under point (never the program's own), or null
};
bool pickOnScreen(HWND owner, PickShape shape, ScreenPick& pick);  // false when cancelled
