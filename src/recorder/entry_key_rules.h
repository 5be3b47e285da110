#pragma once
// The keys of the script library's entries in the keyboard hook, as a plain function. They match
// as the program's own hotkeys do (hotkey_rules.h): a chord without modifiers fires whatever
// modifiers are down, one with modifiers only with exactly those and wins over one without.
//
// - Every notification of an entry's key, from its press to its release, is swallowed: the
//   program in front never sees it.
// - Only a real key-down fires; an auto-repeat fires nothing, and injected notifications (the
//   replay's own) neither fire, count as the key going down or up, nor are swallowed.
// - A held-mode entry is released when its key is let go. The modifier keys the user held when it
//   fired are reported, so that the replay can let them go for the program in front; until they
//   are released for real, their auto-repeats are swallowed, so the replay types as if they were up.

#include <cstdint>
#include <vector>

#include "recorder/hotkey_chord.h"

struct EntryKey {
    HotkeyChord chord;  // empty: the entry has no key
    bool held = false;  // plays while held, instead of one press to start and one to stop
};

struct EntryKeyTracker {
    bool down[256] = {};
    uint32_t downTime[256] = {};
    bool swallowed[256] = {};    // keys swallowed until their release
    int heldEntry = -1;          // the held-mode entry whose key is down
    uint32_t heldModifiers = 0;  // modifier keys (mask of hotkey_rules.h) let go for that entry
};

enum class EntryKeyEvent { None, Pressed, Released };

struct EntryKeyDecision {
    bool swallow = false;
    EntryKeyEvent event = EntryKeyEvent::None;
    int entry = -1;
    uint32_t modifierKeys = 0;  // Pressed of a held-mode entry: the modifier keys the user holds
};

// One keyboard notification; heldModifierKeys are the modifier keys really down (a mask of
// hotkey_rules.h, read only for a real key-down). With paused set nothing fires.
EntryKeyDecision entryKeyStep(EntryKeyTracker& tracker, const std::vector<EntryKey>& keys, bool paused,
                              uint32_t message, uint32_t virtualKey, uint32_t flags, uint32_t time,
                              uint32_t heldModifierKeys);

// Whether virtualKey is the key of some entry (the hook asks the system's modifiers only then).
bool isEntryKey(const std::vector<EntryKey>& keys, uint32_t virtualKey);
