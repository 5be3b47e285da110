#include "player/input_injection.h"

#include <algorithm>
#include <iterator>

namespace {

InputRecord keyRecord(const InputSeam& seam, uint16_t virtualKey, bool release, bool extended)
{
    InputRecord record;
    record.type = kInputTypeKeyboard;
    record.virtualKey = virtualKey;
    // A scan code that does not fit is sent as 0, which the system treats as "none".
    const uint32_t scan = seam.mapVirtualKey(seam.context, virtualKey);
    record.scanCode = scan <= 0xFFFF ? static_cast<uint16_t>(scan) : 0;
    record.keyFlags = (release ? kKeyFlagUp : 0) | (extended ? kKeyFlagExtended : 0);
    return record;
}

SendResult send(const InputSeam& seam, const InputRecord& record)
{
    SendResult result;
    result.refused = !seam.sendInput(seam.context, record, result.error);
    return result;
}

SendResult sendKey(const InputSeam& seam, uint16_t virtualKey, bool release)
{
    return send(seam, keyRecord(seam, virtualKey, release, isExtendedKey(virtualKey)));
}

SendResult sendAndTrack(const InputSeam& seam, HeldInput& held, const MacroEvent& event, const InputRecord& record)
{
    const SendResult result = send(seam, record);
    if (!result.refused) {
        trackHeld(held, event);
    }
    return result;
}

// Shift, Ctrl and Alt on both sides, then both Windows keys: the keys that change the meaning of
// other input.
constexpr uint16_t kModifierKeys[] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0x5B, 0x5C};

// The key-state code of a button; values other than Right and Middle act as Left.
uint32_t buttonVirtualKey(MouseButton button)
{
    switch (button) {
    case MouseButton::Right: return kVirtualKeyRightButton;
    case MouseButton::Middle: return kVirtualKeyMiddleButton;
    default: return kVirtualKeyLeftButton;
    }
}

// Shift, Ctrl and Alt without a side act on the left-hand key.
uint32_t sidedVirtualKey(uint32_t code)
{
    switch (code) {
    case 0x10: return 0xA0;
    case 0x11: return 0xA2;
    case 0x12: return 0xA4;
    default: return code;
    }
}

bool contains(const std::vector<uint32_t>& codes, uint32_t code)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

uint16_t sendableVirtualKey(const std::string& name)
{
    const int32_t code = virtualKeyForName(name);
    // "VK:321" would otherwise lose its high bits in the record's 16-bit field and press 'A'.
    if (code <= 0 || code > 0xFF) {
        return 0;
    }
    return static_cast<uint16_t>(code);
}

InputRecord keyPressRecord(const InputSeam& seam, uint16_t virtualKey, bool release)
{
    return keyRecord(seam, virtualKey, release, isExtendedKey(virtualKey));
}

bool isModifierKey(uint16_t virtualKey)
{
    const uint32_t sided = sidedVirtualKey(virtualKey);
    return std::find(std::begin(kModifierKeys), std::end(kModifierKeys), sided) != std::end(kModifierKeys);
}

InputRecord buttonRecord(MouseButton button, bool pressed)
{
    InputRecord record;
    record.type = kInputTypeMouse;
    if (button == MouseButton::Right) {
        record.mouseFlags = pressed ? kMouseFlagRightDown : kMouseFlagRightUp;
    } else if (button == MouseButton::Middle) {
        record.mouseFlags = pressed ? kMouseFlagMiddleDown : kMouseFlagMiddleUp;
    } else {
        record.mouseFlags = pressed ? kMouseFlagLeftDown : kMouseFlagLeftUp;
    }
    return record;
}

