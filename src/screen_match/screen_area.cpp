#include "screen_match/screen_area.h"

#include <cmath>

bool operator==(const ScreenRect& a, const ScreenRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

int32_t clampToInt32(int64_t value)
{
    return static_cast<int32_t>(value < INT32_MIN ? INT32_MIN : (value > INT32_MAX ? INT32_MAX : value));
}

ScreenRect rectAt(int32_t x, int32_t y, int64_t width, int64_t height)
{
    ScreenRect rect;
    rect.left = x;
    rect.top = y;
    rect.right = clampToInt32(static_cast<int64_t>(x) + (width > 0 ? (width < INT64_MAX / 2 ? width : 0) : 0));
    rect.bottom = clampToInt32(static_cast<int64_t>(y) + (height > 0 ? (height < INT64_MAX / 2 ? height : 0) : 0));
    return rect;
}

ScreenRect intersection(const ScreenRect& a, const ScreenRect& b)
{
    ScreenRect rect;
    rect.left = a.left > b.left ? a.left : b.left;
    rect.top = a.top > b.top ? a.top : b.top;
    rect.right = a.right < b.right ? a.right : b.right;
    rect.bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
    return rect.empty() ? ScreenRect{} : rect;
}

int64_t scaleDistance(int64_t value, int32_t dpiNow, int32_t dpiRecorded)
{
    if (dpiNow < 24 || dpiNow > 2400 || dpiRecorded < 24 || dpiRecorded > 2400 || dpiNow == dpiRecorded) {
        return value;
    }
    // Within int64 for every 32-bit value; the callers clamp the result.
    return static_cast<int64_t>(std::llround(static_cast<double>(value) * dpiNow / dpiRecorded));
}

ScreenRect picturePlaces(const ScreenRect& area, int32_t pictureWidth, int32_t pictureHeight)
{
    if (area.empty() || pictureWidth < 1 || pictureHeight < 1 || area.width() < pictureWidth ||
        area.height() < pictureHeight) {
        return ScreenRect{};
    }
    ScreenRect places;
    places.left = area.left;
    places.top = area.top;
    places.right = clampToInt32(static_cast<int64_t>(area.right) - pictureWidth + 1);
    places.bottom = clampToInt32(static_cast<int64_t>(area.bottom) - pictureHeight + 1);
    return places;
}

ScreenPoint pointInPicture(ScreenPoint found, int32_t x, int32_t y)
{
    return ScreenPoint{clampToInt32(static_cast<int64_t>(found.x) + x),
                       clampToInt32(static_cast<int64_t>(found.y) + y)};
}
