#include "script/script_edits.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "script/json_number.h"

namespace {

// Sorted, merged ranges without empty ones; false when one reaches past size.
bool normalizeRanges(const std::vector<EventRange>& ranges, size_t size, std::vector<EventRange>& normal)
{
    normal.clear();
    for (const EventRange& range : ranges) {
        if (range.first > size || range.count > size - range.first) {
            return false;
        }
        if (range.count != 0) {
            normal.push_back(range);
        }
    }
    std::sort(normal.begin(), normal.end(), [](const EventRange& a, const EventRange& b) { return a.first < b.first; });
    size_t kept = 0;
    for (const EventRange& range : normal) {
        if (kept > 0 && range.first <= normal[kept - 1].first + normal[kept - 1].count) {
            EventRange& last = normal[kept - 1];
            last.count = std::max(last.first + last.count, range.first + range.count) - last.first;
        } else {
            normal[kept++] = range;
        }
    }
    normal.resize(kept);
    return !normal.empty();
}

size_t totalCount(const std::vector<EventRange>& ranges)
{
    size_t total = 0;
    for (const EventRange& range : ranges) {
        total += range.count;
    }
    return total;
}

bool sameEvent(const MacroEvent& a, const MacroEvent& b)
{
    return a.kind == b.kind && a.delay == b.delay && a.x == b.x && a.y == b.y && a.dx == b.dx && a.dy == b.dy &&
           a.button == b.button && a.pressed == b.pressed && a.keyOrText == b.keyOrText;
}

bool isBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == 0x3000;  // 0x3000: the ideographic space of Chinese input
}

}  // namespace

std::vector<EventRange> rangesOfIndices(std::vector<size_t> indices)
{
    std::sort(indices.begin(), indices.end());
    std::vector<EventRange> ranges;
    for (size_t i = 0; i < indices.size(); ++i) {
        if (!ranges.empty() && indices[i] <= ranges.back().first + ranges.back().count - 1) {
            continue;  // a repeat
        }
        if (!ranges.empty() && indices[i] == ranges.back().first + ranges.back().count) {
            ++ranges.back().count;
        } else {
            ranges.push_back(EventRange{indices[i], 1});
        }
    }
    return ranges;
}

bool parseDelaySeconds(const std::wstring& text, double& seconds)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    std::string number;
    bool digit = false;
    bool point = false;
    for (size_t i = begin; i < end; ++i) {
        wchar_t c = text[i];
        // A Chinese input method in full-width mode types these; they mean the same.
        if ((c >= 0xFF10 && c <= 0xFF19) || c == 0xFF0E) {
            c = static_cast<wchar_t>(c - 0xFF10 + L'0');
        }
        if (c >= L'0' && c <= L'9') {
            digit = true;
        } else if (c == L'.' && !point) {
            point = true;
        } else {
            return false;
        }
        number.push_back(static_cast<char>(c));
    }
    if (!digit) {
        return false;
    }
    const double value = numberRunValue(number.data(), number.data() + number.size());
    if (!(value >= 0.0 && value <= kMaxDelaySeconds)) {
        return false;
    }
    seconds = value;
    return true;
}