SendResult injectEvent(const InputSeam& seam, HeldInput& held, const MacroEvent& event)
{
    switch (event.kind) {
    case EventKind::Move: seam.setCursorPos(seam.context, event.x, event.y); return SendResult{};
    case EventKind::Click:
        // A release is positioned as well: the recorder keeps at most 50 moves a second, so the
        // last move of a drag is often a few pixels short of where the button went up.
        seam.setCursorPos(seam.context, event.x, event.y);
        return sendAndTrack(seam, held, event, buttonRecord(event.button, event.pressed));
    case EventKind::Scroll: {
        InputRecord record;
        record.type = kInputTypeMouse;
        if (event.dy != 0) {
            record.mouseFlags = kMouseFlagWheel;
            record.mouseData = static_cast<int32_t>(static_cast<uint32_t>(event.dy) * kWheelDelta);
        } else if (event.dx != 0) {
            record.mouseFlags = kMouseFlagHorizontalWheel;
            record.mouseData = static_cast<int32_t>(static_cast<uint32_t>(event.dx) * kWheelDelta);
        } else {
            return SendResult{};
        }
        return send(seam, record);
    }
    case EventKind::KeyDown:
    case EventKind::KeyUp: {
        const uint16_t code = sendableVirtualKey(event.keyOrText);
        if (code == 0) {
            return SendResult{};
        }
        return sendAndTrack(seam, held, event,
                            keyRecord(seam, code, event.kind == EventKind::KeyUp, isExtendedKey(code)));
    }
    default: return SendResult{};
    }
}

void trackHeld(HeldInput& held, const MacroEvent& event)
{
    std::lock_guard<std::mutex> guard(held.lock);
    if (event.kind == EventKind::Click) {
        auto found = std::find(held.heldButtons.begin(), held.heldButtons.end(), event.button);
        if (event.pressed && found == held.heldButtons.end()) {
            held.heldButtons.push_back(event.button);
        } else if (!event.pressed && found != held.heldButtons.end()) {
            held.heldButtons.erase(found);
        }
    } else if (event.kind == EventKind::KeyDown || event.kind == EventKind::KeyUp) {
        auto found = std::find(held.heldKeys.begin(), held.heldKeys.end(), event.keyOrText);
        if (event.kind == EventKind::KeyDown && found == held.heldKeys.end()) {
            held.heldKeys.push_back(event.keyOrText);
        } else if (event.kind == EventKind::KeyUp && found != held.heldKeys.end()) {
            held.heldKeys.erase(found);
        }
    }
}

void releaseHeld(const InputSeam& seam, HeldInput& held)
{
    std::vector<MouseButton> buttons;
    std::vector<std::string> keys;
    {
        std::lock_guard<std::mutex> guard(held.lock);
        buttons.swap(held.heldButtons);
        keys.swap(held.heldKeys);
    }
    // Each item is asked about once and released only while the system reports it down: the user
    // may have released it after taking over, or the system may have (a stray button-up still
    // reaches the window under the cursor). What was asked about is not asked again below: the
    // system may report a key down for a moment after its release was sent.
    std::vector<uint32_t> asked;
    for (MouseButton button : buttons) {
        const uint32_t code = buttonVirtualKey(button);
        if (contains(asked, code)) {
            continue;
        }
        asked.push_back(code);
        if (seam.isKeyDown(seam.context, code)) {
            send(seam, buttonRecord(button, false));
        }
    }
    for (const std::string& name : keys) {
        const uint16_t code = sendableVirtualKey(name);
        // Two names of one key ("Shift" and "LShift") release it once.
        if (code == 0 || contains(asked, sidedVirtualKey(code))) {
            continue;
        }
        // Shift, Ctrl and Alt without a side are sent, and so asked about, as the left-hand key.
        asked.push_back(sidedVirtualKey(code));
        if (seam.isKeyDown(seam.context, sidedVirtualKey(code))) {
            sendKey(seam, code, true);
        }
    }
    // A button or modifier still down after the lists (pressed under a name the lists did not
    // match, say) must not outlive the playback.
    for (MouseButton button : {MouseButton::Left, MouseButton::Right, MouseButton::Middle}) {
        const uint32_t code = buttonVirtualKey(button);
        if (!contains(asked, code) && seam.isKeyDown(seam.context, code)) {
            send(seam, buttonRecord(button, false));
        }
    }
    for (uint16_t code : kModifierKeys) {
        if (!contains(asked, code) && seam.isKeyDown(seam.context, code)) {
            sendKey(seam, code, true);
        }
    }
}

SendResult releaseModifiers(const InputSeam& seam)
{
    for (uint16_t code : kModifierKeys) {
        if (seam.isKeyDown(seam.context, code)) {
            const SendResult result = sendKey(seam, code, true);
            if (result.refused) {
                return result;
            }
        }
    }
    return SendResult{};
}
