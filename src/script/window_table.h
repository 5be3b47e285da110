#pragma once
// The window table of a script: each recorded window identity once, referred to by the events'
// window indices. The rules here keep the table and the indices consistent when a script is
// recorded, loaded, combined and saved.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/event_window.h"
#include "script/macro_event.h"

// Which window members an event of this kind and state carries.
enum class WindowInfo {
    None,       // moves, releases, key releases
    Identity,   // key presses and text steps: "w"
    WithPlace,  // button presses and wheel turns: "w", "wx", "wy", "wdpi"
};
WindowInfo windowInfoFor(EventKind kind, bool pressed);

// The window a text step inserted before position at types into: that of the nearest key press,
// button press or text step before it (what brought that window to the front), index only;
// none when no such event has one.
EventWindow windowForInsertedText(const std::vector<MacroEvent>& events, size_t at);

// The index of the identity in the table, appended when it is not there yet.
int32_t internWindow(std::vector<WindowIdentity>& table, const WindowIdentity& identity);

// One of the members "w", "wx", "wy" or "wdpi" of an event object as the loader met it.
struct WindowMember {
    bool present = false;
    bool number = false;  // false: present with a value that is not a number
    double value = 0.0;
};

struct WindowMembers {
    WindowMember w;
    WindowMember wx;
    WindowMember wy;
    WindowMember wdpi;
};

// The window of a loaded event from its members. The event has none unless every member its
// kind carries is present and a whole number in range: "w" at least 0, "wx" and "wy" 32-bit,
// "wdpi" within kMinWindowDpi..kMaxWindowDpi. Members the kind does not carry are ignored. The
// index is checked against the table later (dropUnknownWindows), once the table is read.
EventWindow eventWindowFromMembers(const WindowMembers& members, EventKind kind, bool pressed);

// After a load: an event whose index is not a usable entry of the table (usable[i] false, or
// beyond the table) loses its window information. Returns the number of events that lost it.
size_t dropUnknownWindows(std::vector<MacroEvent>& events, const std::vector<bool>& usable);

// The table as it is saved: the identities the events use, each once, in order of first use;
// savedIndex[i] is the saved index of table entry i (kNoWindow for an entry no event uses).
// Entries with equal identities share one saved index.
struct SavedWindowTable {
    std::vector<const WindowIdentity*> entries;
    std::vector<int32_t> savedIndex;

    bool empty() const { return entries.empty(); }
    // The saved index of an event's window, kNoWindow for none (or an index outside the table).
    int32_t indexFor(const EventWindow& window) const;
};
SavedWindowTable savedWindowTable(const std::vector<MacroEvent>& events, const std::vector<WindowIdentity>& table);

// The event's window members as the file has them, after its other members: "", or
// ", \"w\": 3" for a key press, or ", \"w\": 3, \"wx\": 10, \"wy\": -4, \"wdpi\": 144" for a
// button press or wheel turn. Writes at out, returns the end; kEventWindowTextRoom bytes suffice.
constexpr size_t kEventWindowTextRoom = 72;
char* writeEventWindow(char* out, const MacroEvent& event, int32_t savedIndex);

// The "windows" member that follows the events array (after its closing bracket, before the
// document's closing brace): nothing for an empty table, else ",\n  \"windows\": [" with one
// line per identity and a closing "\n  ]".
void appendWindowTable(std::string& out, const SavedWindowTable& table);

// Events of another script (a pasted block, an inserted file) take their windows into a
// script's table: their indices are rewritten to it, and it gains the identities it lacks (the
// same window is one entry). An index outside their own table becomes no window.
void adoptWindows(std::vector<MacroEvent>& added, const std::vector<WindowIdentity>& addedTable,
                  std::vector<WindowIdentity>& table);

// Appends events recorded against their own table to a script's events and table: the added
// events' indices are rewritten to the script's table, which gains the identities it lacks.
void appendEventsWithWindows(std::vector<MacroEvent>& events, std::vector<WindowIdentity>& table,
                             std::vector<MacroEvent> added, const std::vector<WindowIdentity>& addedTable);
