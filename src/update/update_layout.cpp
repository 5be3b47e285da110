#include "update/update_layout.h"

#include <cstdint>

int ScaleDesignUnits(int value, int dpi)
{
    const int64_t product = static_cast<int64_t>(value) * dpi;
    const int64_t half = 48;
    return static_cast<int>(product >= 0 ? (product + half) / 96 : -((-product + half) / 96));
}

DesignRect ScaleDesignRect(const DesignRect& rect, int dpi)
{
    return DesignRect{ScaleDesignUnits(rect.x, dpi), ScaleDesignUnits(rect.y, dpi), ScaleDesignUnits(rect.width, dpi),
                      ScaleDesignUnits(rect.height, dpi)};
}

int SaneDpi(int dpi)
{
    return dpi < 72 || dpi > 480 ? 96 : dpi;
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

DesignRect CenteredOn(const DesignRect& owner, int width, int height, const DesignRect& workArea)
{
    const int x = owner.x + (owner.width - width) / 2;
    const int y = owner.y + (owner.height - height) / 2;
    return DesignRect{clampStart(x, width, workArea.x, workArea.width),
                      clampStart(y, height, workArea.y, workArea.height), width, height};
}
