#pragma once
// Edits of a script's event list (delete events, set their delays, remove the wait before the
// first event, insert or replace events, move rows one place) and their undo and redo history.
// Each edit keeps only what it needs to be reversed: the events it took out or replaced, or the
// delays it replaced, or nothing at all (an insert, a move); never a copy of the list. Undoing an
// edit turns it into its reverse, which is what redo keeps, so both directions cost the same.

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
    // Every edit that changes the list forgets what could be redone.
    bool deleteRanges(std::vector<MacroEvent>& events, const std::vector<EventRange>& ranges);
    // seconds must lie within 0 and kMaxDelaySeconds, the bounds of a loaded delay.
    bool setDelays(std::vector<MacroEvent>& events, const std::vector<EventRange>& ranges, double seconds);
    // The first event's delay becomes 0.
    bool trimFirstDelay(std::vector<MacroEvent>& events);
    // event goes in at position at (0 to the list's size, which appends it).
    bool insertEvent(std::vector<MacroEvent>& events, size_t at, const MacroEvent& event);
    // The added events go in at position at, in their order; false when there are none.
    bool insertEvents(std::vector<MacroEvent>& events, size_t at, std::vector<MacroEvent>&& added);
    // The event at position at becomes event; false when it already is.
    bool replaceEvent(std::vector<MacroEvent>& events, size_t at, const MacroEvent& event);
    // Several events change at once (a drag moved as a whole): changed holds the new events of
    // the ranges' positions, in ascending order of position; false when none differs.
    bool replaceEvents(std::vector<MacroEvent>& events, const std::vector<EventRange>& ranges,
                       std::vector<MacroEvent>&& changed);
    // The events of the ranges move one place up (towards 0) or down, each keeping its own delay;
    // the event each run passes goes to its other side. A run at the end it moves towards stays
    // where it is (the others still move). selection: every position of the ranges after the
    // move, ascending. False when nothing can move.
    bool moveRanges(std::vector<MacroEvent>& events, const std::vector<EventRange>& ranges, bool up,
                    std::vector<EventRange>& selection);

    bool canUndo() const { return !edits_.empty(); }
    bool canRedo() const { return !redos_.empty(); }
    size_t undoLevels() const { return edits_.size(); }
    size_t redoLevels() const { return redos_.size(); }
    // Reverses the last edit on the list it was made on; touched is set to the positions of the
    // events it brought back or changed (ascending), for the selection. False when there is no
    // edit to undo, or the list no longer fits it (it was replaced without clear()).
    bool undo(std::vector<MacroEvent>& events, std::vector<EventRange>& touched);
    // Makes the last undone edit again; touched as for undo (what it inserted, changed or moved;
    // nothing for a delete).
    bool redo(std::vector<MacroEvent>& events, std::vector<EventRange>& touched);
    // Forgets every edit and every undone one: call it whenever the list is replaced
    // (recording, load, clear).
    void clear()
    {
        edits_.clear();
        redos_.clear();
    }

    // Older edits are forgotten beyond this many.
    static constexpr size_t kMaxLevels = 100;

private:
    // What an edit does; also what reverses it, as each kind's reverse is an edit of a kind here.
    enum class EditKind { Remove, Insert, SwapDelays, SwapEvents, MoveUp, MoveDown };
    struct Edit {
        EditKind kind = EditKind::Remove;
        // ascending and apart: Remove, SwapDelays, SwapEvents: within the list before the edit;
        // Insert: where the events stand after it; MoveUp, MoveDown: the runs that move.
        std::vector<EventRange> ranges;
        std::vector<MacroEvent> events;  // Insert: the events that go in; SwapEvents: those swapped in
        std::vector<double> delays;      // SwapDelays: the delays swapped in, in list order
        size_t sizeBefore = 0;           // the list's size the edit applies to
    };

    // Applies edit to events and returns its reverse; touched: see undo.
    static Edit apply(std::vector<MacroEvent>& events, Edit&& edit, std::vector<EventRange>& touched);
    // Makes edit on events as a new edit: true.
    bool make(std::vector<MacroEvent>& events, Edit&& edit, std::vector<EventRange>& touched);

    std::deque<Edit> edits_;   // the reverses of the edits made, oldest first
    std::vector<Edit> redos_;  // the reverses of the edits undone, last undone last
};
