#pragma once
// A small JSON reader for script files: whole text in memory, strings kept as UTF-8 bytes,
// object members in document order. Failures throw std::runtime_error with a Chinese message
// that names the error and the byte position.

#include <cstdint>
#include <string>
#include <vector>

enum class JsonKind : int32_t { Null = 0, Bool = 1, Number = 2, String = 3, Array = 4, Object = 5 };

struct JsonMember;

struct JsonValue {
    JsonKind kind = JsonKind::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<JsonValue> items;
    std::vector<JsonMember> members;
};

struct JsonMember {
    std::string name;
    JsonValue value;
};

// Deep enough for any script, shallow enough that the recursion cannot exhaust the stack.
constexpr unsigned kMaxJsonDepth = 256;

JsonValue parseJson(const std::string& text);
// The first member of an object with exactly this name, or null.
const JsonValue* findMember(const JsonValue& object, const std::string& name);
