// The script loader: reads a script's text straight into events, without a tree of the document.
// It reads the same grammar as parseJson, with the same failures at the same positions, and
// takes the same members of the same elements as the rules of the script file say (first
// duplicate wins, unusable elements skipped, a bare array accepted, delays bounded).
//
// The text is read twice: the first pass checks all of it and counts the events, the second
// converts the event array into a list reserved to that count. A load thus holds the text, the
// events and nothing that grows with the input: not a tree, and no list grown by doubling.
#include "script/script_file.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>

#include "base/text_encoding.h"
#include "script/json_number.h"
#include "script/json_reader.h"

namespace {

constexpr uint64_t kProgressReportsPerPass = 100;
constexpr char kNotAScript[] = "不是有效的宏脚本（缺少 events 数组）";

struct ParseFailure {
    const char* what;  // null for text after the document
    size_t position;
};

int32_t toInt32(double value)
{
    // Truncated toward zero; outside the 32-bit range (and NaN) gives the smallest value.
    if (!(value > -2147483649.0 && value < 2147483648.0)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

bool isNumberByte(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+';
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Where the bytes of a string go once its escapes are resolved.
struct DiscardedBytes {
    void append(const char*, size_t) {}
    void push(char) {}
};

// The first bytes and the length of a string: enough to compare it with a short name, whatever
// its length.
struct ShortBytes {
    static constexpr size_t kKept = 8;
    char bytes[kKept];
    size_t length = 0;

    void append(const char* data, size_t count)
    {
        for (size_t i = 0; i < count && length + i < kKept; ++i) {
            bytes[length + i] = data[i];
        }
        length += count;
    }
    void push(char c)
    {
        if (length < kKept) {
            bytes[length] = c;
        }
        ++length;
    }
    bool equals(const char* text) const
    {
        const size_t textLength = std::strlen(text);
        return length == textLength && length <= kKept && std::memcmp(bytes, text, length) == 0;
    }
};

struct AllBytes {
    std::string& out;
    void append(const char* data, size_t count) { out.append(data, count); }
    void push(char c) { out.push_back(c); }
};

// The members of an event object that the loader reads.
enum class Field : unsigned { T, D, X, Y, Dx, Dy, P, B, K, Other };

Field fieldOf(const ShortBytes& name)
{
    if (name.length == 1) {
        switch (name.bytes[0]) {
        case 't': return Field::T;
        case 'd': return Field::D;
        case 'x': return Field::X;
        case 'y': return Field::Y;
        case 'p': return Field::P;
        case 'b': return Field::B;
        case 'k': return Field::K;
        default: return Field::Other;
        }
    }
    if (name.equals("dx")) {
        return Field::Dx;
    }
    return name.equals("dy") ? Field::Dy : Field::Other;
}

bool kindOf(const ShortBytes& token, EventKind& kind)
{
    for (EventKind k : {EventKind::Move, EventKind::Click, EventKind::Scroll, EventKind::KeyDown, EventKind::KeyUp}) {
        if (token.equals(kindToken(k))) {
            kind = k;
            return true;
        }
    }
    return false;
}

MouseButton buttonOf(const ShortBytes& name)
{
    for (MouseButton b : {MouseButton::Left, MouseButton::Right, MouseButton::Middle}) {
        if (name.equals(buttonName(b))) {
            return b;
        }
    }
    return MouseButton::Left;
}

class ScriptTextReader {
public:
    ScriptTextReader(const std::string& text, const LoadProgress& progress)
        : begin_(text.data()), end_(text.data() + text.size()), cur_(begin_), progress_(progress)
    {}

    // First pass: the whole text, checked as parseJson checks it; finds the event array and
    // counts the events it makes. Throws ParseFailure.
    void check()
    {
        startPass(begin_, end_, 0);
        skipWhiteSpace();
        readRoot();
        skipWhiteSpace();
        if (cur_ != end_) {
            throw ParseFailure{nullptr, 0};
        }
    }

    bool hasEventArray() const { return arrayBegin_ != nullptr; }
    size_t eventCount() const { return eventCount_; }

    // Second pass, over the event array of a checked text only: appends its events.
    void convert(std::vector<MacroEvent>& events)
    {
        events_ = &events;
        startPass(arrayBegin_, arrayEnd_, textSize());
        cur_ = arrayBegin_;
        readEventArray(arrayDepth_);
        events_ = nullptr;
    }

    uint64_t textSize() const { return static_cast<uint64_t>(end_ - begin_); }

private:
    [[noreturn]] void fail(const char* what) const { throw ParseFailure{what, static_cast<size_t>(cur_ - begin_)}; }

    bool atEnd() const { return cur_ >= end_; }
    char peek() const { return *cur_; }

    void skipWhiteSpace()
    {
        while (cur_ < end_ && (*cur_ == ' ' || *cur_ == '\n' || *cur_ == '\r' || *cur_ == '\t')) {
            ++cur_;
        }
    }

    // Each pass reports its own share of the work, the size of the text, in about
    // kProgressReportsPerPass steps.
    void startPass(const char* from, const char* to, uint64_t workBefore)
    {
        passFrom_ = from;
        passSpan_ = static_cast<uint64_t>(to - from);
        workBefore_ = workBefore;
        step_ = passSpan_ / kProgressReportsPerPass + 1;
        nextReport_ = progress_.report != nullptr ? reinterpret_cast<uintptr_t>(from) + step_ : UINTPTR_MAX;
    }

    void reportProgress()
    {
        const uint64_t passDone = static_cast<uint64_t>(cur_ - passFrom_);
        const uint64_t work = workBefore_ + (passSpan_ == 0 ? 0 : passDone * textSize() / passSpan_);
        progress_.report(progress_.context, work, 2 * textSize());
        nextReport_ = reinterpret_cast<uintptr_t>(cur_) + step_;
    }

    void readRoot()
    {
        if (atEnd()) {
            fail("意外结束");
        }
        if (peek() == '[') {
            readEventArray(1);
        } else if (peek() == '{') {
            readRootObject(1);
        } else {
            skipValue(0);
        }
    }

    // The value of the first "events" member decides; later ones are only checked.
    void readRootObject(unsigned depth)
    {
        if (enterContainer(depth, '}')) {
            return;
        }
        bool eventsSeen = false;
        do {
            skipWhiteSpace();
            ShortBytes name;
            readString(name);
            expectColon();
            if (!eventsSeen && name.equals("events")) {
                eventsSeen = true;
                skipWhiteSpace();
                if (!atEnd() && peek() == '[') {
                    readEventArray(depth + 1);
                    continue;
                }
            }
            skipValue(depth);
        } while (nextElement('}', "对象分隔符"));
    }

    void readEventArray(unsigned depth)
    {
        arrayBegin_ = cur_;
        arrayDepth_ = depth;
        if (!enterContainer(depth, ']')) {
            do {
                skipWhiteSpace();
                if (!atEnd() && peek() == '{') {
                    if (readEventObject(depth + 1)) {
                        ++eventCount_;
                        if (events_ != nullptr) {
                            events_->push_back(std::move(event_));
                        }
                    }
                    if (events_ != nullptr) {
                        resetEvent();
                    }
                } else {
                    skipValue(depth);
                }
            } while (nextElement(']', "数组分隔符"));
        }
        arrayEnd_ = cur_;
    }

    // A key read for an element that made no event keeps no buffer of its size.
    void resetEvent()
    {
        event_.kind = EventKind::Move;
        event_.delay = 0.0;
        event_.x = event_.y = event_.dx = event_.dy = 0;
        event_.button = MouseButton::Left;
        event_.pressed = false;
        event_.key.clear();
        if (event_.key.capacity() > 64) {
            event_.key.shrink_to_fit();
        }
    }

    // True when the object makes an event: its first "t" is a string that names a kind. While
    // converting, the members go to event_ as they come, each from its first occurrence.
    bool readEventObject(unsigned depth)
    {
        if (enterContainer(depth, '}')) {
            return false;
        }
        unsigned seen = 0;
        bool known = false;
        do {
            skipWhiteSpace();
            ShortBytes name;
            readString(name);
            expectColon();
            const Field field = fieldOf(name);
            const unsigned bit = 1u << static_cast<unsigned>(field);
            if (field == Field::Other || (seen & bit) != 0 || (events_ == nullptr && field != Field::T)) {
                skipValue(depth);
                continue;
            }
            seen |= bit;
            if (field == Field::T) {
                known = readKind(depth);
            } else {
                readEventField(field, depth);
            }
        } while (nextElement('}', "对象分隔符"));
        return known;
    }

    bool readKind(unsigned depth)
    {
        skipWhiteSpace();
        if (atEnd() || peek() != '"') {
            skipValue(depth);
            return false;
        }
        ShortBytes token;
        readString(token);
        return kindOf(token, event_.kind);
    }

    void readEventField(Field field, unsigned depth)
    {
        skipWhiteSpace();
        if (atEnd()) {
            fail("意外结束");
        }
        switch (peek()) {
        case '"':
            if (field == Field::K) {
                AllBytes key{event_.key};
                readString(key);
            } else if (field == Field::B) {
                ShortBytes name;
                readString(name);
                event_.button = buttonOf(name);
            } else {
                DiscardedBytes ignored;
                readString(ignored);
            }
            return;
        case 't':
        case 'f': {
            const bool value = readBool();
            if (field == Field::P) {
                event_.pressed = value;
            }
            return;
        }
        case '[':
        case '{':
        case 'n': skipValue(depth); return;
        default: break;
        }
        const char* start = cur_;
        skipNumber();
        const double value = numberRunValue(start, cur_);
        switch (field) {
        case Field::D:
            if (value > 0.0) {
                event_.delay = std::isfinite(value) && value < kMaxDelaySeconds ? value : kMaxDelaySeconds;
            }
            break;
        case Field::X: event_.x = toInt32(value); break;
        case Field::Y: event_.y = toInt32(value); break;
        case Field::Dx: event_.dx = toInt32(value); break;
        case Field::Dy: event_.dy = toInt32(value); break;
        default: break;
        }
    }

    void skipValue(unsigned depth)
    {
        skipWhiteSpace();
        if (atEnd()) {
            fail("意外结束");
        }
        switch (peek()) {
        case '"': {
            DiscardedBytes ignored;
            readString(ignored);
            return;
        }
        case '[': skipArray(depth + 1); return;
        case '{': skipObject(depth + 1); return;
        case 't':
        case 'f': readBool(); return;
        case 'n': readNull(); return;
        default: skipNumber(); return;
        }
    }

    void skipArray(unsigned depth)
    {
        if (enterContainer(depth, ']')) {
            return;
        }
        do {
            skipValue(depth);
        } while (nextElement(']', "数组分隔符"));
    }

    void skipObject(unsigned depth)
    {
        if (enterContainer(depth, '}')) {
            return;
        }
        do {
            skipWhiteSpace();
            DiscardedBytes name;
            readString(name);
            expectColon();
            skipValue(depth);
        } while (nextElement('}', "对象分隔符"));
    }

    void expectColon()
    {
        if (atEnd()) {
            fail("符号不匹配");
        }
        skipWhiteSpace();
        if (atEnd() || peek() != ':') {
            fail("符号不匹配");
        }
        ++cur_;
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

    void skipNumber()
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
    }

    uint32_t readHex4()
    {
        if (end_ - cur_ < 4) {
            fail("\\u 长度不足");
        }
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexDigit(*cur_++);
            if (digit < 0) {
                fail("非法十六进制");
            }
            value = value * 16 + static_cast<uint32_t>(digit);
        }
        return value;
    }

    template <typename Sink>
    void readString(Sink& sink)
    {
        if (atEnd() || peek() != '"') {
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
                uint32_t c16 = readHex4();
                if (c16 >= 0xD800 && c16 <= 0xDBFF && end_ - cur_ >= 2 && cur_[0] == '\\' && cur_[1] == 'u') {
                    cur_ += 2;
                    const uint32_t low = readHex4();
                    // Used whatever its value, also when it is no low surrogate.
                    c16 = c16 * 1024 + low - 0x35FDC00;
                }
                std::string encoded;
                appendUtf8(encoded, c16);
                sink.append(encoded.data(), encoded.size());
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
        ++cur_;
        skipWhiteSpace();
        if (atEnd()) {
            fail("意外结束");
        }
        if (peek() == close) {
            ++cur_;
            return true;
        }
        return false;
    }

    // After an element: true at a comma (consumed), false at the closing bracket (consumed).
    bool nextElement(char close, const char* separatorError)
    {
        if (reinterpret_cast<uintptr_t>(cur_) >= nextReport_) {
            reportProgress();
        }
        skipWhiteSpace();
        if (atEnd()) {
            fail("意外结束");
        }
        if (peek() == ',') {
            ++cur_;
            return true;
        }
        if (peek() == close) {
            ++cur_;
            return false;
        }
        fail(separatorError);
    }

    const char* begin_;
    const char* end_;
    const char* cur_;

    const char* arrayBegin_ = nullptr;
    const char* arrayEnd_ = nullptr;
    unsigned arrayDepth_ = 0;
    size_t eventCount_ = 0;
    std::vector<MacroEvent>* events_ = nullptr;  // set while converting
    MacroEvent event_;

    LoadProgress progress_;
    const char* passFrom_ = nullptr;
    uint64_t passSpan_ = 0;
    uint64_t workBefore_ = 0;
    uint64_t step_ = 0;
    uintptr_t nextReport_ = UINTPTR_MAX;
};

}  // namespace

bool parseScriptText(const std::string& text, std::vector<MacroEvent>& events, std::wstring& error)
{
    return parseScriptText(text, events, error, LoadProgress{});
}

bool parseScriptText(const std::string& text, std::vector<MacroEvent>& events, std::wstring& error,
                     const LoadProgress& progress)
{
    try {
        ScriptTextReader reader(text, progress);
        reader.check();
        if (!reader.hasEventArray()) {
            error = utf8ToWide(kNotAScript);
            return false;
        }
        std::vector<MacroEvent> loaded;
        loaded.reserve(reader.eventCount());
        reader.convert(loaded);
        events.swap(loaded);
        if (progress.report != nullptr) {
            progress.report(progress.context, 2 * reader.textSize(), 2 * reader.textSize());
        }
        return true;
    } catch (const ParseFailure& failure) {
        if (failure.what == nullptr) {
            error = utf8ToWide("JSON 尾部存在多余字符");
        } else {
            char message[128];
            std::snprintf(message, sizeof message, "JSON 解析失败(%s) 位置 %u", failure.what,
                          static_cast<unsigned>(failure.position));
            error = utf8ToWide(message);
        }
        return false;
    } catch (const std::exception& failure) {
        error = utf8ToWide(failure.what());
        return false;
    }
}