EditHistory::Edit EditHistory::apply(std::vector<MacroEvent>& events, Edit&& edit, std::vector<EventRange>& touched)
{
    Edit reverse;
    reverse.ranges = edit.ranges;
    touched.clear();
    switch (edit.kind) {
    case EditKind::Remove: {
        reverse.kind = EditKind::Insert;
        reverse.events.reserve(totalCount(edit.ranges));
        // One pass: every event moves at most once, to the record or down the list.
        size_t write = edit.ranges.front().first;
        size_t read = write;
        for (const EventRange& range : edit.ranges) {
            for (; read < range.first; ++read, ++write) {
                events[write] = std::move(events[read]);
            }
            for (; read < range.first + range.count; ++read) {
                reverse.events.push_back(std::move(events[read]));
            }
        }
        for (; read < events.size(); ++read, ++write) {
            events[write] = std::move(events[read]);
        }
        events.resize(write);
        break;
    }
    case EditKind::Insert: {
        reverse.kind = EditKind::Remove;
        const size_t kept = events.size();
        if (events.capacity() < kept + edit.events.size()) {
            // The list must move to a bigger block anyway: one pass forward puts every event
            // straight in its new place (and leaves room for the next paste).
            std::vector<MacroEvent> grown;
            grown.reserve(eventRoomFor(kept + edit.events.size()));
            size_t read = 0;
            size_t next = 0;
            for (const EventRange& range : edit.ranges) {
                while (grown.size() < range.first) {
                    grown.push_back(std::move(events[read++]));
                }
                for (size_t i = 0; i < range.count; ++i) {
                    grown.push_back(std::move(edit.events[next++]));
                }
            }
            while (read < kept) {
                grown.push_back(std::move(events[read++]));
            }
            events.swap(grown);
            touched = edit.ranges;
            break;
        }
        // One pass from the end: the kept events move down to their new places, the inserted
        // ones go into the gaps.
        events.resize(kept + edit.events.size());
        size_t read = kept;
        size_t write = events.size();
        size_t added = edit.events.size();
        for (size_t r = edit.ranges.size(); r-- > 0;) {
            const EventRange& range = edit.ranges[r];
            for (; write > range.first + range.count; --write, --read) {
                events[write - 1] = std::move(events[read - 1]);
            }
            for (; write > range.first; --write, --added) {
                events[write - 1] = std::move(edit.events[added - 1]);
            }
        }
        touched = edit.ranges;
        break;
    }
    case EditKind::SwapDelays:
    case EditKind::SwapEvents: {
        reverse.kind = edit.kind;
        size_t next = 0;
        for (const EventRange& range : edit.ranges) {
            for (size_t i = range.first; i < range.first + range.count; ++i, ++next) {
                if (edit.kind == EditKind::SwapDelays) {
                    std::swap(events[i].delay, edit.delays[next]);
                } else {
                    std::swap(events[i], edit.events[next]);
                }
            }
        }
        reverse.delays = std::move(edit.delays);
        reverse.events = std::move(edit.events);
        touched = edit.ranges;
        break;
    }
    case EditKind::MoveUp:
    case EditKind::MoveDown: {
        const bool up = edit.kind == EditKind::MoveUp;
        reverse.kind = up ? EditKind::MoveDown : EditKind::MoveUp;
        const auto at = [&](size_t i) { return events.begin() + static_cast<std::ptrdiff_t>(i); };
        for (EventRange& range : reverse.ranges) {
            // The event just before (after) the run goes to its other end.
            if (up) {
                std::rotate(at(range.first - 1), at(range.first), at(range.first + range.count));
                --range.first;
            } else {
                std::rotate(at(range.first), at(range.first + range.count), at(range.first + range.count + 1));
                ++range.first;
            }
        }
        touched = reverse.ranges;
        break;
    }
    }
    reverse.sizeBefore = events.size();
    return reverse;
}

bool EditHistory::make(std::vector<MacroEvent>& events, Edit&& edit, std::vector<EventRange>& touched)
{
    edit.sizeBefore = events.size();
    edits_.push_back(apply(events, std::move(edit), touched));
    while (edits_.size() > kMaxLevels) {
        edits_.pop_front();
    }
    redos_.clear();
    return true;
}

bool EditHistory::deleteRanges(std::vector<MacroEvent>& events, const std::vector<EventRange>& ranges)
{
    Edit edit;
    if (!normalizeRanges(ranges, events.size(), edit.ranges)) {
        return false;
    }
    edit.kind = EditKind::Remove;
    std::vector<EventRange> touched;
    return make(events, std::move(edit), touched);
}

bool EditHistory::setDelays(std::vector<MacroEvent>& events, const std::vector<EventRange>& ranges, double seconds)
{
    if (!(seconds >= 0.0 && seconds <= kMaxDelaySeconds)) {
        return false;
    }
    Edit edit;
    if (!normalizeRanges(ranges, events.size(), edit.ranges)) {
        return false;
    }
    bool changes = false;
    for (const EventRange& range : edit.ranges) {
        for (size_t i = range.first; i < range.first + range.count && !changes; ++i) {
            changes = events[i].delay != seconds;
        }
    }
    if (!changes) {
        return false;
    }
    edit.kind = EditKind::SwapDelays;
    edit.delays.assign(totalCount(edit.ranges), seconds);
    std::vector<EventRange> touched;
    return make(events, std::move(edit), touched);
}

