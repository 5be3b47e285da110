#include "script/window_table.h"

#include <cmath>
#include <cstring>

#include "script/json_number.h"
#include "script/script_file.h"

namespace {

// A whole number within [low, high], or false.
bool wholeNumberIn(const WindowMember& member, double low, double high, int32_t& out)
{
    if (!member.present || !member.number || !(member.value >= low && member.value <= high) ||
        std::floor(member.value) != member.value) {
        return false;
    }
    out = static_cast<int32_t>(member.value);
    return true;
}

template <size_t N>
char* put(char* out, const char (&text)[N])
{
    std::memcpy(out, text, N - 1);
    return out + N - 1;
}

}  // namespace

bool operator==(const WindowIdentity& a, const WindowIdentity& b)
{
    return a.exe == b.exe && a.windowClass == b.windowClass && a.title == b.title;
}

bool operator!=(const WindowIdentity& a, const WindowIdentity& b)
{
    return !(a == b);
}

WindowInfo windowInfoFor(EventKind kind, bool pressed)
{
    switch (kind) {
    case EventKind::Click: return pressed ? WindowInfo::WithPlace : WindowInfo::None;
    case EventKind::Scroll: return WindowInfo::WithPlace;
    case EventKind::KeyDown:
    case EventKind::Text:
    case EventKind::WaitWindow: return WindowInfo::Identity;
    case EventKind::WaitColour:
    case EventKind::WaitPicture: return WindowInfo::WithPlace;
    default: return WindowInfo::None;
    }
}

EventWindow windowForInsertedText(const std::vector<MacroEvent>& events, size_t at)
{
    for (size_t i = at < events.size() ? at : events.size(); i > 0; --i) {
        const MacroEvent& event = events[i - 1];
        const bool bringsForward = event.kind == EventKind::KeyDown || event.kind == EventKind::Text ||
                                   (event.kind == EventKind::Click && event.pressed);
        if (bringsForward && event.window.index != kNoWindow) {
            EventWindow window;
            window.index = event.window.index;
            return window;
        }
    }
    return EventWindow{};
}

int32_t internWindow(std::vector<WindowIdentity>& table, const WindowIdentity& identity)
{
    // Newest first: a recording keeps returning to the windows it used last.
    for (size_t i = table.size(); i > 0; --i) {
        if (table[i - 1] == identity) {
            return static_cast<int32_t>(i - 1);
        }
    }
    table.push_back(identity);
    return static_cast<int32_t>(table.size() - 1);
}

EventWindow eventWindowFromMembers(const WindowMembers& members, EventKind kind, bool pressed)
{
    const WindowInfo info = windowInfoFor(kind, pressed);
    EventWindow window;
    if (info == WindowInfo::None || !wholeNumberIn(members.w, 0.0, 2147483647.0, window.index)) {
        return EventWindow{};
    }
    if (info == WindowInfo::Identity) {
        return window;
    }
    if (!wholeNumberIn(members.wx, -2147483648.0, 2147483647.0, window.x) ||
        !wholeNumberIn(members.wy, -2147483648.0, 2147483647.0, window.y) ||
        !wholeNumberIn(members.wdpi, kMinWindowDpi, kMaxWindowDpi, window.dpi)) {
        return EventWindow{};
    }
    return window;
}

size_t dropUnknownWindows(std::vector<MacroEvent>& events, const std::vector<bool>& usable)
{
    size_t dropped = 0;
    for (MacroEvent& event : events) {
        const int32_t index = event.window.index;
        if (index == kNoWindow) {
            continue;
        }
        if (index < 0 || static_cast<size_t>(index) >= usable.size() || !usable[static_cast<size_t>(index)]) {
            event.window = EventWindow{};
            ++dropped;
        }
    }
    return dropped;
}

int32_t SavedWindowTable::indexFor(const EventWindow& window) const
{
    if (window.index < 0 || static_cast<size_t>(window.index) >= savedIndex.size()) {
        return kNoWindow;
    }
    return savedIndex[static_cast<size_t>(window.index)];
}

SavedWindowTable savedWindowTable(const std::vector<MacroEvent>& events, const std::vector<WindowIdentity>& table)
{
    SavedWindowTable saved;
    saved.savedIndex.assign(table.size(), kNoWindow);
    for (const MacroEvent& event : events) {
        const int32_t index = event.window.index;
        if (index < 0 || static_cast<size_t>(index) >= table.size() ||
            saved.savedIndex[static_cast<size_t>(index)] != kNoWindow ||
            windowInfoFor(event.kind, event.pressed) == WindowInfo::None) {
            continue;
        }
        const WindowIdentity& identity = table[static_cast<size_t>(index)];
        int32_t savedAt = kNoWindow;
        for (size_t i = 0; i < saved.entries.size(); ++i) {
            if (*saved.entries[i] == identity) {
                savedAt = static_cast<int32_t>(i);
                break;
            }
        }
        if (savedAt == kNoWindow) {
            savedAt = static_cast<int32_t>(saved.entries.size());
            saved.entries.push_back(&identity);
        }
        saved.savedIndex[static_cast<size_t>(index)] = savedAt;
    }
    return saved;
}

char* writeEventWindow(char* out, const MacroEvent& event, int32_t savedIndex)
{
    const WindowInfo info = windowInfoFor(event.kind, event.pressed);
    if (savedIndex == kNoWindow || info == WindowInfo::None) {
        return out;
    }
    out = writeJsonInteger(put(out, ", \"w\": "), savedIndex);
    if (info == WindowInfo::WithPlace) {
        out = writeJsonInteger(put(out, ", \"wx\": "), event.window.x);
        out = writeJsonInteger(put(out, ", \"wy\": "), event.window.y);
        out = writeJsonInteger(put(out, ", \"wdpi\": "), event.window.dpi);
    }
    return out;
}

void appendWindowTable(std::string& out, const SavedWindowTable& table)
{
    if (table.empty()) {
        return;
    }
    out += ",\n  \"windows\": [";
    for (size_t i = 0; i < table.entries.size(); ++i) {
        const WindowIdentity& identity = *table.entries[i];
        out += i == 0 ? "\n    {\"exe\": " : ",\n    {\"exe\": ";
        appendJsonString(out, identity.exe);
        out += ", \"class\": ";
        appendJsonString(out, identity.windowClass);
        out += ", \"title\": ";
        appendJsonString(out, identity.title);
        out += "}";
    }
    out += "\n  ]";
}

void adoptWindows(std::vector<MacroEvent>& added, const std::vector<WindowIdentity>& addedTable,
                  std::vector<WindowIdentity>& table)
{
    std::vector<int32_t> indexIn(addedTable.size(), kNoWindow);
    for (MacroEvent& event : added) {
        const int32_t index = event.window.index;
        if (index == kNoWindow) {
            continue;
        }
        if (index < 0 || static_cast<size_t>(index) >= addedTable.size()) {
            event.window = EventWindow{};
            continue;
        }
        int32_t& mapped = indexIn[static_cast<size_t>(index)];
        if (mapped == kNoWindow) {
            mapped = internWindow(table, addedTable[static_cast<size_t>(index)]);
        }
        event.window.index = mapped;
    }
}

void appendEventsWithWindows(std::vector<MacroEvent>& events, std::vector<WindowIdentity>& table,
                             std::vector<MacroEvent> added, const std::vector<WindowIdentity>& addedTable)
{
    adoptWindows(added, addedTable, table);
    events.reserve(events.size() + added.size());
    for (MacroEvent& event : added) {
        events.push_back(std::move(event));
    }
}
