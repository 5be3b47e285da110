#include "update/update_layout.h"

#include <cstdint>

UpdateRect ScaleUpdateRect(const UpdateRect& rect, int dpi)
{
    return UpdateRect{ScaleForDpi(rect.x, dpi), ScaleForDpi(rect.y, dpi), ScaleForDpi(rect.width, dpi),
                      ScaleForDpi(rect.height, dpi)};
}

namespace {

int clampStart(int start, int size, int areaStart, int areaSize)
{
    if (start + size > areaStart + areaSize) {
        start = areaStart + areaSize - size;
    }
    return start < areaStart ? areaStart : start;
}

}  // namespace

UpdateRect CenteredOn(const UpdateRect& owner, int width, int height, const UpdateRect& workArea)
{
    const int x = owner.x + (owner.width - width) / 2;
    const int y = owner.y + (owner.height - height) / 2;
    return UpdateRect{clampStart(x, width, workArea.x, workArea.width),
                      clampStart(y, height, workArea.y, workArea.height), width, height};
}
