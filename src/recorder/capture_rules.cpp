#include "recorder/capture_rules.h"

namespace {

// Button index 0..2 of a press or release, -1 for any other message.
int buttonOfPress(uint32_t message)
{
    switch (message) {
    case HookMessage::LButtonDown: return Left;
    case HookMessage::RButtonDown: return Right;
    case HookMessage::MButtonDown: return Middle;
    default: return -1;
    }
}

int buttonOfRelease(uint32_t message)
{
    switch (message) {
    case HookMessage::LButtonUp: return Left;
    case HookMessage::RButtonUp: return Right;
    case HookMessage::MButtonUp: return Middle;
    default: return -1;
    }
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
    return message == HookMessage::KeyDown || message == HookMessage::SysKeyDown;
}

HotkeyDecision hotkeyStep(uint32_t message, uint32_t virtualKey, uint32_t flags)
{
    HotkeyDecision decision;
    Hotkey hotkey = Hotkey::None;
    switch (virtualKey) {
    case kVirtualKeyF7: hotkey = Hotkey::F7; break;
    case kVirtualKeyF8: hotkey = Hotkey::F8; break;
    case kVirtualKeyF9: hotkey = Hotkey::F9; break;
    default: return decision;
    }
    decision.consumed = true;
    const bool injected = (flags & kKeyInjectedFlag) != 0;
    if (!injected && isKeyDownMessage(message)) {
        decision.post = hotkey;
    }
    return decision;
}

int32_t wheelNotches(uint32_t mouseData)
{
    const auto delta = static_cast<int16_t>(static_cast<uint16_t>(mouseData >> 16));
    return static_cast<int32_t>(delta) / 120;  // C++ division truncates toward zero
}

bool mouseMessageNeedsOwnWindow(uint32_t message)
{
    return buttonOfPress(message) >= 0 || message == HookMessage::MouseWheel || message == HookMessage::MouseHWheel;
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
    out.kind = down ? KeyDown : KeyUp;
    out.delay = takeDelay(state, now);
    out.key = keyNameForVirtualKey(virtualKey);
    return true;
}

bool captureMouse(CaptureState& state, uint32_t message, int32_t x, int32_t y, uint32_t mouseData, bool ownWindow,
                  double now, MacroEvent& out)
{
    if (message == HookMessage::MouseMove) {
        // Compared with the last recorded move, not the last notification: a steady stream of
        // fast moves still yields one event per interval instead of none at all.
        if (state.lastMoveTime != 0.0 && now - state.lastMoveTime < kMoveInterval) {
            return false;
        }
        state.lastMoveTime = now;
        fillMouseEvent(out, Move, takeDelay(state, now), x, y);
        return true;
    }
    int button = buttonOfPress(message);
    if (button >= 0) {
        // A click on our own window (the stop button, say) must not end up in the macro, and
        // neither must its release, even when the pointer has left the window by then.
        state.swallowedButtons[button] = ownWindow;
        if (ownWindow) {
            return false;
        }
        fillMouseEvent(out, Click, takeDelay(state, now), x, y);
        out.button = static_cast<MouseButton>(button);
        out.pressed = true;
        return true;
    }
    button = buttonOfRelease(message);
    if (button >= 0) {
        const bool swallowed = state.swallowedButtons[button];
        state.swallowedButtons[button] = false;
        if (swallowed) {
            return false;
        }
        fillMouseEvent(out, Click, takeDelay(state, now), x, y);
        out.button = static_cast<MouseButton>(button);
        out.pressed = false;
        return true;
    }
    if (message == HookMessage::MouseWheel || message == HookMessage::MouseHWheel) {
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
        fillMouseEvent(out, Scroll, delay, x, y);
        if (message == HookMessage::MouseWheel) {
            out.dy = notches;
        } else {
            out.dx = notches;
        }
        return true;
    }
    // Double-click messages, X buttons and anything else are not part of the vocabulary.
    return false;
}
