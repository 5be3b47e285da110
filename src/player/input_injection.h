#pragma once
// Turns one MacroEvent into synthetic input records and keeps account of the buttons and keys
// that a playback holds down, so that no playback ends with input still pressed.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "script/macro_event.h"

// The values of the system's INPUT record fields that the player uses.
constexpr uint32_t kInputTypeMouse = 0;     // INPUT_MOUSE
constexpr uint32_t kInputTypeKeyboard = 1;  // INPUT_KEYBOARD

constexpr uint32_t kMouseFlagLeftDown = 0x0002;
constexpr uint32_t kMouseFlagLeftUp = 0x0004;
constexpr uint32_t kMouseFlagRightDown = 0x0008;
constexpr uint32_t kMouseFlagRightUp = 0x0010;
constexpr uint32_t kMouseFlagMiddleDown = 0x0020;
constexpr uint32_t kMouseFlagMiddleUp = 0x0040;
constexpr uint32_t kMouseFlagWheel = 0x0800;
constexpr uint32_t kMouseFlagHorizontalWheel = 0x1000;

constexpr uint32_t kKeyFlagExtended = 0x0001;  // KEYEVENTF_EXTENDEDKEY
constexpr uint32_t kKeyFlagUp = 0x0002;        // KEYEVENTF_KEYUP
constexpr uint32_t kKeyFlagUnicode = 0x0004;   // KEYEVENTF_UNICODE: scanCode holds a UTF-16 unit

constexpr int32_t kWheelDelta = 120;

// One INPUT record, free of the platform's headers; fields not set stay 0.
struct InputRecord {
    uint32_t type = kInputTypeMouse;
    // MOUSEINPUT
    int32_t dx = 0;
    int32_t dy = 0;
    int32_t mouseData = 0;
    uint32_t mouseFlags = 0;
    // KEYBDINPUT
    uint16_t virtualKey = 0;
    uint16_t scanCode = 0;
    uint32_t keyFlags = 0;
};

// The platform calls of the injection: SetCursorPos, SendInput with one record,
// MapVirtualKeyW(code, MAPVK_VK_TO_VSC) and GetAsyncKeyState's "down" bit. sendInput returns
// false when the system refused the record (SendInput gave 0), with its GetLastError in error.
struct InputSeam {
    void* context = nullptr;
    void (*setCursorPos)(void* context, int32_t x, int32_t y) = nullptr;
    bool (*sendInput)(void* context, const InputRecord& record, uint32_t& error) = nullptr;
    uint32_t (*mapVirtualKey)(void* context, uint32_t virtualKey) = nullptr;
    bool (*isKeyDown)(void* context, uint32_t virtualKey) = nullptr;
    // SendInput with count records in one call, so that no other input comes between them;
    // false when the system took fewer than all of them.
    bool (*sendInputs)(void* context, const InputRecord* records, uint32_t count, uint32_t& error) = nullptr;
};

// Virtual keys of the mouse buttons as the key-state query knows them.
constexpr uint32_t kVirtualKeyLeftButton = 0x01;
constexpr uint32_t kVirtualKeyRightButton = 0x02;
constexpr uint32_t kVirtualKeyMiddleButton = 0x04;

// Buttons (MouseButton values) and key names pressed by the playback and not yet released,
// each at most once, in order of first press. The lock is never held while input is sent.
struct HeldInput {
    std::mutex lock;
    std::vector<MouseButton> heldButtons;
    std::vector<std::string> heldKeys;
};

// Whether the system took the input of one step. The system refuses injected input while a
// program of higher integrity (one run as administrator, a UAC prompt, the lock screen) has the
// input; error is the refused SendInput's GetLastError.
struct SendResult {
    bool refused = false;
    uint32_t error = 0;
};

// Performs one event: positions the cursor (moves, presses and releases at their own points)
// and/or sends one record, then tracks held input.
// A refused record changes nothing in the held lists: a press that never happened holds
// nothing, and a release that never happened leaves its key held.
SendResult injectEvent(const InputSeam& seam, HeldInput& held, const MacroEvent& event);
// Updates the held lists after a click or key event was sent.
void trackHeld(HeldInput& held, const MacroEvent& event);
// The end of a playback: releases each item of the held lists that the system still reports down,
// then each other mouse button and modifier key that it reports down, each key once. Nothing that
// is up is released: a release of a button that is not down still reaches the window under the
// cursor (a right button-up opens its context menu). Refusals are not reported: whatever the
// system still takes is released.
void releaseHeld(const InputSeam& seam, HeldInput& held);
// The start of a playback: a key-up for each of the eight modifier keys that the system reports
// down (one the user still holds would turn replayed keys and clicks into shortcuts), with the
// extended flag where the key has it. Stops at the first refusal and reports it.
SendResult releaseModifiers(const InputSeam& seam);

// The virtual key of a key name as it can be sent, or 0 when the name gives none.
uint16_t sendableVirtualKey(const std::string& name);
// The press or release record of a key, with its scan code and the extended flag where it has it.
InputRecord keyPressRecord(const InputSeam& seam, uint16_t virtualKey, bool release);
// Shift, Ctrl and Alt (with or without a side) and both Windows keys.
bool isModifierKey(uint16_t virtualKey);
// The press or release record of a button; values other than Right and Middle act as Left.
InputRecord buttonRecord(MouseButton button, bool pressed);
