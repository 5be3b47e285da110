#pragma once
// The hotkey test of the keyboard hook as a plain function: which chord a key notification
// fires, and which notifications belong to a hotkey and so never become events.
//
// - A chord without modifiers fires whatever modifiers are down (F8 with Alt held is still F8);
//   a chord with modifiers fires only with exactly those down, and wins over a chord without
//   modifiers on the same key.
// - Only a real key-down fires; an auto-repeated key-down and every injected notification
//   (our own playback's included) fire nothing.
// - The key of a fired chord is consumed down to its release, and so are the modifier keys that
//   a chord with modifiers used: their releases never reach a recording that the chord started.
//   The chord's modifier keys are reported, so that the recorder can drop their presses from a
//   recording that the chord ends.
// - The pause chord is in force only while a playback runs or is paused (chordsInForce); its key's
//   notifications are then swallowed down to its release, so that the program in front never sees
//   the key (F10 would open its menu). At any other time the key is an ordinary key.

#include <cstdint>

#include "recorder/hotkey_chord.h"

enum class Hotkey { None, Record, RecordAlt, Stop, Pause };

// The chords the hook looks for; empty chords fire nothing.
struct HotkeyChords {
    HotkeyChord record = kDefaultRecordChord;
    HotkeyChord recordAlt = kDefaultRecordAltChord;
    HotkeyChord stop = kDefaultStopChord;
    HotkeyChord pause;  // in force only while a playback runs (chordsInForce)
};

// The chords the hook looks for now: the pause chord only while a playback runs or is paused.
HotkeyChords chordsInForce(const HotkeyChords& chords, bool replaying);

// The eight modifier keys as bits of a mask, in this order: left and right Shift, Ctrl, Alt,
// then the left and right Windows keys.
constexpr uint32_t kModifierKeyCodes[8] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0x5B, 0x5C};
// The bit of a modifier key in such a mask (0 for any other key); Shift, Ctrl and Alt without a
// side count as the left-hand key.
uint32_t modifierKeyBit(uint32_t virtualKey);

// A repeated key-down later than this after the last one is a new press whose release the
// hook missed (hooks are reinstalled at every recording), not an auto-repeat.
constexpr uint32_t kRepeatWindowMs = 1500;

// What the hook has seen of the keyboard; the hook thread is its only user.
struct HotkeyTracker {
    bool down[256] = {};          // real keys down since their real key-down
    uint32_t downTime[256] = {};  // hook time of each key's last real key-down
    bool consumed[256] = {};      // keys whose notifications belong to a fired chord until released
    bool swallowed[256] = {};     // keys whose notifications the pause chord keeps from every program
};

struct HotkeyDecision {
    bool consumed = false;           // the notification belongs to a hotkey and is never an event
    bool swallowed = false;          // and it reaches no other program either (the pause key)
    Hotkey post = Hotkey::None;      // the hotkey whose message is to be posted
    uint32_t chordModifierKeys = 0;  // when a chord with modifiers fired: the modifier keys it used
};

// One keyboard notification. time is the notification's own time stamp in milliseconds;
// systemModifierKeys the modifier keys the system reports down (a mask as above; only read for a
// real key-down): a modifier counts as down when the hook saw its real key-down and the system
// agrees, so neither a modifier our playback holds nor one whose release the hook missed
// changes what a chord means. With paused set nothing fires (the settings dialog is capturing a
// chord) and nothing new is consumed.
HotkeyDecision hotkeyStep(HotkeyTracker& tracker, const HotkeyChords& chords, bool paused, uint32_t message,
                          uint32_t virtualKey, uint32_t flags, uint32_t time, uint32_t systemModifierKeys);

// Whether hotkeyStep reads systemModifierKeys for this key: only the key of a chord with
// modifiers needs them, so the hook asks the system (a round trip under wine) for no other key.
bool needsModifierState(const HotkeyChords& chords, uint32_t virtualKey);

// The modifier keys whose real key-down the tracker saw and whose release it did not (a mask as
// above).
uint32_t trackedModifierKeys(const HotkeyTracker& tracker);

// The chord modifiers (kChordCtrl, ...) of a mask of modifier keys.
uint8_t chordModifiersOf(uint32_t modifierKeys);
