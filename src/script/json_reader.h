#pragma once
// A small JSON reader for script files: whole text in memory, strings kept as UTF-8 bytes,
// object members in document order. Failures throw std::runtime_error with a Chinese message
// that names the error and the byte position.

#include <string>
#include <vector>

#include "script/json_cursor.h"  // JsonKind, kMaxJsonDepth

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

JsonValue parseJson(const std::string& text);
// The first member of an object with exactly this name, or null.
const JsonValue* findMember(const JsonValue& object, const std::string& name);
