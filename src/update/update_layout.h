#pragma once
// Sizes of the two update windows: design units at 96 DPI, scaled to the window's DPI the way
// MulDiv(value, dpi, 96) does, so that at 96 DPI every size is exactly the designed one.

#include "base/dpi_scaling.h"

struct UpdateRect {
    int x;
    int y;
    int width;
    int height;
};

UpdateRect scaleUpdateRect(const UpdateRect& rect, int dpi);

// Outer sizes of the windows at 96 DPI.
constexpr int kCheckWindowWidth = 400;
constexpr int kCheckWindowHeight = 150;
constexpr int kUpdateWindowWidth = 524;
constexpr int kUpdateWindowHeight = 340;

// Where a window of the given size goes so that it is centred on the owner's rectangle and
// stays inside the work area (its top-left corner wins when it is larger than the work area).
UpdateRect centeredOn(const UpdateRect& owner, int width, int height, const UpdateRect& workArea);
