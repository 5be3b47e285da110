#include "player/pause_gate.h"

#include <algorithm>

namespace {

// The code the key-state query knows a button or key by; Shift, Ctrl and Alt without a side are
// asked about as the left-hand key, as they are sent.
uint32_t stateCode(MouseButton button)
{
    switch (button) {
    case MouseButton::Right: return kVirtualKeyRightButton;
    case MouseButton::Middle: return kVirtualKeyMiddleButton;
    default: return kVirtualKeyLeftButton;
    }
}

uint32_t stateCode(const std::string& key)
{
    const uint16_t code = sendableVirtualKey(key);
    switch (code) {
    case 0x10: return 0xA0;
    case 0x11: return 0xA2;
    case 0x12: return 0xA4;
    default: return code;
    }
}

MacroEvent buttonEvent(MouseButton button, bool pressed, int32_t x, int32_t y)
{
    MacroEvent event;
    event.kind = EventKind::Click;
    event.button = button;
    event.pressed = pressed;
    event.x = x;
    event.y = y;
    return event;
}

MacroEvent keyEvent(const std::string& name, bool pressed)
{
    MacroEvent event;
    event.kind = pressed ? EventKind::KeyDown : EventKind::KeyUp;
    event.keyOrText = name;
    return event;
}

// Releases one item unless the system reports it up or it was released already under another name.
void releaseOnce(const InputSeam& seam, HeldInput& held, uint32_t code, const MacroEvent& release,
                 std::vector<uint32_t>& released)
{
    if (code == 0 || std::find(released.begin(), released.end(), code) != released.end()) {
        return;
    }
    released.push_back(code);
    if (seam.isKeyDown(seam.context, code)) {
        injectEvent(seam, held, release);
    }
}

}  // namespace

void PauseGate::arm(const PlaybackClockSeam& clock, const std::atomic<bool>& stopRequested, const PauseActions& actions)
{
    clock_ = clock;
    stopRequested_ = &stopRequested;
    actions_ = actions;
}

PauseHold PauseGate::hold()
{
    PauseHold result;
    if (!requested_.load() || stopRequested_ == nullptr) {
        return result;
    }
    const double start = clock_.now(clock_.context);
    if (actions_.letGo != nullptr) {
        actions_.letGo(actions_.context);
    }
    holding_.store(true);
    while (requested_.load() && !stopRequested_->load()) {
        clock_.sleepMilliseconds(clock_.context, kPauseStepMilliseconds);
    }
    holding_.store(false);
    result.stopped = stopRequested_->load();
    if (!result.stopped && actions_.pressAgain != nullptr) {
        result.sent = actions_.pressAgain(actions_.context);
    }
    // The pressing again belongs to the pause as well: the wait resumes from here.
    result.pausedSeconds = clock_.now(clock_.context) - start;
    return result;
}

LetGoInput letGoOfHeld(const InputSeam& seam, HeldInput& held, int32_t pointerX, int32_t pointerY)
{
    LetGoInput input;
    input.pointerX = pointerX;
    input.pointerY = pointerY;
    {
        std::lock_guard<std::mutex> guard(held.lock);
        input.buttons = held.heldButtons;
        input.keys = held.heldKeys;
    }
    std::vector<uint32_t> released;
    for (MouseButton button : input.buttons) {
        releaseOnce(seam, held, stateCode(button), buttonEvent(button, false, pointerX, pointerY), released);
    }
    for (const std::string& key : input.keys) {
        releaseOnce(seam, held, stateCode(key), keyEvent(key, false), released);
    }
    // Whatever the system did not report down is let go of all the same: it is pressed again at
    // the end of the pause, as the script has it.
    std::lock_guard<std::mutex> guard(held.lock);
    held.heldButtons.clear();
    held.heldKeys.clear();
    return input;
}

SendResult pressAgain(const InputSeam& seam, HeldInput& held, const LetGoInput& input)
{
    seam.setCursorPos(seam.context, input.pointerX, input.pointerY);
    for (MouseButton button : input.buttons) {
        const SendResult sent = injectEvent(seam, held, buttonEvent(button, true, input.pointerX, input.pointerY));
        if (sent.refused) {
            return sent;
        }
    }
    for (const std::string& key : input.keys) {
        const SendResult sent = injectEvent(seam, held, keyEvent(key, true));
        if (sent.refused) {
            return sent;
        }
    }
    return SendResult{};
}
