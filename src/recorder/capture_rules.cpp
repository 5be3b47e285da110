#include "recorder/capture_rules.h"

namespace {

// The button of a press, or false for any other message.
bool buttonOfPress(uint32_t message, MouseButton& button)
{
    switch (message) {
    case HookMessage::kLButtonDown: button = MouseButton::Left; return true;
    case HookMessage::kRButtonDown: button = MouseButton::Right; return true;
    case HookMessage::kMButtonDown: button = MouseButton::Middle; return true;
    default: return false;
    }
}

bool buttonOfRelease(uint32_t message, MouseButton& button)
{
    switch (message) {
    case HookMessage::kLButtonUp: button = MouseButton::Left; return true;
    case HookMessage::kRButtonUp: button = MouseButton::Right; return true;
    case HookMessage::kMButtonUp: button = MouseButton::Middle; return true;
    default: return false;
    }
}

bool isWheelMessage(uint32_t message)
{
    return message == HookMessage::kMouseWheel || message == HookMessage::kMouseHWheel;
}

// Takes the time of a recorded event and moves the delay baseline on.
double takeDelay(CaptureState& state, double now)
{
    double delay = now - state.lastEventTime;
    state.lastEventTime = now;
    return delay;
}

void fillMouseEvent(MacroEvent& out, EventKind kind, double delay, int32_t x, int32_t y)
{
    out = MacroEvent{};
    out.kind = kind;
    out.delay = delay;
    out.x = x;
    out.y = y;
}

}  // namespace

bool isKeyDownMessage(uint32_t message)
{
    return message == HookMessage::kKeyDown || message == HookMessage::kSysKeyDown;
}

int32_t wheelNotches(uint32_t mouseData)
{
    const auto delta = static_cast<int16_t>(static_cast<uint16_t>(mouseData >> 16));
    return static_cast<int32_t>(delta) / 120;  // C++ division truncates toward zero
}

bool mouseMessageNeedsOwnWindow(uint32_t message)
{
    MouseButton button = MouseButton::Left;
    return buttonOfPress(message, button) || isWheelMessage(message);
}

void resetCapture(CaptureState& state, double now)
{
    state = CaptureState{};
    state.lastEventTime = now;
}

bool captureKey(CaptureState& state, uint32_t message, uint32_t virtualKey, bool ownForeground, double now,
                MacroEvent& out)
{
    const uint32_t slot = virtualKey & 0xFF;
    const bool down = isKeyDownMessage(message);
    if (down) {
        // Typing into our own window (a file name, say) is not part of the macro; remember the
        // key so that its release, wherever the focus is by then, is dropped as well.
        state.swallowedKeys[slot] = ownForeground;
        if (ownForeground) {
            return false;
        }
    } else {
        const bool swallowed = state.swallowedKeys[slot];
        state.swallowedKeys[slot] = false;
        if (swallowed) {
            return false;
        }
    }
    out = MacroEvent{};
    out.kind = down ? EventKind::KeyDown : EventKind::KeyUp;
    out.delay = takeDelay(state, now);
    out.keyOrText = keyNameForVirtualKey(virtualKey);
    return true;
}

namespace {

bool captureMove(CaptureState& state, int32_t x, int32_t y, double now, MacroEvent& out)
{
    // Compared with the last recorded move, not the last notification: a steady stream of
    // fast moves still yields one event per interval instead of none at all.
    if (state.lastMoveTime != 0.0 && now - state.lastMoveTime < kMoveInterval) {
        return false;
    }
    state.lastMoveTime = now;
    fillMouseEvent(out, EventKind::Move, takeDelay(state, now), x, y);
    return true;
}

bool capturePress(CaptureState& state, MouseButton button, int32_t x, int32_t y, bool ownWindow, double now,
                  MacroEvent& out)
{
    // A click on our own window (the stop button, say) must not end up in the macro, and
    // neither must its release, even when the pointer has left the window by then.
    state.swallowedButtons[static_cast<size_t>(button)] = ownWindow;
    if (ownWindow) {
        return false;
    }
    fillMouseEvent(out, EventKind::Click, takeDelay(state, now), x, y);
    out.button = button;
    out.pressed = true;
    return true;
}

bool captureRelease(CaptureState& state, MouseButton button, int32_t x, int32_t y, double now, MacroEvent& out)
{
    bool& swallowed = state.swallowedButtons[static_cast<size_t>(button)];
    if (swallowed) {
        swallowed = false;
        return false;
    }
    fillMouseEvent(out, EventKind::Click, takeDelay(state, now), x, y);
    out.button = button;
    out.pressed = false;
    return true;
}

bool captureWheel(CaptureState& state, uint32_t message, int32_t x, int32_t y, uint32_t mouseData, bool ownWindow,
                  double now, MacroEvent& out)
{
    if (ownWindow) {
        return false;
    }
    // The baseline moves on before the zero test: a sub-notch turn still marks a moment of
    // activity, and the next event's delay counts from it.
    const double delay = takeDelay(state, now);
    const int32_t notches = wheelNotches(mouseData);
    if (notches == 0) {
        return false;
    }
    fillMouseEvent(out, EventKind::Scroll, delay, x, y);
    if (message == HookMessage::kMouseWheel) {
        out.dy = notches;
    } else {
        out.dx = notches;
    }
    return true;
}

}  // namespace

bool captureMouse(CaptureState& state, uint32_t message, int32_t x, int32_t y, uint32_t mouseData, bool ownWindow,
                  double now, MacroEvent& out)
{
    MouseButton button = MouseButton::Left;
    if (message == HookMessage::kMouseMove) {
        return captureMove(state, x, y, now, out);
    }
    if (buttonOfPress(message, button)) {
        return capturePress(state, button, x, y, ownWindow, now, out);
    }
    if (buttonOfRelease(message, button)) {
        return captureRelease(state, button, x, y, now, out);
    }
    if (isWheelMessage(message)) {
        return captureWheel(state, message, x, y, mouseData, ownWindow, now, out);
    }
    // Double-click messages, X buttons and anything else are not part of the vocabulary.
    return false;
}

size_t removeUnreleasedPresses(std::vector<MacroEvent>& events, const std::vector<std::string>& keyNames)
{
    std::vector<bool> remove(events.size(), false);
    size_t removed = 0;
    for (const std::string& name : keyNames) {
        // Back from the end up to the last release of the key: its presses there are unreleased.
        for (size_t i = events.size(); i > 0; --i) {
            const MacroEvent& e = events[i - 1];
            if (e.keyOrText != name) {
                continue;
            }
            if (e.kind == EventKind::KeyUp) {
                break;
            }
            if (e.kind == EventKind::KeyDown && !remove[i - 1]) {
                remove[i - 1] = true;
                ++removed;
            }
        }
    }
    if (removed == 0) {
        return 0;
    }
    std::vector<MacroEvent> kept;
    kept.reserve(events.size() - removed);
    double carried = 0.0;
    for (size_t i = 0; i < events.size(); ++i) {
        if (remove[i]) {
            carried += events[i].delay;
            continue;
        }
        kept.push_back(events[i]);
        kept.back().delay += carried;
        carried = 0.0;
    }
    events.swap(kept);
    return removed;
}
