#pragma once
// Which chords may be entry keys: the program's own hotkeys and the other entries' keys take
// precedence, with the reason in words for the dialog and the log.
//
// Two chords clash when they share the key and either their modifiers are equal or one of them
// has none: a chord without modifiers fires whatever modifiers are down, so F8 takes Ctrl+F8.

#include <string>
#include <vector>

#include "library/library_entry.h"
#include "recorder/entry_key_rules.h"
#include "recorder/hotkey_rules.h"

// One of the program's own hotkeys, by its role's name ("录制键").
struct OwnKey {
    const char* role;
    HotkeyChord chord;
};
// The program's own hotkeys; a new hotkey of the program is one row here.
std::vector<OwnKey> ownKeysOf(const HotkeyChords& chords);

bool chordsClash(const HotkeyChord& a, const HotkeyChord& b);

// Why chord cannot be the key of entries[self] (self == entries.size() for a new entry), in
// UTF-8 words; empty when it can (an empty chord always can).
std::string keyRefusal(const HotkeyChord& chord, size_t self, const std::vector<LibraryEntry>& entries,
                       const std::vector<OwnKey>& own);

// The keys the hook looks for, one per entry: an entry's key that is refused (a chord of the
// file that clashes with a program key or an earlier entry's key) is left empty, with a line in
// problems; the entry itself stays.
std::vector<EntryKey> entryKeysOf(const std::vector<LibraryEntry>& entries, const std::vector<OwnKey>& own,
                                  std::vector<std::string>& problems);
