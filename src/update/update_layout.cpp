#include "update/update_layout.h"

#include <cstdint>

UpdateRect scaleUpdateRect(const UpdateRect& rect, int dpi)
{
    return UpdateRect{scaleForDpi(rect.x, dpi), scaleForDpi(rect.y, dpi), scaleForDpi(rect.width, dpi),
                      scaleForDpi(rect.height, dpi)};
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

UpdateRect centeredOn(const UpdateRect& owner, int width, int height, const UpdateRect& workArea)
{
    const int x = owner.x + (owner.width - width) / 2;
    const int y = owner.y + (owner.height - height) / 2;
    return UpdateRect{clampStart(x, width, workArea.x, workArea.width),
                      clampStart(y, height, workArea.y, workArea.height), width, height};
}
