#include "script/json_reader.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "base/text_encoding.h"

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    JsonValue document()
    {
        skipWhiteSpace();
        JsonValue value = readValue(0);
        skipWhiteSpace();
        if (pos_ != text_.size()) {
            throw std::runtime_error("JSON 尾部存在多余字符");
        }
        return value;
    }

private:
    [[noreturn]] void fail(const char* what) const
    {
        char message[128];
        std::snprintf(message, sizeof message, "JSON 解析失败(%s) 位置 %u", what, static_cast<unsigned>(pos_));
        throw std::runtime_error(message);
    }

    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return text_[pos_]; }

    void skipWhiteSpace()
    {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\r' || peek() == '\n')) {
            ++pos_;
        }
    }

    JsonValue readValue(unsigned depth)
    {
        skipWhiteSpace();
        if (atEnd()) {
            fail("意外结束");
        }
        JsonValue value;
        switch (peek()) {
        case '"':
            value.kind = JsonKind::String;
            value.text = readString();
            return value;
        case '[': return readArray(depth + 1);
        case '{': return readObject(depth + 1);
        case 't':
        case 'f': return readBool();
        case 'n': return readNull();
        default: return readNumber();
        }
    }

    JsonValue readBool()
    {
        JsonValue value;
        value.kind = JsonKind::Bool;
        const size_t left = text_.size() - pos_;
        if (left >= 4 && text_.compare(pos_, 4, "true") == 0) {
            value.boolean = true;
            pos_ += 4;
        } else if (left >= 5 && text_.compare(pos_, 5, "false") == 0) {
            pos_ += 5;
        } else {
            fail("bool");
        }
        return value;
    }

    JsonValue readNull()
    {
        if (text_.size() - pos_ >= 4 && text_.compare(pos_, 4, "null") == 0) {
            pos_ += 4;
            return JsonValue{};
        }
        fail("null");
    }

    static bool isNumberByte(char c)
    {
        return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+';
    }

    JsonValue readNumber()
    {
        const size_t start = pos_;
        if (peek() == '-' || peek() == '+') {
            ++pos_;
        }
        while (!atEnd() && isNumberByte(peek())) {
            ++pos_;
        }
        if (pos_ == start) {
            fail("数字");
        }
        // atof in the "C" locale: the longest leading valid part counts, the rest of the run is ignored.
        const std::string run = text_.substr(start, pos_ - start);
        JsonValue value;
        value.kind = JsonKind::Number;
        value.number = std::strtod(run.c_str(), nullptr);
        return value;
    }

    static int hexDigit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    uint32_t readHex4()
    {
        if (text_.size() - pos_ < 4) {
            fail("\\u 长度不足");
        }
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexDigit(text_[pos_++]);
            if (digit < 0) {
                fail("非法十六进制");
            }
            value = value * 16 + static_cast<uint32_t>(digit);
        }
        return value;
    }

    std::string readString()
    {
        if (atEnd() || peek() != '"') {
            fail("符号不匹配");
        }
        ++pos_;
        std::string out;
        for (;;) {
            if (atEnd()) {
                fail("字符串未闭合");
            }
            const char c = text_[pos_++];
            if (c == '"') {
                return out;
            }
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (atEnd()) {
                fail("转义未闭合");
            }
            const char letter = text_[pos_++];
            switch (letter) {
            case '"': out.push_back('"'); break;
            case '/': out.push_back('/'); break;
            case '\\': out.push_back('\\'); break;
            case 'b': out.push_back('\x08'); break;
            case 'f': out.push_back('\x0C'); break;
            case 'n': out.push_back('\n'); break;
            case 'r': out.push_back('\r'); break;
            case 't': out.push_back('\t'); break;
            case 'u': {
                uint32_t c16 = readHex4();
                if (c16 >= 0xD800 && c16 <= 0xDBFF && text_.size() - pos_ >= 2 && text_[pos_] == '\\' &&
                    text_[pos_ + 1] == 'u') {
                    pos_ += 2;
                    const uint32_t low = readHex4();
                    // Used whatever its value, also when it is no low surrogate.
                    c16 = c16 * 1024 + low - 0x35FDC00;
                }
                appendUtf8(out, c16);
                break;
            }
            default: fail("未知转义");
            }
        }
    }

    // Steps over the opening bracket or brace; true when the closing one follows at once (and is
    // consumed with it).
    bool enterContainer(unsigned depth, char close)
    {
        if (depth > kMaxJsonDepth) {
            fail("嵌套过深");
        }
        ++pos_;
        skipWhiteSpace();
        if (atEnd()) {
            fail("意外结束");
        }
        if (peek() == close) {
            ++pos_;
            return true;
        }
        return false;
    }

    // After an element: true at a comma (consumed), false at the closing bracket (consumed).
    bool nextElement(char close, const char* separatorError)
    {
        skipWhiteSpace();
        if (atEnd()) {
            fail("意外结束");
        }
        if (peek() == ',') {
            ++pos_;
            return true;
        }
        if (peek() == close) {
            ++pos_;
            return false;
        }
        fail(separatorError);
    }

    JsonValue readArray(unsigned depth)
    {
        JsonValue value;
        value.kind = JsonKind::Array;
        if (enterContainer(depth, ']')) {
            return value;
        }
        do {
            value.items.push_back(readValue(depth));
        } while (nextElement(']', "数组分隔符"));
        return value;
    }

    JsonValue readObject(unsigned depth)
    {
        JsonValue value;
        value.kind = JsonKind::Object;
        if (enterContainer(depth, '}')) {
            return value;
        }
        do {
            skipWhiteSpace();
            JsonMember member;
            member.name = readString();
            if (atEnd()) {
                fail("符号不匹配");
            }
            skipWhiteSpace();
            if (atEnd() || peek() != ':') {
                fail("符号不匹配");
            }
            ++pos_;
            member.value = readValue(depth);
            value.members.push_back(std::move(member));
        } while (nextElement('}', "对象分隔符"));
        return value;
    }

    const std::string& text_;
    size_t pos_ = 0;
};

}  // namespace

JsonValue parseJson(const std::string& text)
{
    return Reader(text).document();
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
