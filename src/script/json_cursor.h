#pragma once
// The grammar of the program's JSON text, once: a cursor that steps over white space, strings
// with their escapes, literals, number runs, brackets and separators, and stops at the first
// error with its short message and byte position. The readers on top of it (the tree of
// parseJson, the script loader that fills events) only decide what to do with each value.
//
// Everything a reader calls per byte or per value is inline: the script loader reads millions of
// values per load through this cursor, without allocating. Only failures, rare escapes and the
// message text live in json_cursor.cpp.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "base/text_encoding.h"

// What a value is, told by its first byte.
enum class JsonKind : int32_t { Null = 0, Bool = 1, Number = 2, String = 3, Array = 4, Object = 5 };

// Deep enough for any script, shallow enough that the recursion cannot exhaust the stack.
constexpr unsigned kMaxJsonDepth = 256;

// The first error of a text: its short message and the byte offset where reading stopped, or
// text after the document (what is null).
struct JsonSyntaxError {
    const char* what;
    size_t position;

    // "JSON 解析失败(what) 位置 position", or "JSON 尾部存在多余字符" for text after the document.
    std::string message() const;
};

// Where the bytes of a string go once its escapes are resolved: a sink has
// append(const char*, size_t) for a run of plain bytes and push(char) for one resolved escape.
struct DiscardedJsonBytes {
    void append(const char*, size_t) {}
    void push(char) {}
};

struct AllJsonBytes {
    std::string& out;
    void append(const char* data, size_t count) { out.append(data, count); }
    void push(char c) { out.push_back(c); }
};

// A position in a text that the caller keeps alive. Every read that fails throws
// JsonSyntaxError with the cursor where the grammar puts the failure.
class JsonCursor {
public:
    JsonCursor(const char* begin, const char* end) : begin_(begin), end_(end), cur_(begin) {}

    bool atEnd() const { return cur_ >= end_; }
    const char* position() const { return cur_; }
    size_t offset() const { return static_cast<size_t>(cur_ - begin_); }
    // Only to a place that an earlier pass over the same text reached.
    void moveTo(const char* place) { cur_ = place; }

    [[noreturn]] void fail(const char* what) const;

    void skipWhiteSpace()
    {
        while (cur_ < end_ && (*cur_ == ' ' || *cur_ == '\n' || *cur_ == '\r' || *cur_ == '\t')) {
            ++cur_;
        }
    }

    // Skips white space up to the next value and tells its kind; the cursor stays on its first
    // byte. Any byte that starts nothing else is taken for a number (whose read then fails).
    JsonKind peekValue()
    {
        skipWhiteSpace();
        if (atEnd()) {
            fail("意外结束");
        }
        switch (*cur_) {
        case '"': return JsonKind::String;
        case '[': return JsonKind::Array;
        case '{': return JsonKind::Object;
        case 't':
        case 'f': return JsonKind::Bool;
        case 'n': return JsonKind::Null;
        default: return JsonKind::Number;
        }
    }

    // After the document: only white space may follow.
    void expectEnd()
    {
        skipWhiteSpace();
        if (!atEnd()) {
            throw JsonSyntaxError{nullptr, offset()};
        }
    }

    bool readBool()
    {
        const size_t left = static_cast<size_t>(end_ - cur_);
        if (left >= 4 && std::memcmp(cur_, "true", 4) == 0) {
            cur_ += 4;
            return true;
        }
        if (left >= 5 && std::memcmp(cur_, "false", 5) == 0) {
            cur_ += 5;
            return false;
        }
        fail("bool");
    }

    void readNull()
    {
        if (end_ - cur_ >= 4 && std::memcmp(cur_, "null", 4) == 0) {
            cur_ += 4;
            return;
        }
        fail("null");
    }

