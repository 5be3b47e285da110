#pragma once
// Edits of a script's event list (delete events, set their delays, remove the wait before the
// first event, insert or replace one event) and their undo history. Each edit keeps only what it needs to be reversed: the
// events it took out, or the delays it replaced; never a copy of the list.

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "script/macro_event.h"

// count events from first on (list positions counted from 0).
struct EventRange {
    size_t first = 0;
    size_t count = 0;
};

// The runs of consecutive positions of a set of positions (in any order, repeats allowed), in
// ascending order: {7, 2, 3, 3, 9, 8} gives {2, 2} and {7, 3}.
std::vector<EventRange> rangesOfIndices(std::vector<size_t> indices);

// The number of seconds in a text typed by the user: blanks around it, then digits with at most
// one full stop ("1.5", ".25", "3."; full-width digits and full stop as well). False for anything
// else (signs, exponents and commas included) and for a value above kMaxDelaySeconds.
bool parseDelaySeconds(const std::wstring& text, double& seconds);

class EditHistory {
public:
    // Each operation works on the whole of its ranges or on nothing: false (and no change, and
    // nothing to undo) when a range reaches past the end of the list, when the ranges are empty,
    // or when the edit would change nothing. Ranges may come in any order and may overlap.
    bool deleteRanges(std::vector<MacroEvent>& events, const std::vector<EventRange>& ranges);
    // seconds must lie within 0 and kMaxDelaySeconds, the bounds of a loaded delay.
    bool setDelays(std::vector<MacroEvent>& events, const std::vector<EventRange>& ranges, double seconds);
    // The first event's delay becomes 0.
    bool trimFirstDelay(std::vector<MacroEvent>& events);
    // event goes in at position at (0 to the list's size, which appends it).
    bool insertEvent(std::vector<MacroEvent>& events, size_t at, const MacroEvent& event);
    // The event at position at becomes event; false when it already is.
    bool replaceEvent(std::vector<MacroEvent>& events, size_t at, const MacroEvent& event);

    bool canUndo() const { return !edits_.empty(); }
    size_t undoLevels() const { return edits_.size(); }
    // Reverses the last edit on the list it was made on; touched is set to the positions of the
    // events it brought back or changed (ascending), for the selection. False when there is no
    // edit to undo, or the list no longer fits it (it was replaced without clear()).
    bool undo(std::vector<MacroEvent>& events, std::vector<EventRange>& touched);
    // Forgets every edit: call it whenever the list is replaced (recording, load, clear).
    void clear() { edits_.clear(); }

    // Older edits are forgotten beyond this many.
    static constexpr size_t kMaxLevels = 100;

private:
    enum class EditKind { Delete, SetDelays, Insert, Replace };
    struct Edit {
        EditKind kind = EditKind::Delete;
        std::vector<EventRange> ranges;   // ascending, apart, within the list before the edit
        std::vector<MacroEvent> removed;  // Delete: the events taken out, in list order; Replace: the old one
        std::vector<double> delays;       // SetDelays: the delays replaced, in list order
        size_t sizeAfter = 0;             // the list's size right after the edit
    };

    void remember(Edit&& edit);

    std::deque<Edit> edits_;
};
