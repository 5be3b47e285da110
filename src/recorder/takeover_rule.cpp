#include "recorder/takeover_rule.h"

#include "recorder/capture_rules.h"

namespace {

bool isNear(int32_t x, int32_t y, int32_t placeX, int32_t placeY)
{
    const int64_t dx = static_cast<int64_t>(x) - placeX;
    const int64_t dy = static_cast<int64_t>(y) - placeY;
    return dx * dx + dy * dy <= static_cast<int64_t>(kTakeoverDistance) * kTakeoverDistance;
}

bool isButtonPress(uint32_t message)
{
    switch (message) {
    case HookMessage::kLButtonDown:
    case HookMessage::kRButtonDown:
    case HookMessage::kMButtonDown:
    case HookMessage::kXButtonDown: return true;
    default: return false;
    }
}

}  // namespace

bool isUserTakeover(uint32_t message, int32_t x, int32_t y, uint32_t flags, const PlaybackPointer::Places& places)
{
    if (!places.active || (flags & kMouseInjectedFlag) != 0) {
        return false;
    }
    if (message == HookMessage::kMouseMove) {
        return !isNear(x, y, places.lastX, places.lastY) && !isNear(x, y, places.previousX, places.previousY);
    }
    return isButtonPress(message);
}