bool EditHistory::trimFirstDelay(std::vector<MacroEvent>& events)
{
    return setDelays(events, {EventRange{0, 1}}, 0.0);
}

bool EditHistory::insertEvent(std::vector<MacroEvent>& events, size_t at, const MacroEvent& event)
{
    return insertEvents(events, at, std::vector<MacroEvent>{event});
}

bool EditHistory::insertEvents(std::vector<MacroEvent>& events, size_t at, std::vector<MacroEvent>&& added)
{
    if (at > events.size() || added.empty()) {
        return false;
    }
    Edit edit;
    edit.kind = EditKind::Insert;
    edit.ranges = {EventRange{at, added.size()}};
    edit.events = std::move(added);
    std::vector<EventRange> touched;
    return make(events, std::move(edit), touched);
}

bool EditHistory::replaceEvent(std::vector<MacroEvent>& events, size_t at, const MacroEvent& event)
{
    return replaceEvents(events, {EventRange{at, 1}}, std::vector<MacroEvent>{event});
}

bool EditHistory::replaceEvents(std::vector<MacroEvent>& events, const std::vector<EventRange>& ranges,
                                std::vector<MacroEvent>&& changed)
{
    Edit edit;
    if (!normalizeRanges(ranges, events.size(), edit.ranges) || totalCount(edit.ranges) != changed.size()) {
        return false;
    }
    bool changes = false;
    size_t next = 0;
    for (const EventRange& range : edit.ranges) {
        for (size_t i = range.first; i < range.first + range.count && !changes; ++i, ++next) {
            changes = !sameEvent(events[i], changed[next]);
        }
    }
    if (!changes) {
        return false;
    }
    edit.kind = EditKind::SwapEvents;
    edit.events = std::move(changed);
    std::vector<EventRange> touched;
    return make(events, std::move(edit), touched);
}

bool EditHistory::moveRanges(std::vector<MacroEvent>& events, const std::vector<EventRange>& ranges, bool up,
                             std::vector<EventRange>& selection)
{
    Edit edit;
    if (!normalizeRanges(ranges, events.size(), edit.ranges)) {
        return false;
    }
    // A run already at the end it moves towards stays (only the first or the last run can be).
    std::vector<EventRange> pinned;
    if (up && edit.ranges.front().first == 0) {
        pinned.push_back(edit.ranges.front());
        edit.ranges.erase(edit.ranges.begin());
    } else if (!up && edit.ranges.back().first + edit.ranges.back().count == events.size()) {
        pinned.push_back(edit.ranges.back());
        edit.ranges.pop_back();
    }
    if (edit.ranges.empty()) {
        return false;
    }
    edit.kind = up ? EditKind::MoveUp : EditKind::MoveDown;
    std::vector<EventRange> moved;
    make(events, std::move(edit), moved);
    moved.insert(up ? moved.begin() : moved.end(), pinned.begin(), pinned.end());
    // A run that moved next to the pinned one joins it.
    normalizeRanges(moved, events.size(), selection);
    return true;
}

bool EditHistory::undo(std::vector<MacroEvent>& events, std::vector<EventRange>& touched)
{
    if (edits_.empty() || edits_.back().sizeBefore != events.size()) {
        return false;
    }
    Edit edit = std::move(edits_.back());
    edits_.pop_back();
    redos_.push_back(apply(events, std::move(edit), touched));
    return true;
}

bool EditHistory::redo(std::vector<MacroEvent>& events, std::vector<EventRange>& touched)
{
    if (redos_.empty() || redos_.back().sizeBefore != events.size()) {
        return false;
    }
    Edit edit = std::move(redos_.back());
    redos_.pop_back();
    edits_.push_back(apply(events, std::move(edit), touched));
    while (edits_.size() > kMaxLevels) {
        edits_.pop_front();
    }
    return true;
}
