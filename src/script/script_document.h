#pragma once
// The script the user sees: its events and whatever belongs to them, the generation that counts
// every change, whether it is saved, and the undo history of its edits. Every change goes through
// here (a new script, a recording's events, an edit, an undo), so a table that belongs to the
// events can follow them in one place.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "script/event_window.h"
#include "script/macro_event.h"
#include "script/script_edits.h"

// What a script holds; a whole script moves in and out of the document as one of these.
struct ScriptContents {
    std::vector<MacroEvent> events;
    std::vector<WindowIdentity> windows;  // the windows the events were recorded in (MacroEvent::window)
};

class ScriptDocument {
public:
    const std::vector<MacroEvent>& events() const { return contents_.events; }
    const std::vector<WindowIdentity>& windows() const { return contents_.windows; }
    size_t eventCount() const { return contents_.events.size(); }
    bool empty() const { return contents_.events.empty(); }
    // The event at index, null past the end.
    const MacroEvent* eventAt(size_t index) const;
    // The events from first on (none when first lies past the end).
    std::vector<MacroEvent> eventsFrom(size_t first) const;

    // Counts every change, so that a command can tell after a dialog whether the script it
    // worked on is still the one shown.
    uint64_t generation() const { return generation_; }
    bool isUnsaved() const { return unsaved_; }
    // The script of generation was saved: unsaved no more, unless it changed since. True when
    // it was still that script.
    bool markSaved(uint64_t savedGeneration);

    // Another script takes the place of this one (a load, a clear, a new recording): saved, and
    // nothing to undo.
    void replace(ScriptContents&& contents);
    void clear() { replace(ScriptContents{}); }
    // The file the script was loaded from or saved to (UTF-8; empty when none), which a
    // recovery journal keeps; forgotten by replace.
    const std::string& sourceFile() const { return sourceFile_; }
    void setSourceFile(std::string path) { sourceFile_ = std::move(path); }
    // Events found in a recovery journal take the place of this script: unsaved, nothing to undo,
    // and they remember the file they came from (empty: none).
    void restoreUnsaved(ScriptContents&& contents, std::string sourceFile);
    // Whether the script shown is such a recovered one (until the next replace).
    bool isRecovered() const { return recovered_; }
    // Events a running recording captured, added at the end: unsaved from now on.
    // windows: the recording's window table, which the events' window indices point into.
    void appendRecorded(const std::vector<MacroEvent>& more, const std::vector<WindowIdentity>& windows);
    // The events a recording ended with (the stop chord's modifiers gone) take the place of the
    // ones added while it ran; unsaved when it captured any (a recording whose only events were
    // taken back out stays as it was).
    void finishRecording(std::vector<MacroEvent>&& captured, std::vector<WindowIdentity>&& windows);

    // Edits (see EditHistory): true when the script changed; then it is unsaved.
    bool deleteRanges(const std::vector<EventRange>& ranges);
    bool setDelays(const std::vector<EventRange>& ranges, double seconds);
    bool trimFirstDelay();
    bool insertEvent(size_t at, const MacroEvent& event);
    bool replaceEvent(size_t at, const MacroEvent& event);
    bool replaceEvents(const std::vector<EventRange>& ranges, std::vector<MacroEvent>&& changed);
    // The steps of another script (a pasted block, a script file) go in at position at with
    // their windows, which join the document's table (the same window is one entry).
    bool insertContents(size_t at, ScriptContents&& added);
    // selection: where the moved rows (and any that could not move) stand afterwards.
    bool moveRanges(const std::vector<EventRange>& ranges, bool up, std::vector<EventRange>& selection);
    // The events of the ranges with the document's window table: what a copy takes along (a
    // saved copy writes only the windows its events use).
    ScriptContents copyRanges(const std::vector<EventRange>& ranges) const;
    // The index of a window identity in the script's window table, added when it is not there
    // (an entry no event uses is never saved, so this is no change of the script).
    int32_t windowIndexFor(const WindowIdentity& identity);
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    // touched: the positions the undo brought back or changed, ascending.
    bool undo(std::vector<EventRange>& touched);
    // touched: the positions the redo inserted, changed or moved, ascending.
    bool redo(std::vector<EventRange>& touched);

private:
    // Every edit ends here when it changed something.
    bool edited(bool changed);

    ScriptContents contents_;
    EditHistory history_;
    uint64_t generation_ = 0;
    bool unsaved_ = false;
    std::string sourceFile_;
    bool recovered_ = false;
};
