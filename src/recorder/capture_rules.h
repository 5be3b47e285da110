#pragma once
// The capture rules of the recorder as plain functions: the move throttle, the own-window and
// foreground filters with their swallowed buttons and keys, the wheel notches, and the removal of
// a stop chord's modifier presses. The hotkey test is in hotkey_rules.h.
// The hook procedures unpack a notification, work out the few platform facts these rules need
// (the clock, "is this window ours") and pass them in, so the rules run without Windows.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/macro_event.h"

// Message numbers as the low-level hooks deliver them; spelled out here so that this file stays
// free of the Windows headers.
namespace HookMessage {
constexpr uint32_t kKeyDown = 0x0100;
constexpr uint32_t kKeyUp = 0x0101;
constexpr uint32_t kSysKeyDown = 0x0104;
constexpr uint32_t kSysKeyUp = 0x0105;
constexpr uint32_t kMouseMove = 0x0200;
constexpr uint32_t kLButtonDown = 0x0201;
constexpr uint32_t kLButtonUp = 0x0202;
constexpr uint32_t kLButtonDblClk = 0x0203;
constexpr uint32_t kRButtonDown = 0x0204;
constexpr uint32_t kRButtonUp = 0x0205;
constexpr uint32_t kRButtonDblClk = 0x0206;
constexpr uint32_t kMButtonDown = 0x0207;
constexpr uint32_t kMButtonUp = 0x0208;
constexpr uint32_t kMButtonDblClk = 0x0209;
constexpr uint32_t kMouseWheel = 0x020A;
constexpr uint32_t kXButtonDown = 0x020B;
constexpr uint32_t kXButtonUp = 0x020C;
constexpr uint32_t kXButtonDblClk = 0x020D;
constexpr uint32_t kMouseHWheel = 0x020E;
}  // namespace HookMessage

constexpr uint32_t kKeyInjectedFlag = 0x10;    // LLKHF_INJECTED
constexpr uint32_t kMouseInjectedFlag = 0x01;  // LLMHF_INJECTED

// Moves closer than this to the last recorded move are dropped (at most 50 moves a second).
constexpr double kMoveInterval = 0.02;

bool isKeyDownMessage(uint32_t message);

// The signed high word of mouseData in whole notches, truncated toward zero.
int32_t wheelNotches(uint32_t mouseData);

// Whether the rule for this mouse message asks "is the window under the point ours": only
// presses and wheel turns do, so the shell skips the window lookup for every other message.
bool mouseMessageNeedsOwnWindow(uint32_t message);

// The state of one recording; the hook thread is its only writer while a recording runs.
struct CaptureState {
    double lastEventTime = 0.0;  // clock at the previous recorded event, or at the start
    double lastMoveTime = 0.0;   // clock at the last recorded move; 0 before the first
    bool swallowedButtons[3] = {};
    bool swallowedKeys[256] = {};
};

// Fresh state for a recording that starts at time now.
void resetCapture(CaptureState& state, double now);

// One keyboard notification that passed the hotkey step. ownForeground is consulted only for
// key-downs. Returns true when out holds an event to append (out is then fully assigned).
bool captureKey(CaptureState& state, uint32_t message, uint32_t virtualKey, bool ownForeground, double now,
                MacroEvent& out);

// Removes the presses of the named keys that no release of theirs follows (with their
// auto-repeats): the modifiers of a chord that ends a recording were pressed for the chord, not
// for the script. Each removed event's delay goes to the event after it, so the rest keeps its
// timing. Returns the number of events removed.
size_t removeUnreleasedPresses(std::vector<MacroEvent>& events, const std::vector<std::string>& keyNames);

// One real mouse notification. ownWindow matters only where mouseMessageNeedsOwnWindow says so.
// Returns true when out holds an event to append (out is then fully assigned).
bool captureMouse(CaptureState& state, uint32_t message, int32_t x, int32_t y, uint32_t mouseData, bool ownWindow,
                  double now, MacroEvent& out);
