// The script file's text as the program writes it: one layout, byte for byte the same for the
// same events, built in one buffer sized up front.
#include "script/script_file.h"

#include <cstring>

#include "script/json_number.h"
#include "script/screen_wait.h"
#include "script/window_table.h"

namespace {

constexpr char kHead[] = "{\n  \"v\": 4,\n  \"events\": [";

template <size_t N>
char* put(char* out, const char (&text)[N])
{
    std::memcpy(out, text, N - 1);
    return out + N - 1;
}

char* put(char* out, const char* text)
{
    const size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

// The two-letter escapes of appendJsonString; 0 for a byte that needs none (or \u).
char letterEscape(unsigned char b)
{
    switch (b) {
    case 0x08: return 'b';
    case 0x09: return 't';
    case 0x0A: return 'n';
    case 0x0C: return 'f';
    case 0x0D: return 'r';
    case '"': return '"';
    case '\\': return '\\';
    default: return 0;
    }
}

size_t quotedLength(const std::string& bytes)
{
    size_t length = 2;
    for (const char c : bytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        length += letterEscape(b) != 0 ? 2 : (b < 0x20 ? 6 : 1);
    }
    return length;
}

size_t integerLength(int32_t value)
{
    char text[12];
    return static_cast<size_t>(writeJsonInteger(text, value) - text);
}

// At least the length of writeJsonNumber's text, for reserving the buffer.
size_t numberLengthBound(double value)
{
    const double magnitude = value < 0 ? -value : value;
    if (!(magnitude < 1e12)) {
        return kJsonNumberRoom;  // also infinities and NaN
    }
    size_t integerDigits = 1;
    // One more than the value, for a rounding that carries into a new digit (9.99995 is 10).
    for (double limit = 10; magnitude + 1 >= limit; limit *= 10) {
        ++integerDigits;
    }
    return 1 + integerDigits + 5;
}

// An upper bound of one event's text (separator included), from the same cases as appendEvent.
size_t eventLengthBound(const MacroEvent& event)
{
    size_t length = 23 + numberLengthBound(event.delay) + 1;  // ",\n    {\"t\": \"kd\", \"d\": " and "}"
    switch (event.kind) {
    case EventKind::Move: length += 14 + integerLength(event.x) + integerLength(event.y); break;
    case EventKind::Click: length += 14 + integerLength(event.x) + integerLength(event.y) + 12 + 12; break;
    case EventKind::Scroll:
        length +=
            30 + integerLength(event.x) + integerLength(event.y) + integerLength(event.dx) + integerLength(event.dy);
        break;
    case EventKind::KeyDown:
    case EventKind::KeyUp:
    case EventKind::Text: length += 7 + quotedLength(event.keyOrText); break;
    case EventKind::WaitWindow:
    case EventKind::WaitColour:
    case EventKind::WaitPicture: length += screenWaitTextBound(event); break;
    }
    return length;
}

void appendEvent(std::string& out, const MacroEvent& event, bool first, int32_t savedWindow)
{
    // Everything but the key or text fits here: separator and token 23 bytes, the delay kJsonNumberRoom,
    // a scroll's four integers 4 * 18, the window members.
    char line[32 + kJsonNumberRoom + 4 * 18 + 16 + kEventWindowTextRoom];
    char* p = first ? put(line, "\n    {\"t\": \"") : put(line, ",\n    {\"t\": \"");
    p = put(p, kindToken(event.kind));
    p = put(p, "\", \"d\": ");
    p = writeJsonNumber(p, event.delay);
    switch (event.kind) {
    case EventKind::Move:
    case EventKind::Click:
    case EventKind::Scroll:
        p = writeJsonInteger(put(p, ", \"x\": "), event.x);
        p = writeJsonInteger(put(p, ", \"y\": "), event.y);
        if (event.kind == EventKind::Click) {
            p = put(put(put(p, ", \"b\": \""), buttonName(event.button)), "\"");
            p = put(p, event.pressed ? ", \"p\": true" : ", \"p\": false");
        } else if (event.kind == EventKind::Scroll) {
            p = writeJsonInteger(put(p, ", \"dx\": "), event.dx);
            p = writeJsonInteger(put(p, ", \"dy\": "), event.dy);
        }
        break;
    case EventKind::KeyDown:
    case EventKind::KeyUp:
    case EventKind::Text:
        p = put(p, event.kind == EventKind::Text ? ", \"s\": " : ", \"k\": ");
        out.append(line, static_cast<size_t>(p - line));
        appendJsonString(out, event.keyOrText);
        p = writeEventWindow(line, event, savedWindow);
        *p++ = '}';
        out.append(line, static_cast<size_t>(p - line));
        return;
    case EventKind::WaitWindow:
    case EventKind::WaitColour:
    case EventKind::WaitPicture:
        out.append(line, static_cast<size_t>(p - line));
        appendScreenWaitMembers(out, event, savedWindow);
        // A window wait names its window first, among its own members.
        p = event.kind == EventKind::WaitWindow ? line : writeEventWindow(line, event, savedWindow);
        *p++ = '}';
        out.append(line, static_cast<size_t>(p - line));
        return;
    }
    p = writeEventWindow(p, event, savedWindow);
    *p++ = '}';
    out.append(line, static_cast<size_t>(p - line));
}

}  // namespace

std::string formatJsonNumber(double value)
{
    char text[kJsonNumberRoom];
    return std::string(text, writeJsonNumber(text, value));
}

void appendJsonString(std::string& out, const std::string& bytes)
{
    out.push_back('"');
    size_t plainStart = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x20 && b != '"' && b != '\\') {
            continue;
        }
        out.append(bytes, plainStart, i - plainStart);
        plainStart = i + 1;
        const char letter = letterEscape(b);
        if (letter != 0) {
            const char escape[2] = {'\\', letter};
            out.append(escape, 2);
        } else {
            static const char kHex[] = "0123456789abcdef";
            const char escape[6] = {'\\', 'u', '0', '0', kHex[b >> 4], kHex[b & 0xF]};
            out.append(escape, 6);
        }
    }
    out.append(bytes, plainStart, bytes.size() - plainStart);
    out.push_back('"');
}

std::string formatScriptText(const std::vector<MacroEvent>& events)
{
    return formatScriptText(events, {});
}

std::string formatScriptText(const std::vector<MacroEvent>& events, const std::vector<WindowIdentity>& windows)
{
    const SavedWindowTable savedWindows = savedWindowTable(events, windows);
    // Sized first, so that a script of millions of events is written without moving its text.
    size_t length = sizeof kHead - 1 + 8;
    for (const MacroEvent& event : events) {
        length += eventLengthBound(event);
    }
    if (!savedWindows.empty()) {
        length += events.size() * kEventWindowTextRoom;
    }
    std::string out;
    out.reserve(length);
    out += kHead;
    for (size_t i = 0; i < events.size(); ++i) {
        appendEvent(out, events[i], i == 0, savedWindows.indexFor(events[i].window));
    }
    out += events.empty() ? "]" : "\n  ]";
    appendWindowTable(out, savedWindows);
    out += "\n}\n";
    return out;
}
