#include "script/json_reader.h"

#include <cstdlib>
#include <stdexcept>

namespace {

// Builds the tree of every value the cursor reads.
class TreeReader {
public:
    explicit TreeReader(const std::string& text) : cursor_(text.data(), text.data() + text.size()) {}

    JsonValue document()
    {
        JsonValue value = readValue(0);
        cursor_.expectEnd();
        return value;
    }

private:
    JsonValue readValue(unsigned depth)
    {
        JsonValue value;
        value.kind = cursor_.peekValue();
        switch (value.kind) {
        case JsonKind::String: {
            AllJsonBytes text{value.text};
            cursor_.readString(text);
            break;
        }
        case JsonKind::Array: readArray(value, depth + 1); break;
        case JsonKind::Object: readObject(value, depth + 1); break;
        case JsonKind::Bool: value.boolean = cursor_.readBool(); break;
        case JsonKind::Null: cursor_.readNull(); break;
        case JsonKind::Number: {
            // atof in the "C" locale: the longest leading valid part counts, the rest of the run
            // is ignored.
            const std::string run(cursor_.readNumberRun());
            value.number = std::strtod(run.c_str(), nullptr);
            break;
        }
        }
        return value;
    }

    void readArray(JsonValue& array, unsigned depth)
    {
        if (!cursor_.enterArray(depth)) {
            return;
        }
        do {
            array.items.push_back(readValue(depth));
        } while (cursor_.nextArrayElement());
    }

    void readObject(JsonValue& object, unsigned depth)
    {
        if (!cursor_.enterObject(depth)) {
            return;
        }
        do {
            JsonMember member;
            AllJsonBytes name{member.name};
            cursor_.readMemberName(name);
            member.value = readValue(depth);
            object.members.push_back(std::move(member));
        } while (cursor_.nextObjectMember());
    }

    JsonCursor cursor_;
};

}  // namespace

JsonValue parseJson(const std::string& text)
{
    try {
        return TreeReader(text).document();
    } catch (const JsonSyntaxError& error) {
        throw std::runtime_error(error.message());
    }
}

const JsonValue* findMember(const JsonValue& object, const std::string& name)
{
    for (const JsonMember& member : object.members) {
        if (member.name == name) {
            return &member.value;
        }
    }
    return nullptr;
}
