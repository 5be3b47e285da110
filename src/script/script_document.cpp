#include "script/script_document.h"

#include <algorithm>
#include <utility>

#include "script/window_table.h"

const MacroEvent* ScriptDocument::eventAt(size_t index) const
{
    return index < contents_.events.size() ? &contents_.events[index] : nullptr;
}

std::vector<MacroEvent> ScriptDocument::eventsFrom(size_t first) const
{
    if (first >= contents_.events.size()) {
        return {};
    }
    return std::vector<MacroEvent>(contents_.events.begin() + static_cast<std::ptrdiff_t>(first),
                                   contents_.events.end());
}

bool ScriptDocument::markSaved(uint64_t savedGeneration)
{
    if (savedGeneration != generation_) {
        return false;
    }
    unsaved_ = false;
    return true;
}

void ScriptDocument::replace(ScriptContents&& contents)
{
    contents_ = std::move(contents);
    history_.clear();
    ++generation_;
    unsaved_ = false;
    sourceFile_.clear();
    recovered_ = false;
}

void ScriptDocument::restoreUnsaved(ScriptContents&& contents, std::string sourceFile)
{
    replace(std::move(contents));
    sourceFile_ = std::move(sourceFile);
    recovered_ = true;
    unsaved_ = true;
}

void ScriptDocument::appendRecorded(const std::vector<MacroEvent>& more, const std::vector<WindowIdentity>& windows)
{
    if (more.empty()) {
        return;
    }
    contents_.events.insert(contents_.events.end(), more.begin(), more.end());
    // A recording starts on an empty script, so its table is the script's (it only grows).
    contents_.windows = windows;
    ++generation_;
    unsaved_ = true;
}

void ScriptDocument::finishRecording(std::vector<MacroEvent>&& captured, std::vector<WindowIdentity>&& windows)
{
    contents_.windows = std::move(windows);
    // Events whose messages had not come yet arrive here: a recording that captured anything is
    // not saved, whether or not its rows were shown while it ran.
    unsaved_ = unsaved_ || !captured.empty();
    contents_.events = std::move(captured);
    // Edits are refused during a recording; whatever was there before it is gone.
    history_.clear();
    ++generation_;
}

bool ScriptDocument::deleteRanges(const std::vector<EventRange>& ranges)
{
    return edited(history_.deleteRanges(contents_.events, ranges));
}

bool ScriptDocument::setDelays(const std::vector<EventRange>& ranges, double seconds)
{
    return edited(history_.setDelays(contents_.events, ranges, seconds));
}

bool ScriptDocument::trimFirstDelay()
{
    return edited(history_.trimFirstDelay(contents_.events));
}

bool ScriptDocument::insertEvent(size_t at, const MacroEvent& event)
{
    return edited(history_.insertEvent(contents_.events, at, event));
}

bool ScriptDocument::replaceEvent(size_t at, const MacroEvent& event)
{
    return edited(history_.replaceEvent(contents_.events, at, event));
}

bool ScriptDocument::replaceEvents(const std::vector<EventRange>& ranges, std::vector<MacroEvent>&& changed)
{
    return edited(history_.replaceEvents(contents_.events, ranges, std::move(changed)));
}

bool ScriptDocument::insertContents(size_t at, ScriptContents&& added)
{
    if (at > contents_.events.size() || added.events.empty()) {
        return false;
    }
    // The table only grows: an undo leaves the entries, which a save leaves out when unused.
    adoptWindows(added.events, added.windows, contents_.windows);
    return edited(history_.insertEvents(contents_.events, at, std::move(added.events)));
}

bool ScriptDocument::moveRanges(const std::vector<EventRange>& ranges, bool up, std::vector<EventRange>& selection)
{
    return edited(history_.moveRanges(contents_.events, ranges, up, selection));
}

ScriptContents ScriptDocument::copyRanges(const std::vector<EventRange>& ranges) const
{
    ScriptContents copy;
    for (const EventRange& range : ranges) {
        if (range.first < contents_.events.size()) {
            const auto begin = contents_.events.begin() + static_cast<std::ptrdiff_t>(range.first);
            const size_t count = std::min(range.count, contents_.events.size() - range.first);
            copy.events.insert(copy.events.end(), begin, begin + static_cast<std::ptrdiff_t>(count));
        }
    }
    copy.windows = contents_.windows;
    return copy;
}

bool ScriptDocument::redo(std::vector<EventRange>& touched)
{
    return edited(history_.redo(contents_.events, touched));
}

bool ScriptDocument::undo(std::vector<EventRange>& touched)
{
    return edited(history_.undo(contents_.events, touched));
}

bool ScriptDocument::edited(bool changed)
{
    if (changed) {
        ++generation_;
        unsaved_ = true;
    }
    return changed;
}

int32_t ScriptDocument::windowIndexFor(const WindowIdentity& identity)
{
    return internWindow(contents_.windows, identity);
}
