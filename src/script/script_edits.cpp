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

void EditHistory::remember(Edit&& edit)
{
    edits_.push_back(std::move(edit));
    while (edits_.size() > kMaxLevels) {
        edits_.pop_front();
    }
}

bool EditHistory::deleteRanges(std::vector<MacroEvent>& events, const std::vector<EventRange>& ranges)
{
    Edit edit;
    if (!normalizeRanges(ranges, events.size(), edit.ranges)) {
        return false;
    }
    edit.kind = EditKind::Delete;
    edit.removed.reserve(totalCount(edit.ranges));
    // One pass: every event moves at most once, to the record or down the list.
    size_t write = edit.ranges.front().first;
    size_t read = write;
    for (size_t r = 0; r < edit.ranges.size(); ++r) {
        const EventRange& range = edit.ranges[r];
        for (; read < range.first; ++read, ++write) {
            events[write] = std::move(events[read]);
        }
        for (; read < range.first + range.count; ++read) {
            edit.removed.push_back(std::move(events[read]));
        }
    }
    for (; read < events.size(); ++read, ++write) {
        events[write] = std::move(events[read]);
    }
    events.resize(write);
    edit.sizeAfter = events.size();
    remember(std::move(edit));
    return true;
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
    edit.kind = EditKind::SetDelays;
    edit.delays.reserve(totalCount(edit.ranges));
    for (const EventRange& range : edit.ranges) {
        for (size_t i = range.first; i < range.first + range.count; ++i) {
            edit.delays.push_back(events[i].delay);
            events[i].delay = seconds;
        }
    }
    edit.sizeAfter = events.size();
    remember(std::move(edit));
    return true;
}

bool EditHistory::trimFirstDelay(std::vector<MacroEvent>& events)
{
    return setDelays(events, {EventRange{0, 1}}, 0.0);
}

bool EditHistory::insertEvent(std::vector<MacroEvent>& events, size_t at, const MacroEvent& event)
{
    if (at > events.size()) {
        return false;
    }
    events.insert(events.begin() + static_cast<std::ptrdiff_t>(at), event);
    Edit edit;
    edit.kind = EditKind::Insert;
    edit.ranges = {EventRange{at, 1}};
    edit.sizeAfter = events.size();
    remember(std::move(edit));
    return true;
}

bool EditHistory::replaceEvent(std::vector<MacroEvent>& events, size_t at, const MacroEvent& event)
{
    if (at >= events.size() || sameEvent(events[at], event)) {
        return false;
    }
    Edit edit;
    edit.kind = EditKind::Replace;
    edit.ranges = {EventRange{at, 1}};
    edit.removed.push_back(std::move(events[at]));
    events[at] = event;
    edit.sizeAfter = events.size();
    remember(std::move(edit));
    return true;
}

bool EditHistory::undo(std::vector<MacroEvent>& events, std::vector<EventRange>& touched)
{
    if (edits_.empty() || edits_.back().sizeAfter != events.size()) {
        return false;
    }
    Edit edit = std::move(edits_.back());
    edits_.pop_back();
    if (edit.kind == EditKind::Insert) {
        // What comes back is the list without the event: nothing of it to select.
        events.erase(events.begin() + static_cast<std::ptrdiff_t>(edit.ranges.front().first));
        touched.clear();
        return true;
    }
    if (edit.kind == EditKind::Replace) {
        events[edit.ranges.front().first] = std::move(edit.removed.front());
    } else if (edit.kind == EditKind::SetDelays) {
        size_t next = 0;
        for (const EventRange& range : edit.ranges) {
            for (size_t i = range.first; i < range.first + range.count; ++i) {
                events[i].delay = edit.delays[next++];
            }
        }
    } else {
        // One pass from the end: the kept events move up to their old places, the removed ones
        // come back into the gaps.
        const size_t kept = events.size();
        events.resize(kept + edit.removed.size());
        size_t read = kept;
        size_t write = events.size();
        size_t removed = edit.removed.size();
        for (size_t r = edit.ranges.size(); r-- > 0;) {
            const EventRange& range = edit.ranges[r];
            for (; write > range.first + range.count; --write, --read) {
                events[write - 1] = std::move(events[read - 1]);
            }
            for (; write > range.first; --write, --removed) {
                events[write - 1] = std::move(edit.removed[removed - 1]);
            }
        }
    }
    touched = std::move(edit.ranges);
    return true;
}
