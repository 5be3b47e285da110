// Feeds arbitrary bytes to the JSON reader: it must either build a tree or throw its own error,
// and whatever it accepts, written back out as JSON and read again, gives the same tree.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "script/json_reader.h"

namespace {

void writeString(std::string& out, const std::string& bytes)
{
    out.push_back('"');
    for (const char c : bytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        switch (b) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (b < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04X", b);
                out += escape;
            } else {
                out.push_back(c);  // the reader keeps every other byte as it is, also raw ones
            }
        }
    }
    out.push_back('"');
}

void writeValue(std::string& out, const JsonValue& value)
{
    switch (value.kind) {
    case JsonKind::Null: out += "null"; break;
    case JsonKind::Bool: out += value.boolean ? "true" : "false"; break;
    case JsonKind::Number:
        if (std::isinf(value.number)) {
            out += value.number < 0 ? "-1e999" : "1e999";  // atof overflows to the same infinity
        } else {
            char text[40];
            std::snprintf(text, sizeof text, "%.17g", value.number);
            out += text;
        }
        break;
    case JsonKind::String: writeString(out, value.text); break;
    case JsonKind::Array:
        out.push_back('[');
        for (size_t i = 0; i < value.items.size(); ++i) {
            out += i == 0 ? "" : ", ";
            writeValue(out, value.items[i]);
        }
        out.push_back(']');
        break;
    case JsonKind::Object:
        out.push_back('{');
        for (size_t i = 0; i < value.members.size(); ++i) {
            out += i == 0 ? "" : ",\n";
            writeString(out, value.members[i].name);
            out += ": ";
            writeValue(out, value.members[i].value);
        }
        out.push_back('}');
        break;
    }
}

bool sameNumber(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;  // also tells -0 from 0
}

bool sameValue(const JsonValue& a, const JsonValue& b)
{
    if (a.kind != b.kind || a.boolean != b.boolean || !sameNumber(a.number, b.number) || a.text != b.text ||
        a.items.size() != b.items.size() || a.members.size() != b.members.size()) {
        return false;
    }
    for (size_t i = 0; i < a.items.size(); ++i) {
        if (!sameValue(a.items[i], b.items[i])) {
            return false;
        }
    }
    for (size_t i = 0; i < a.members.size(); ++i) {
        if (a.members[i].name != b.members[i].name || !sameValue(a.members[i].value, b.members[i].value)) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    JsonValue value;
    try {
        value = parseJson(text);
    } catch (const std::runtime_error&) {
        return 0;
    }
    std::string written;
    writeValue(written, value);
    try {
        if (!sameValue(parseJson(written), value)) {
            __builtin_trap();
        }
    } catch (const std::runtime_error&) {
        __builtin_trap();  // what was read once must read again
    }
    return 0;
}
