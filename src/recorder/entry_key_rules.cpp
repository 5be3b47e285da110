#include "recorder/entry_key_rules.h"

#include "recorder/capture_rules.h"
#include "recorder/hotkey_rules.h"

namespace {

int matchingEntry(const std::vector<EntryKey>& keys, uint32_t virtualKey, uint8_t modifiers)
{
    for (size_t i = 0; i < keys.size(); ++i) {
        const HotkeyChord& chord = keys[i].chord;
        if (!chord.empty() && chord.key == virtualKey && chord.modifiers != 0 && chord.modifiers == modifiers) {
            return static_cast<int>(i);
        }
    }
    for (size_t i = 0; i < keys.size(); ++i) {
        const HotkeyChord& chord = keys[i].chord;
        if (!chord.empty() && chord.key == virtualKey && chord.modifiers == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

bool isEntryKey(const std::vector<EntryKey>& keys, uint32_t virtualKey)
{
    for (const EntryKey& key : keys) {
        if (!key.chord.empty() && key.chord.key == virtualKey) {
            return true;
        }
    }
    return false;
}

EntryKeyDecision entryKeyStep(EntryKeyTracker& tracker, const std::vector<EntryKey>& keys, bool paused,
                              uint32_t message, uint32_t virtualKey, uint32_t flags, uint32_t time,
                              uint32_t heldModifierKeys)
{
    EntryKeyDecision decision;
    if ((flags & kKeyInjectedFlag) != 0 || virtualKey > 0xFF) {
        return decision;
    }
    const uint32_t modifierBit = modifierKeyBit(virtualKey);
    if (!isKeyDownMessage(message)) {
        tracker.down[virtualKey] = false;
        decision.swallow = tracker.swallowed[virtualKey] || (tracker.heldModifiers & modifierBit) != 0;
        tracker.swallowed[virtualKey] = false;
        tracker.heldModifiers &= ~modifierBit;
        if (tracker.heldEntry >= 0 && static_cast<size_t>(tracker.heldEntry) < keys.size() &&
            keys[static_cast<size_t>(tracker.heldEntry)].chord.key == virtualKey) {
            decision.event = EntryKeyEvent::Released;
            decision.entry = tracker.heldEntry;
            tracker.heldEntry = -1;
            tracker.heldModifiers = 0;
        }
        return decision;
    }
    if ((tracker.heldModifiers & modifierBit) != 0) {
        // The user still holds a modifier that the held entry let go: it stays up for the replay.
        decision.swallow = true;
        return decision;
    }
    const bool repeat = tracker.down[virtualKey] && time - tracker.downTime[virtualKey] < kRepeatWindowMs;
    tracker.down[virtualKey] = true;
    tracker.downTime[virtualKey] = time;
    if (repeat) {
        decision.swallow = tracker.swallowed[virtualKey];
        return decision;
    }
    tracker.swallowed[virtualKey] = false;
    if (paused) {
        return decision;
    }
    const uint32_t modifiers = heldModifierKeys & ~modifierBit;
    const int entry = matchingEntry(keys, virtualKey, chordModifiersOf(modifiers));
    if (entry < 0) {
        return decision;
    }
    tracker.swallowed[virtualKey] = true;
    decision.swallow = true;
    decision.event = EntryKeyEvent::Pressed;
    decision.entry = entry;
    if (keys[static_cast<size_t>(entry)].held) {
        tracker.heldEntry = entry;
        tracker.heldModifiers = modifiers;
        decision.modifierKeys = modifiers;
    }
    return decision;
}
