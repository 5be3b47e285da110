#pragma once
// Rectangles of screen pixels and the arithmetic of a wait's search area: moved with a window,
// scaled to its monitor, clipped to the screen; where a found picture's click lands. Every result
// stays within the 32-bit range, whatever the input.

#include <cstdint>

// Right and bottom exclusive; empty when right <= left or bottom <= top.
struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool empty() const { return right <= left || bottom <= top; }
    int64_t width() const { return empty() ? 0 : static_cast<int64_t>(right) - left; }
    int64_t height() const { return empty() ? 0 : static_cast<int64_t>(bottom) - top; }
    bool contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
};

bool operator==(const ScreenRect& a, const ScreenRect& b);

int32_t clampToInt32(int64_t value);

// The rectangle at (x, y) of the given size (sizes below 0 count as 0), cut at the 32-bit range.
ScreenRect rectAt(int32_t x, int32_t y, int64_t width, int64_t height);
// The part both share; empty (all zero) when they share none.
ScreenRect intersection(const ScreenRect& a, const ScreenRect& b);

// A distance recorded at one DPI at another (rounded to the nearest, halves away from zero); a
// DPI outside 24..2400 leaves it as it is.
int64_t scaleDistance(int64_t value, int32_t dpiNow, int32_t dpiRecorded);

// Where a picture of the given size may lie inside the area: the places of its top-left corner,
// as a rectangle (empty when the picture does not fit).
ScreenRect picturePlaces(const ScreenRect& area, int32_t pictureWidth, int32_t pictureHeight);

// The screen point a click on a found picture lands on: its top-left corner plus (x, y) inside it.
struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
};
ScreenPoint pointInPicture(ScreenPoint found, int32_t x, int32_t y);
