#include "recorder/hotkey_rules.h"

#include "recorder/capture_rules.h"

namespace {

const HotkeyChord& chordOf(const HotkeyChords& chords, Hotkey hotkey)
{
    switch (hotkey) {
    case Hotkey::RecordAlt: return chords.recordAlt;
    case Hotkey::Stop: return chords.stop;
    case Hotkey::Pause: return chords.pause;
    default: return chords.record;
    }
}

constexpr Hotkey kHotkeys[] = {Hotkey::Record, Hotkey::RecordAlt, Hotkey::Stop, Hotkey::Pause};

// The hotkey whose chord has this key and exactly these modifiers, or (when no chord with
// modifiers matches) the one whose chord has this key and no modifiers.
Hotkey matchingHotkey(const HotkeyChords& chords, uint32_t virtualKey, uint8_t modifiers)
{
    for (Hotkey hotkey : kHotkeys) {
        const HotkeyChord& chord = chordOf(chords, hotkey);
        if (!chord.empty() && chord.key == virtualKey && chord.modifiers != 0 && chord.modifiers == modifiers) {
            return hotkey;
        }
    }
    for (Hotkey hotkey : kHotkeys) {
        const HotkeyChord& chord = chordOf(chords, hotkey);
        if (!chord.empty() && chord.key == virtualKey && chord.modifiers == 0) {
            return hotkey;
        }
    }
    return Hotkey::None;
}

bool isChordKey(const HotkeyChords& chords, uint32_t virtualKey)
{
    for (Hotkey hotkey : kHotkeys) {
        const HotkeyChord& chord = chordOf(chords, hotkey);
        if (!chord.empty() && chord.key == virtualKey) {
            return true;
        }
    }
    return false;
}

// The key of a chord without modifiers belongs to the hotkey in every notification, as F7, F8
// and F9 always have: never an event, pressed, repeated or released.
bool isPlainChordKey(const HotkeyChords& chords, uint32_t virtualKey)
{
    return matchingHotkey(chords, virtualKey, 0) != Hotkey::None;
}

}  // namespace

uint32_t trackedModifierKeys(const HotkeyTracker& tracker)
{
    uint32_t mask = 0;
    for (uint32_t i = 0; i < 8; ++i) {
        if (tracker.down[kModifierKeyCodes[i]]) {
            mask |= 1u << i;
        }
    }
    return mask;
}

HotkeyChords chordsInForce(const HotkeyChords& chords, bool replaying)
{
    HotkeyChords inForce = chords;
    if (!replaying) {
        inForce.pause = HotkeyChord{};
    }
    return inForce;
}

bool needsModifierState(const HotkeyChords& chords, uint32_t virtualKey)
{
    for (Hotkey hotkey : kHotkeys) {
        const HotkeyChord& chord = chordOf(chords, hotkey);
        if (!chord.empty() && chord.key == virtualKey && chord.modifiers != 0) {
            return true;
        }
    }
    return false;
}

uint32_t modifierKeyBit(uint32_t virtualKey)
{
    switch (virtualKey) {
    case 0x10: virtualKey = 0xA0; break;
    case 0x11: virtualKey = 0xA2; break;
    case 0x12: virtualKey = 0xA4; break;
    default: break;
    }
    for (uint32_t i = 0; i < 8; ++i) {
        if (kModifierKeyCodes[i] == virtualKey) {
            return 1u << i;
        }
    }
    return 0;
}

uint8_t chordModifiersOf(uint32_t modifierKeys)
{
    uint8_t modifiers = 0;
    if ((modifierKeys & 0x03) != 0) {
        modifiers |= kChordShift;
    }
    if ((modifierKeys & 0x0C) != 0) {
        modifiers |= kChordCtrl;
    }
    if ((modifierKeys & 0x30) != 0) {
        modifiers |= kChordAlt;
    }
    if ((modifierKeys & 0xC0) != 0) {
        modifiers |= kChordWin;
    }
    return modifiers;
}

HotkeyDecision hotkeyStep(HotkeyTracker& tracker, const HotkeyChords& chords, bool paused, uint32_t message,
                          uint32_t virtualKey, uint32_t flags, uint32_t time, uint32_t systemModifierKeys)
{
    HotkeyDecision decision;
    if ((flags & kKeyInjectedFlag) != 0) {
        // Software presses (our own playback's included) never fire a hotkey and never count as
        // held keys; their chord keys are not events either.
        decision.consumed = isChordKey(chords, virtualKey);
        return decision;
    }
    if (virtualKey > 0xFF) {
        return decision;
    }
    // Shift, Ctrl and Alt without a side are tracked as the left-hand key.
    const uint32_t modifierBit = modifierKeyBit(virtualKey);
    uint32_t slot = virtualKey;
    for (uint32_t i = 0; i < 8 && modifierBit != 0; ++i) {
        if (modifierBit == (1u << i)) {
            slot = kModifierKeyCodes[i];
        }
    }

    if (!isKeyDownMessage(message)) {
        tracker.down[slot] = false;
        decision.consumed = tracker.consumed[slot] || isPlainChordKey(chords, virtualKey);
        decision.swallowed = tracker.swallowed[slot];
        tracker.consumed[slot] = false;
        tracker.swallowed[slot] = false;
        return decision;
    }

    const bool repeat = tracker.down[slot] && time - tracker.downTime[slot] < kRepeatWindowMs;
    tracker.down[slot] = true;
    tracker.downTime[slot] = time;
    if (repeat) {
        decision.consumed = tracker.consumed[slot] || isPlainChordKey(chords, virtualKey);
        decision.swallowed = tracker.swallowed[slot];
        return decision;
    }
    tracker.consumed[slot] = false;
    tracker.swallowed[slot] = false;
    if (paused) {
        return decision;
    }

    const uint32_t heldModifierKeys = trackedModifierKeys(tracker) & systemModifierKeys & ~modifierBit;
    const Hotkey hotkey = matchingHotkey(chords, virtualKey, chordModifiersOf(heldModifierKeys));
    if (hotkey == Hotkey::None) {
        return decision;
    }
    decision.consumed = true;
    decision.post = hotkey;
    tracker.consumed[slot] = true;
    // Only the key itself: its modifiers' presses reached the program in front, so must their releases.
    decision.swallowed = hotkey == Hotkey::Pause;
    tracker.swallowed[slot] = decision.swallowed;
    if (chordOf(chords, hotkey).modifiers != 0) {
        // Exactly the chord's modifiers are down: every one of them belongs to it.
        decision.chordModifierKeys = heldModifierKeys;
        for (uint32_t i = 0; i < 8; ++i) {
            if ((heldModifierKeys & (1u << i)) != 0) {
                tracker.consumed[kModifierKeyCodes[i]] = true;
            }
        }
    }
    return decision;
}
