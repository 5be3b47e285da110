#include "script_text_reference.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>

#include "base/text_encoding.h"
#include "script/json_reader.h"
#include "script/screen_wait.h"

namespace {

constexpr double kMaxLoadedDelay = 1000000.0;

int32_t toInt32(double value)
{
    if (!(value > -2147483649.0 && value < 2147483648.0)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

int32_t intMember(const JsonValue& object, const char* name)
{
    const JsonValue* value = findMember(object, name);
    return value != nullptr && value->kind == JsonKind::Number ? toInt32(value->number) : 0;
}

void appendJsonStringWithPrintf(std::string& out, const std::string& bytes)
{
    out.push_back('"');
    for (const char c : bytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        switch (b) {
        case 0x08: out += "\\b"; break;
        case 0x09: out += "\\t"; break;
        case 0x0A: out += "\\n"; break;
        case 0x0C: out += "\\f"; break;
        case 0x0D: out += "\\r"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default:
            if (b < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", b);
                out += escape;
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
}

// A text step's text made valid another way than the loader does: each surrogate's three bytes
// replaced by those of U+FFFD first, then a round trip through UTF-16 for the rest.
std::string validTextBySubstitution(const std::string& bytes)
{
    std::string replaced;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b0 = static_cast<unsigned char>(bytes[i]);
        if (b0 == 0xED && i + 2 < bytes.size()) {
            const unsigned char b1 = static_cast<unsigned char>(bytes[i + 1]);
            const unsigned char b2 = static_cast<unsigned char>(bytes[i + 2]);
            if ((b1 & 0xE0) == 0xA0 && (b2 & 0xC0) == 0x80) {
                replaced += "\xEF\xBF\xBD";
                i += 2;
                continue;
            }
        }
        replaced.push_back(bytes[i]);
    }
    return wideToUtf8(utf8ToWide(replaced));
}

void appendNumberMember(std::string& out, const char* prefix, double value)
{
    out += prefix;
    out += formatJsonNumberWithPrintf(value);
}

}  // namespace

std::string formatJsonNumberWithPrintf(double value)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.4f", value);
    std::string text = buffer;
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') {
            text.pop_back();
        }
        if (!text.empty() && text.back() == '.') {
            text.pop_back();
        }
    }
    if (text.empty() || text == "-0") {
        text = "0";
    }
    return text;
}

std::string formatScriptTextWithPrintf(const std::vector<MacroEvent>& events)
{
    std::string out;
    out.reserve(events.size() * 48 + 64);
    out += "{\n  \"v\": 4,\n  \"events\": [";
    bool first = true;
    for (const MacroEvent& event : events) {
        out += first ? "\n" : ",\n";
        first = false;
        out += "    {\"t\": ";
        appendJsonStringWithPrintf(out, kindToken(event.kind));
        appendNumberMember(out, ", \"d\": ", event.delay);
        switch (event.kind) {
        case EventKind::Move:
            appendNumberMember(out, ", \"x\": ", event.x);
            appendNumberMember(out, ", \"y\": ", event.y);
            break;
        case EventKind::Click:
            appendNumberMember(out, ", \"x\": ", event.x);
            appendNumberMember(out, ", \"y\": ", event.y);
            out += ", \"b\": ";
            appendJsonStringWithPrintf(out, buttonName(event.button));
            out += event.pressed ? ", \"p\": true" : ", \"p\": false";
            break;
        case EventKind::Scroll:
            appendNumberMember(out, ", \"x\": ", event.x);
            appendNumberMember(out, ", \"y\": ", event.y);
            appendNumberMember(out, ", \"dx\": ", event.dx);
            appendNumberMember(out, ", \"dy\": ", event.dy);
            break;
        case EventKind::KeyDown:
        case EventKind::KeyUp:
            out += ", \"k\": ";
            appendJsonStringWithPrintf(out, event.keyOrText);
            break;
        case EventKind::Text:
            out += ", \"s\": ";
            appendJsonStringWithPrintf(out, event.keyOrText);
            break;
        case EventKind::WaitWindow:
        case EventKind::WaitColour:
        case EventKind::WaitPicture: break;  // the first implementation knew no wait steps
        }
        out += "}";
    }
    out += events.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

bool parseScriptTextWithTree(const std::string& text, std::vector<MacroEvent>& events, std::wstring& error)
{
    try {
        const JsonValue root = parseJson(text);
        const JsonValue* array = nullptr;
        if (root.kind == JsonKind::Object) {
            array = findMember(root, "events");
        } else if (root.kind == JsonKind::Array) {
            array = &root;
        }
        if (array == nullptr || array->kind != JsonKind::Array) {
            error = L"不是有效的宏脚本（缺少 events 数组）";
            return false;
        }
        std::vector<MacroEvent> loaded;
        loaded.reserve(array->items.size());
        for (const JsonValue& item : array->items) {
            if (item.kind != JsonKind::Object) {
                continue;
            }
            const JsonValue* token = findMember(item, "t");
            EventKind kind = EventKind::Move;
            // The first implementation knew no wait steps: their elements are skipped here.
            if (token == nullptr || token->kind != JsonKind::String || !kindFromToken(token->text, kind) ||
                isScreenWait(kind)) {
                continue;
            }
            MacroEvent event;
            event.kind = kind;
            const JsonValue* delay = findMember(item, "d");
            if (delay != nullptr && delay->kind == JsonKind::Number && delay->number > 0.0) {
                event.delay =
                    std::isfinite(delay->number) && delay->number < kMaxLoadedDelay ? delay->number : kMaxLoadedDelay;
            }
            event.x = intMember(item, "x");
            event.y = intMember(item, "y");
            event.dx = intMember(item, "dx");
            event.dy = intMember(item, "dy");
            const JsonValue* pressed = findMember(item, "p");
            event.pressed = pressed != nullptr && pressed->kind == JsonKind::Bool && pressed->boolean;
            const JsonValue* button = findMember(item, "b");
            if (button != nullptr && button->kind == JsonKind::String) {
                if (!buttonFromName(button->text, event.button)) {
                    event.button = MouseButton::Left;
                }
            }
            const JsonValue* key = findMember(item, kind == EventKind::Text ? "s" : "k");
            if (key != nullptr && key->kind == JsonKind::String) {
                event.keyOrText = kind == EventKind::Text ? validTextBySubstitution(key->text) : key->text;
            }
            loaded.push_back(std::move(event));
        }
        events = std::move(loaded);
        return true;
    } catch (const std::exception& failure) {
        error = utf8ToWide(failure.what());
        return false;
    }
}

bool sameEvent(const MacroEvent& a, const MacroEvent& b)
{
    return a.kind == b.kind && std::memcmp(&a.delay, &b.delay, sizeof a.delay) == 0 && a.x == b.x && a.y == b.y &&
           a.dx == b.dx && a.dy == b.dy && a.button == b.button && a.pressed == b.pressed && a.keyOrText == b.keyOrText;
}
