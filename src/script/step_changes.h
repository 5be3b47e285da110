#pragma once
// The rules of the editor's changes that reach beyond one step, and the steps it inserts.
//
// A press and its release belong together: changing where a button press lands moves its whole
// gesture (the press, the moves of a drag after it and its release) by the same offset, so a drag
// keeps its shape; changing where a release lands bends the drag towards it (each move between
// press and release shifts by its share of the way, counted in steps: none at the press, all of
// it at the release). A key press and its release (with the repeats between) change key together.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/event_window.h"
#include "script/macro_event.h"
#include "script/script_edits.h"

// The events a change touches: the ranges (ascending) and their events as changed, in order.
struct StepChange {
    std::vector<EventRange> ranges;
    std::vector<MacroEvent> events;
};

// The step at position at goes to (x, y): a move, a wheel turn or a button press or release, with
// the gesture it belongs to as above. A press's or wheel turn's place in its window shifts along
// with it, unless placeWindow gives its new window (a point picked on the screen). Empty for any
// other step.
StepChange positionChange(const std::vector<MacroEvent>& events, size_t at, int32_t x, int32_t y,
                          const EventWindow* placeWindow = nullptr);

// The key step at position at and the rest of its press (the press, its repeats, its release)
// take the key of name key. Empty when at is not a key step.
StepChange keyChange(const std::vector<MacroEvent>& events, size_t at, const std::string& key);

// Modifier bits of an inserted key, as hotkey chords have them.
constexpr uint8_t kStepCtrl = 0x01;
constexpr uint8_t kStepAlt = 0x02;
constexpr uint8_t kStepShift = 0x04;
constexpr uint8_t kStepWin = 0x08;

// The time between the presses and releases of an inserted key or click: long enough for every
// program to see them apart, short enough for a double-click.
constexpr double kInsertedStepGap = 0.05;

// A key with modifiers as steps: the modifiers' presses (Ctrl, Alt, Shift, Win), the key's press
// and release, the modifiers' releases in reverse order. The first waits delay; key presses take
// window (an index into the table) as a recorded key press would.
std::vector<MacroEvent> keyChordSteps(uint32_t virtualKey, uint8_t modifiers, double delay, int32_t window);

// A click (or a double-click) of button at (x, y) as its presses and releases; the first waits
// delay. place: the presses' window, if any.
std::vector<MacroEvent> clickSteps(MouseButton button, bool doubleClick, int32_t x, int32_t y, double delay,
                                   const EventWindow& place);
