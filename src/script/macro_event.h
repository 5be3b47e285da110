#pragma once
// The one event record of a macro, its kinds, button names and key-name vocabulary.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "script/event_window.h"

struct ScreenWait;

enum class EventKind : int32_t {
    Move = 0,
    Click = 1,
    Scroll = 2,
    KeyDown = 3,
    KeyUp = 4,
    Text = 5,  // types its text as characters, whatever the input method
    // Wait for what the screen shows (script/screen_wait.h): the point is x, y.
    WaitWindow = 6,
    WaitColour = 7,
    WaitPicture = 8,
};

enum class MouseButton : int32_t {
    Left = 0,
    Right = 1,
    Middle = 2,
};

// The longest delay an event can have (about 11.6 days): a loaded delay is cut to it, an edited
// one refused beyond it. Bounded and finite, every delay saves as "%.4f" and loads back.
constexpr double kMaxDelaySeconds = 1000000.0;

// Room for a script's events: a quarter more than it holds, so that a paste or an insert into a
// big script finds its place without moving every event to a new block. Room never used costs
// address space and no memory, as no page of it is touched.
constexpr size_t eventRoomFor(size_t count)
{
    return count + count / 4;
}

struct MacroEvent {
    EventKind kind = EventKind::Move;
    double delay = 0.0;  // seconds since the previous event (or the start)
    int32_t x = 0;
    int32_t y = 0;
    int32_t dx = 0;  // horizontal wheel notches
    int32_t dy = 0;  // vertical wheel notches
    MouseButton button = MouseButton::Left;
    bool pressed = false;
    // UTF-8, one member for two kinds so that no event grows: the key name of a key event, the
    // text of a text step (always valid UTF-8).
    std::string keyOrText;
    EventWindow window;  // the window it was recorded in, if any
    // The members of a wait step (set for the three wait kinds, null for every other event).
    std::shared_ptr<const ScreenWait> wait;
};

// Key names: the 37-row table, single characters, or "VK:<code>".
std::string keyNameForVirtualKey(uint32_t virtualKey);
int32_t virtualKeyForName(const std::string& name);  // 0 means no key
bool isExtendedKey(uint32_t virtualKey);

const char* buttonName(MouseButton button);                         // "左", "右" or "中"
bool buttonFromName(const std::string& name, MouseButton& button);  // false for anything else
const char* kindToken(EventKind kind);                              // "m", "c", "s", "kd", "ku", "tx", "ww", "wp", "wi"
bool kindFromToken(const std::string& token, EventKind& kind);

// Seam for one-character key names: maps a character to a virtual key under the current
// keyboard layout, or returns -1 when the layout has no key for it. Windows asks VkKeyScanW;
// the native build uses a US-layout table. Tests may replace it.
using CharToVirtualKeyFn = int32_t (*)(uint16_t ch);
extern CharToVirtualKeyFn charToVirtualKeySeam;
