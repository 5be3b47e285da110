#include "script/step_changes.h"

#include <cmath>
#include <limits>

#include "script/window_table.h"

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

bool isRelease(const MacroEvent& e, MouseButton button)
{
    return e.kind == EventKind::Click && !e.pressed && e.button == button;
}

bool isPress(const MacroEvent& e, MouseButton button)
{
    return e.kind == EventKind::Click && e.pressed && e.button == button;
}

// The release of the press at position at: the next event of its button (when a release).
size_t releaseOf(const std::vector<MacroEvent>& events, size_t at)
{
    for (size_t i = at + 1; i < events.size(); ++i) {
        if (events[i].kind == EventKind::Click && events[i].button == events[at].button) {
            return events[i].pressed ? kNone : i;
        }
    }
    return kNone;
}

size_t pressOf(const std::vector<MacroEvent>& events, size_t at)
{
    for (size_t i = at; i-- > 0;) {
        if (events[i].kind == EventKind::Click && events[i].button == events[at].button) {
            return events[i].pressed ? i : kNone;
        }
    }
    return kNone;
}

bool hasPosition(EventKind kind)
{
    return kind == EventKind::Move || kind == EventKind::Click || kind == EventKind::Scroll;
}

int32_t shifted(int32_t value, double by)
{
    const double result = std::round(static_cast<double>(value) + by);
    using Limits = std::numeric_limits<int32_t>;
    if (result >= static_cast<double>(Limits::max())) {
        return Limits::max();
    }
    return result <= static_cast<double>(Limits::min()) ? Limits::min() : static_cast<int32_t>(result);
}

void shift(MacroEvent& event, double byX, double byY)
{
    event.x = shifted(event.x, byX);
    event.y = shifted(event.y, byY);
    if (event.window.index != kNoWindow && windowInfoFor(event.kind, event.pressed) == WindowInfo::WithPlace) {
        event.window.x = shifted(event.window.x, byX);
        event.window.y = shifted(event.window.y, byY);
    }
}

}  // namespace

StepChange positionChange(const std::vector<MacroEvent>& events, size_t at, int32_t x, int32_t y,
                          const EventWindow* placeWindow)
{
    StepChange change;
    if (at >= events.size() || !hasPosition(events[at].kind)) {
        return change;
    }
    const MacroEvent& step = events[at];
    const double byX = static_cast<double>(x) - step.x;
    const double byY = static_cast<double>(y) - step.y;
    size_t first = at;
    size_t last = at;
    if (isPress(step, step.button)) {
        last = releaseOf(events, at);
        last = last == kNone ? at : last;
    } else if (isRelease(step, step.button)) {
        first = pressOf(events, at);
        first = first == kNone ? at : first;
    }
    change.ranges = {EventRange{first, last - first + 1}};
    for (size_t i = first; i <= last; ++i) {
        MacroEvent event = events[i];
        // A press moves its gesture rigidly; a release bends the moves before it by their share.
        const double share = first == at ? 1.0 : static_cast<double>(i - first) / static_cast<double>(last - first);
        if (i == at || hasPosition(event.kind)) {
            shift(event, byX * share, byY * share);
        }
        if (i == at) {
            event.x = x;
            event.y = y;
            if (placeWindow != nullptr && windowInfoFor(event.kind, event.pressed) == WindowInfo::WithPlace) {
                event.window = *placeWindow;
            }
        }
        change.events.push_back(std::move(event));
    }
    return change;
}

StepChange keyChange(const std::vector<MacroEvent>& events, size_t at, const std::string& key)
{
    StepChange change;
    if (at >= events.size() || (events[at].kind != EventKind::KeyDown && events[at].kind != EventKind::KeyUp)) {
        return change;
    }
    const std::string& old = events[at].keyOrText;
    const auto sameKey = [&](size_t i) {
        return (events[i].kind == EventKind::KeyDown || events[i].kind == EventKind::KeyUp) &&
               events[i].keyOrText == old;
    };
    // Back to the press that began it (past its repeats), on to its release.
    size_t first = at;
    for (size_t i = at; i-- > 0;) {
        if (sameKey(i)) {
            if (events[i].kind == EventKind::KeyUp) {
                break;
            }
            first = i;
        }
    }
    size_t last = at;
    for (size_t i = at; events[at].kind == EventKind::KeyDown && ++i < events.size();) {
        if (sameKey(i)) {
            last = i;
            if (events[i].kind == EventKind::KeyUp) {
                break;
            }
        }
    }
    for (size_t i = first; i <= last; ++i) {
        if (sameKey(i)) {
            MacroEvent event = events[i];
            event.keyOrText = key;
            change.ranges.push_back(EventRange{i, 1});
            change.events.push_back(std::move(event));
        }
    }
    return change;
}

std::vector<MacroEvent> keyChordSteps(uint32_t virtualKey, uint8_t modifiers, double delay, int32_t window)
{
    static const struct {
        uint8_t bit;
        uint32_t virtualKey;
    } kModifiers[] = {{kStepCtrl, 0xA2}, {kStepAlt, 0xA4}, {kStepShift, 0xA0}, {kStepWin, 0x5B}};
    std::vector<std::string> keys;
    for (const auto& modifier : kModifiers) {
        if ((modifiers & modifier.bit) != 0) {
            keys.push_back(keyNameForVirtualKey(modifier.virtualKey));
        }
    }
    keys.push_back(keyNameForVirtualKey(virtualKey));
    std::vector<MacroEvent> steps;
    for (size_t i = 0; i < 2 * keys.size(); ++i) {
        MacroEvent step;
        const bool down = i < keys.size();
        step.kind = down ? EventKind::KeyDown : EventKind::KeyUp;
        step.keyOrText = down ? keys[i] : keys[2 * keys.size() - 1 - i];
        step.delay = i == 0 ? delay : kInsertedStepGap;
        step.window.index = down ? window : kNoWindow;
        steps.push_back(std::move(step));
    }
    return steps;
}

std::vector<MacroEvent> clickSteps(MouseButton button, bool doubleClick, int32_t x, int32_t y, double delay,
                                   const EventWindow& place)
{
    std::vector<MacroEvent> steps;
    for (int i = 0; i < (doubleClick ? 4 : 2); ++i) {
        MacroEvent step;
        step.kind = EventKind::Click;
        step.button = button;
        step.pressed = i % 2 == 0;
        step.x = x;
        step.y = y;
        step.delay = i == 0 ? delay : kInsertedStepGap;
        if (step.pressed) {
            step.window = place;
        }
        steps.push_back(step);
    }
    return steps;
}