    // The run of number bytes at the cursor: a sign, then digits, full stops, e, E, + and - in
    // any order. What number it makes is the reader's choice (atof takes its longest leading
    // decimal number).
    std::string_view readNumberRun()
    {
        const char* start = cur_;
        if (*cur_ == '-' || *cur_ == '+') {
            ++cur_;
        }
        while (cur_ < end_ && isNumberByte(*cur_)) {
            ++cur_;
        }
        if (cur_ == start) {
            fail("数字");
        }
        return std::string_view(start, static_cast<size_t>(cur_ - start));
    }

    // A string at the cursor, its escapes resolved into sink. Bytes are never checked as UTF-8;
    // raw control bytes and zero bytes are kept as they are.
    template <typename Sink>
    void readString(Sink& sink)
    {
        if (atEnd() || *cur_ != '"') {
            fail("符号不匹配");
        }
        ++cur_;
        for (;;) {
            const char* run = cur_;
            while (cur_ < end_ && *cur_ != '"' && *cur_ != '\\') {
                ++cur_;
            }
            sink.append(run, static_cast<size_t>(cur_ - run));
            if (atEnd()) {
                fail("字符串未闭合");
            }
            if (*cur_++ == '"') {
                return;
            }
            if (atEnd()) {
                fail("转义未闭合");
            }
            switch (*cur_++) {
            case '"': sink.push('"'); break;
            case '/': sink.push('/'); break;
            case '\\': sink.push('\\'); break;
            case 'b': sink.push('\x08'); break;
            case 'f': sink.push('\x0C'); break;
            case 'n': sink.push('\n'); break;
            case 'r': sink.push('\r'); break;
            case 't': sink.push('\t'); break;
            case 'u': {
                char bytes[kMaxUtf8Bytes];
                sink.append(bytes, readUnicodeEscape(bytes));
                break;
            }
            default: fail("未知转义");
            }
        }
    }

    // A member name (after white space) and the colon after it. Always inlined: the loader reads
    // one per member of every event, and as a call (which the compiler chose) it cost a load
    // about 4 % more instructions.
    template <typename Sink>
    [[gnu::always_inline]] void readMemberName(Sink& name)
    {
        skipWhiteSpace();
        readString(name);
        expectColon();
    }

    // Steps over the opening bracket or brace at the cursor, which opens nesting level depth
    // (1 for a document's outermost one). True when an element follows; false for an empty
    // container, whose closing bracket or brace is then consumed too.
    bool enterArray(unsigned depth) { return enterContainer(depth, ']'); }
    bool enterObject(unsigned depth) { return enterContainer(depth, '}'); }

    // After an element: true at a comma (consumed), false at the closing bracket or brace
    // (consumed).
    bool nextArrayElement() { return nextElement(']', "数组分隔符"); }
    bool nextObjectMember() { return nextElement('}', "对象分隔符"); }

private:
    static bool isNumberByte(char c)
    {
        return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+';
    }

    // The rest of a \u escape (the cursor just after the u), with the escape of the low half of
    // a surrogate pair that follows a high half, written at out as UTF-8; returns the byte count.
    // A half without its partner is written on its own (as the three bytes of its value).
    size_t readUnicodeEscape(char* out);
    uint32_t readHex4();

    void expectColon()
    {
        if (atEnd()) {
            fail("符号不匹配");
        }
        skipWhiteSpace();
        if (atEnd() || *cur_ != ':') {
            fail("符号不匹配");
        }
        ++cur_;
    }

    bool enterContainer(unsigned depth, char close)
    {
        if (depth > kMaxJsonDepth) {
            fail("嵌套过深");
        }
        ++cur_;
        skipWhiteSpace();
        if (atEnd()) {
            fail("意外结束");
        }
        if (*cur_ == close) {
            ++cur_;
            return false;
        }
        return true;
    }

    bool nextElement(char close, const char* separatorError)
    {
        skipWhiteSpace();
        if (atEnd()) {
            fail("意外结束");
        }
        if (*cur_ == ',') {
            ++cur_;
            return true;
        }
        if (*cur_ == close) {
            ++cur_;
            return false;
        }
        fail(separatorError);
    }

    const char* begin_;
    const char* end_;
    const char* cur_;
};
