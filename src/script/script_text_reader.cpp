// The script loader: reads a script's text straight into events, without a tree of the document.
// It reads the grammar through the same cursor as parseJson (json_cursor.h), so with the same
// failures at the same positions, and takes the same members of the same elements as the rules
// of the script file say (first duplicate wins, unusable elements skipped, a bare array accepted,
// delays bounded).
//
// The text is read twice: the first pass checks all of it and counts the events, the second
// converts the event array into a list reserved to that count (and room for edits). A load thus
// holds the text, the events and nothing that grows with the input: not a tree, and no list grown
// by doubling.
#include "script/script_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <string_view>
#include <utility>

#include "base/text_encoding.h"
#include "script/json_cursor.h"
#include "script/json_number.h"
#include "script/screen_wait.h"
#include "script/text_step.h"
#include "script/window_table.h"

namespace {

constexpr uint64_t kProgressReportsPerPass = 100;
constexpr char kNotAScript[] = "不是有效的宏脚本（缺少 events 数组）";

int32_t toInt32(double value)
{
    // Truncated toward zero; outside the 32-bit range (and NaN) gives the smallest value.
    if (!(value > -2147483649.0 && value < 2147483648.0)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

// A string sink (see JsonCursor::readString) that keeps the first bytes and the length of a
// string: enough to compare it with a short name, whatever its length.
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

// The members of an event object that the loader reads.
enum class Field : unsigned {
    T,
    D,
    X,
    Y,
    Dx,
    Dy,
    P,
    B,
    K,
    S,
    W,
    Wx,
    Wy,
    Wdpi,
    // The members of the wait steps (script/screen_wait.h).
    Until,
    To,
    Else,
    Rgb,
    Tol,
    Not,
    Cx,
    Cy,
    Png,
    Click,
    Px,
    Py,
    Other
};

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
        case 'w': return Field::W;
        case 's': return Field::S;
        default: return Field::Other;
        }
    }
    for (const auto& [text, field] : {std::pair<const char*, Field>{"dx", Field::Dx},
                                      {"dy", Field::Dy},
                                      {"wx", Field::Wx},
                                      {"wy", Field::Wy},
                                      {"wdpi", Field::Wdpi},
                                      {"until", Field::Until},
                                      {"to", Field::To},
                                      {"else", Field::Else},
                                      {"rgb", Field::Rgb},
                                      {"tol", Field::Tol},
                                      {"not", Field::Not},
                                      {"cx", Field::Cx},
                                      {"cy", Field::Cy},
                                      {"png", Field::Png},
                                      {"click", Field::Click},
                                      {"px", Field::Px},
                                      {"py", Field::Py}}) {
        if (name.equals(text)) {
            return field;
        }
    }
    return Field::Other;
}

