#include "ui/screen_picker.h"

#include <algorithm>

#include "base/error_log.h"
#include "ui/screen_picker_desktop.h"
#include "ui/screen_picker_overlay.h"
#include "ui/screen_picker_rules.h"

namespace {

// The distance a press must move to be a drag: the system's, at least a few pixels.
int dragDistance()
{
    return std::max(4, std::max(GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)));
}

}  // namespace

bool pickOnScreen(HWND owner, PickShape shape, ScreenPick& pick)
{
    // One overlay at a time: a second pick asked for from a message handled meanwhile is refused.
    static bool picking = false;
    if (picking) {
        return false;
    }
    picking = true;
    const PerMonitorDpiScope physicalPixels;
    bool picked = false;
    {
        const HiddenOwners hidden(owner);
        const PickerRect screen = virtualScreen();
        const FrozenScreen frozen(screen);
        POINT cursor{};
        GetCursorPos(&cursor);
        PickerSession session(shape == PickShape::PointOrRectangle, screen, dragDistance(),
                              PickerPoint{cursor.x, cursor.y});
        if (!frozen.taken()) {
            ErrorLog::write(L"[警告] 无法截取屏幕（%d×%d），取点已取消", screen.width(), screen.height());
        } else if (runPickerOverlay(shape, screen, frozen, session)) {
            const PickerPoint point = session.pickedPoint();
            const PickerRect area = session.pickedArea();
            const uint32_t rgb = frozen.rgbAt(point);
            pick.rectangle = session.pickedRectangle();
            pick.point = POINT{point.x, point.y};
            pick.area = RECT{area.left, area.top, area.right, area.bottom};
            pick.colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
            pick.window = topLevelWindowAt(pick.point);
            picked = true;
        }
    }
    picking = false;
    return picked;
}