bool kindOf(const ShortBytes& token, EventKind& kind)
{
    for (EventKind k : {EventKind::Move, EventKind::Click, EventKind::Scroll, EventKind::KeyDown, EventKind::KeyUp,
                        EventKind::Text, EventKind::WaitWindow, EventKind::WaitColour, EventKind::WaitPicture}) {
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

// A window wait is only usable with its window: one whose "w" was missing or unusable is skipped.
void dropWindowWaitsWithoutWindow(std::vector<MacroEvent>& events)
{
    events.erase(std::remove_if(events.begin(), events.end(),
                                [](const MacroEvent& event) {
                                    return event.kind == EventKind::WaitWindow && event.window.index == kNoWindow;
                                }),
                 events.end());
}

class ScriptTextReader {
public:
    ScriptTextReader(const std::string& text, const LoadProgress& progress)
        : cursor_(text.data(), text.data() + text.size()), begin_(text.data()), end_(text.data() + text.size()),
          progress_(progress)
    {}

    // First pass: the whole text, checked as parseJson checks it; finds the event array and
    // counts the events it makes. Throws JsonSyntaxError.
    void check()
    {
        startPass(begin_, end_, 0);
        readRoot();
        cursor_.expectEnd();
    }

    bool hasEventArray() const { return arrayBegin_ != nullptr; }
    // The window table of a checked text, and which of its entries are usable.
    std::vector<WindowIdentity>& windows() { return windows_; }
    const std::vector<bool>& usableWindows() const { return usableWindows_; }
    size_t eventCount() const { return eventCount_; }

    // Second pass, over the event array of a checked text only: appends its events.
    void convert(std::vector<MacroEvent>& events)
    {
        events_ = &events;
        startPass(arrayBegin_, arrayEnd_, textSize());
        cursor_.moveTo(arrayBegin_);
        readEventArray(arrayDepth_);
        events_ = nullptr;
    }

    uint64_t textSize() const { return static_cast<uint64_t>(end_ - begin_); }

private:
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
        const uint64_t passDone = static_cast<uint64_t>(cursor_.position() - passFrom_);
        const uint64_t work = workBefore_ + (passSpan_ == 0 ? 0 : passDone * textSize() / passSpan_);
        progress_.report(progress_.context, work, 2 * textSize());
        nextReport_ = reinterpret_cast<uintptr_t>(cursor_.position()) + step_;
    }

    // Every element of every array and object passes here: the place to tell the progress.
    bool nextArrayElement()
    {
        noteProgress();
        return cursor_.nextArrayElement();
    }

    bool nextObjectMember()
    {
        noteProgress();
        return cursor_.nextObjectMember();
    }

    void noteProgress()
    {
        if (reinterpret_cast<uintptr_t>(cursor_.position()) >= nextReport_) {
            reportProgress();
        }
    }

    void readRoot()
    {
        switch (const JsonKind kind = cursor_.peekValue()) {
        case JsonKind::Array: readEventArray(1); return;
        case JsonKind::Object: readRootObject(1); return;
        default: skipValue(0, kind); return;
        }
    }

    // The value of the first "events" member decides; later ones are only checked.
    void readRootObject(unsigned depth)
    {
        if (!cursor_.enterObject(depth)) {
            return;
        }
        bool eventsSeen = false;
        bool windowsSeen = false;
        do {
            ShortBytes name;
            cursor_.readMemberName(name);
            if (!eventsSeen && name.equals("events")) {
                eventsSeen = true;
                if (cursor_.peekValue() == JsonKind::Array) {
                    readEventArray(depth + 1);
                    continue;
                }
            }
            if (!windowsSeen && name.equals("windows")) {
                windowsSeen = true;
                if (cursor_.peekValue() == JsonKind::Array) {
                    readWindowArray(depth + 1);
                    continue;
                }
            }
            skipValue(depth);
        } while (nextObjectMember());
    }

    void readEventArray(unsigned depth)
    {
        arrayBegin_ = cursor_.position();
        arrayDepth_ = depth;
        if (cursor_.enterArray(depth)) {
            do {
                const JsonKind kind = cursor_.peekValue();
                if (kind == JsonKind::Object) {
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
                    skipValue(depth, kind);
                }
            } while (nextArrayElement());
        }
        arrayEnd_ = cursor_.position();
    }

    // The window table: one entry per element, usable when it is an object whose first "exe",
    // "class" and "title" are strings.
    void readWindowArray(unsigned depth)
    {
        if (!cursor_.enterArray(depth)) {
            return;
        }
        do {
            windows_.emplace_back();
            const JsonKind kind = cursor_.peekValue();
            if (kind == JsonKind::Object) {
                usableWindows_.push_back(readWindowObject(depth + 1, windows_.back()));
            } else {
                usableWindows_.push_back(false);
                skipValue(depth, kind);
            }
        } while (nextArrayElement());
    }

    bool readWindowObject(unsigned depth, WindowIdentity& identity)
    {
        if (!cursor_.enterObject(depth)) {
            return false;
        }
        unsigned seen = 0;
        unsigned strings = 0;
        do {
            ShortBytes name;
            cursor_.readMemberName(name);
            std::string* value = nullptr;
            unsigned bit = 0;
            if (name.equals("exe")) {
                value = &identity.exe;
                bit = 1;
            } else if (name.equals("class")) {
                value = &identity.windowClass;
                bit = 2;
            } else if (name.equals("title")) {
                value = &identity.title;
                bit = 4;
            }
            if (value == nullptr || (seen & bit) != 0) {
                skipValue(depth);
                continue;
            }
            seen |= bit;
            if (cursor_.peekValue() != JsonKind::String) {
                skipValue(depth);
                continue;
            }
            AllJsonBytes bytes{*value};
            cursor_.readString(bytes);
            strings |= bit;
        } while (nextObjectMember());
        return strings == 7;
    }

    // A key or text read for an element that made no event keeps no buffer of its size.
    void resetEvent()
    {
        event_.kind = EventKind::Move;
        event_.delay = 0.0;
        event_.x = event_.y = event_.dx = event_.dy = 0;
        event_.button = MouseButton::Left;
        event_.pressed = false;
        event_.keyOrText.clear();
        if (event_.keyOrText.capacity() > 64) {
            event_.keyOrText.shrink_to_fit();
        }
        text_.clear();
        if (text_.capacity() > 64) {
            text_.shrink_to_fit();
        }
        event_.window = EventWindow{};
        event_.wait.reset();
    }

    // True when the object makes an event: its first "t" is a string that names a kind. While
    // converting, the members go to event_ as they come, each from its first occurrence; "s"
    // waits in text_ until the kind is known, and a text step takes it for its text.
    bool readEventObject(unsigned depth)
    {
        if (!cursor_.enterObject(depth)) {
            return false;
        }
        unsigned seen = 0;
        bool known = false;
        windowMembers_ = WindowMembers{};
        resetWaitMembers();
        do {
            ShortBytes name;
            cursor_.readMemberName(name);
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
        } while (nextObjectMember());
        if (known && events_ != nullptr && event_.kind == EventKind::Text) {
            event_.keyOrText.swap(text_);
            makeValidText(event_.keyOrText);
        }
        if (known && events_ != nullptr && (seen & kWindowFieldBits) != 0) {
            event_.window = eventWindowFromMembers(windowMembers_, event_.kind, event_.pressed);
        }
        if (known && events_ != nullptr && isScreenWait(event_.kind)) {
            // A wait without what it waits for is skipped, as an element of no known kind is.
            event_.wait = screenWaitFromMembers(event_.kind, waitMembers_);
            known = event_.wait != nullptr;
        }
        return known;
    }

    void resetWaitMembers()
    {
        std::string png = std::move(waitMembers_.png);
        png.clear();
        if (png.capacity() > 64) {
            png.shrink_to_fit();
        }
        waitMembers_ = WaitMembers{};
        waitMembers_.png = std::move(png);
    }

    // The short string members of a wait step ("until", "else", "rgb", "click"): longer ones are
    // no usable value and stay empty.
    std::string* waitText(Field field)
    {
        switch (field) {
        case Field::Until: return &waitMembers_.until;
        case Field::Else: return &waitMembers_.onTimeout;
        case Field::Rgb: return &waitMembers_.rgb;
        case Field::Click: return &waitMembers_.click;
        default: return nullptr;
        }
    }

    bool readWaitNumber(Field field, double value)
    {
        const auto set = [value](bool& present, double& member) {
            present = true;
            member = value;
            return true;
        };
        switch (field) {
        case Field::To: return set(waitMembers_.hasTimeout, waitMembers_.timeoutSeconds);
        case Field::Tol: return set(waitMembers_.hasTolerance, waitMembers_.tolerance);
        case Field::Cx: return set(waitMembers_.hasAreaWidth, waitMembers_.areaWidth);
        case Field::Cy: return set(waitMembers_.hasAreaHeight, waitMembers_.areaHeight);
        case Field::Px: return set(waitMembers_.hasClickX, waitMembers_.clickX);
        case Field::Py: return set(waitMembers_.hasClickY, waitMembers_.clickY);
        default: return false;
        }
    }

    static constexpr unsigned kWindowFieldBits =
        1u << static_cast<unsigned>(Field::W) | 1u << static_cast<unsigned>(Field::Wx) |
        1u << static_cast<unsigned>(Field::Wy) | 1u << static_cast<unsigned>(Field::Wdpi);

    WindowMember* windowMember(Field field)
    {
        switch (field) {
        case Field::W: return &windowMembers_.w;
        case Field::Wx: return &windowMembers_.wx;
        case Field::Wy: return &windowMembers_.wy;
        case Field::Wdpi: return &windowMembers_.wdpi;
        default: return nullptr;
        }
    }

    bool readKind(unsigned depth)
    {
        const JsonKind kind = cursor_.peekValue();
        if (kind != JsonKind::String) {
            skipValue(depth, kind);
            return false;
        }
        ShortBytes token;
        cursor_.readString(token);
        return kindOf(token, event_.kind);
    }

    void readEventField(Field field, unsigned depth)
    {
        WindowMember* member = windowMember(field);
        if (member != nullptr) {
            member->present = true;
        }
        switch (const JsonKind kind = cursor_.peekValue()) {
        case JsonKind::String:
            if (field == Field::K) {
                AllJsonBytes key{event_.keyOrText};
                cursor_.readString(key);
            } else if (field == Field::S) {
                AllJsonBytes text{text_};
                cursor_.readString(text);
            } else if (field == Field::B) {
                ShortBytes name;
                cursor_.readString(name);
                event_.button = buttonOf(name);
            } else if (field == Field::Png) {
                AllJsonBytes png{waitMembers_.png};
                cursor_.readString(png);
            } else if (std::string* text = waitText(field)) {
                ShortBytes value;
                cursor_.readString(value);
                if (value.length <= ShortBytes::kKept) {
                    text->assign(value.bytes, value.length);
                }
            } else {
                DiscardedJsonBytes ignored;
                cursor_.readString(ignored);
            }
            return;
        case JsonKind::Bool: {
            const bool value = cursor_.readBool();
            if (field == Field::P) {
                event_.pressed = value;
            } else if (field == Field::Not) {
                waitMembers_.absent = value;
            }
            return;
        }
        case JsonKind::Array:
        case JsonKind::Object:
        case JsonKind::Null: skipValue(depth, kind); return;
        case JsonKind::Number: break;
        }
        const std::string_view run = cursor_.readNumberRun();
        const double value = numberRunValue(run.data(), run.data() + run.size());
        if (member != nullptr) {
            member->number = true;
            member->value = value;
            return;
        }
        if (readWaitNumber(field, value)) {
            return;
        }
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

    void skipValue(unsigned depth) { skipValue(depth, cursor_.peekValue()); }

    // The value at the cursor, whose kind peekValue told.
    void skipValue(unsigned depth, JsonKind kind)
    {
        switch (kind) {
        case JsonKind::String: {
            DiscardedJsonBytes ignored;
            cursor_.readString(ignored);
            return;
        }
        case JsonKind::Array: skipArray(depth + 1); return;
        case JsonKind::Object: skipObject(depth + 1); return;
        case JsonKind::Bool: cursor_.readBool(); return;
        case JsonKind::Null: cursor_.readNull(); return;
        case JsonKind::Number: cursor_.readNumberRun(); return;
        }
    }

    void skipArray(unsigned depth)
    {
        if (!cursor_.enterArray(depth)) {
            return;
        }
        do {
            skipValue(depth);
        } while (nextArrayElement());
    }

    void skipObject(unsigned depth)
    {
        if (!cursor_.enterObject(depth)) {
            return;
        }
        do {
            DiscardedJsonBytes name;
            cursor_.readMemberName(name);
            skipValue(depth);
        } while (nextObjectMember());
    }

    JsonCursor cursor_;
    const char* begin_;
    const char* end_;

    const char* arrayBegin_ = nullptr;
    const char* arrayEnd_ = nullptr;
    unsigned arrayDepth_ = 0;
    size_t eventCount_ = 0;
    std::vector<MacroEvent>* events_ = nullptr;  // set while converting
    MacroEvent event_;
    WindowMembers windowMembers_;
    WaitMembers waitMembers_;
    std::vector<WindowIdentity> windows_;
    std::vector<bool> usableWindows_;
    std::string text_;  // the "s" of the element being converted

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
    std::vector<WindowIdentity> windows;
    if (!parseScriptText(text, events, windows, error, progress)) {
        return false;
    }
    for (MacroEvent& event : events) {
        event.window = EventWindow{};
    }
    dropWindowWaitsWithoutWindow(events);
    return true;
}

bool parseScriptText(const std::string& text, std::vector<MacroEvent>& events, std::vector<WindowIdentity>& windows,
                     std::wstring& error, const LoadProgress& progress)
{
    try {
        ScriptTextReader reader(text, progress);
        reader.check();
        if (!reader.hasEventArray()) {
            error = utf8ToWide(kNotAScript);
            return false;
        }
        std::vector<MacroEvent> loaded;
        loaded.reserve(eventRoomFor(reader.eventCount()));
        reader.convert(loaded);
        dropUnknownWindows(loaded, reader.usableWindows());
        dropWindowWaitsWithoutWindow(loaded);
        events.swap(loaded);
        windows.swap(reader.windows());
        if (progress.report != nullptr) {
            progress.report(progress.context, 2 * reader.textSize(), 2 * reader.textSize());
        }
        return true;
    } catch (const JsonSyntaxError& failure) {
        error = utf8ToWide(failure.message());
        return false;
    } catch (const std::exception& failure) {
        error = utf8ToWide(failure.what());
        return false;
    }
}
