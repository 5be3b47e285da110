#include "recovery/journal_records.h"

#include <cmath>
#include <cstring>

#include "base/text_encoding.h"

namespace {

std::array<uint32_t, 256> makeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

void putU32(std::string& out, uint32_t value)
{
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 24)};
    out.append(bytes, 4);
}

void putI32(std::string& out, int32_t value)
{
    putU32(out, static_cast<uint32_t>(value));
}

void putString(std::string& out, const std::string& text)
{
    putU32(out, static_cast<uint32_t>(text.size()));
    out += text;
}

void putWindows(std::string& out, const WindowIdentity* windows, size_t count)
{
    putU32(out, static_cast<uint32_t>(count));
    for (size_t i = 0; i < count; ++i) {
        putString(out, windows[i].exe);
        putString(out, windows[i].windowClass);
        putString(out, windows[i].title);
    }
}

// The smallest event: kind, delay, six numbers, button, pressed, an empty text, four window numbers.
constexpr size_t kMinEventBytes = 1 + 8 + 4 * 4 + 2 + 4 + 4 * 4;

// Reads a body's fields in order; any read past the end, or a value out of its range, fails the
// body and every later read.
class BodyReader {
public:
    BodyReader(const char* bytes, size_t size) : bytes_(bytes), size_(size) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return ok_ && next_ == size_; }
    size_t remaining() const { return size_ - next_; }

    uint32_t u32()
    {
        if (!take(4)) {
            return 0;
        }
        const auto* b = reinterpret_cast<const unsigned char*>(bytes_ + next_ - 4);
        return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
               static_cast<uint32_t>(b[3]) << 24;
    }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    uint8_t u8() { return take(1) ? static_cast<uint8_t>(bytes_[next_ - 1]) : 0; }
    double f64()
    {
        const uint64_t low = u32();
        const uint64_t bits = low | static_cast<uint64_t>(u32()) << 32;
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string text()
    {
        const uint32_t length = u32();
        if (!take(length)) {
            return {};
        }
        return std::string(bytes_ + next_ - length, length);
    }
    // A count of items of at least itemBytes each: more than the bytes left can hold fails.
    size_t count(size_t itemBytes)
    {
        const uint32_t value = u32();
        return check(ok_ && static_cast<uint64_t>(value) * itemBytes <= remaining()) ? value : 0;
    }
    bool check(bool condition)
    {
        ok_ = ok_ && condition;
        return ok_;
    }

private:
    bool take(size_t bytes)
    {
        if (!check(bytes <= size_ - next_)) {
            return false;
        }
        next_ += bytes;
        return true;
    }

    const char* bytes_;
    size_t size_;
    size_t next_ = 0;
    bool ok_ = true;
};

bool isValidUtf8(const std::string& text)
{
    return wideToUtf8(utf8ToWide(text)) == text;
}

void readWindows(BodyReader& reader, std::vector<WindowIdentity>& windows)
{
    const size_t count = reader.count(12);
    for (size_t i = 0; i < count && reader.ok(); ++i) {
        WindowIdentity identity;
        identity.exe = reader.text();
        identity.windowClass = reader.text();
        identity.title = reader.text();
        windows.push_back(std::move(identity));
    }
}

// One event; its window index must point into a table of windowCount entries.
MacroEvent readEvent(BodyReader& reader, size_t windowCount)
{
    MacroEvent event;
    const uint8_t kind = reader.u8();
    event.delay = reader.f64();
    event.x = reader.i32();
    event.y = reader.i32();
    event.dx = reader.i32();
    event.dy = reader.i32();
    const uint8_t button = reader.u8();
    const uint8_t pressed = reader.u8();
    event.keyOrText = reader.text();
    event.window.index = reader.i32();
    event.window.x = reader.i32();
    event.window.y = reader.i32();
    event.window.dpi = reader.i32();
    event.kind = static_cast<EventKind>(kind);
    event.button = static_cast<MouseButton>(button);
    event.pressed = pressed == 1;
    reader.check(kind <= static_cast<uint8_t>(EventKind::Text) && button <= static_cast<uint8_t>(MouseButton::Middle) &&
                 pressed <= 1 && std::isfinite(event.delay) && event.delay >= 0.0 && event.delay <= kMaxDelaySeconds &&
                 (event.window.index == kNoWindow ||
                  (event.window.index >= 0 && static_cast<size_t>(event.window.index) < windowCount)) &&
                 (event.kind != EventKind::Text || isValidUtf8(event.keyOrText)));
    return event;
}

void readEvents(BodyReader& reader, std::vector<MacroEvent>& events, size_t windowCount)
{
    const size_t count = reader.count(kMinEventBytes);
    // A recovered document is edited like a loaded one: with room for pastes.
    events.reserve(eventRoomFor(events.size() + count));
    for (size_t i = 0; i < count && reader.ok(); ++i) {
        events.push_back(readEvent(reader, windowCount));
    }
}

// Applies one record's body to the reading; false when the body cannot be used (nothing changed).
bool applyBody(const char* body, size_t size, JournalReading& reading)
{
    BodyReader reader(body, size);
    const uint8_t kind = reader.u8();
    if (kind == static_cast<uint8_t>(JournalRecord::Snapshot)) {
        std::string sourceFile = reader.text();
        ScriptContents contents;
        readWindows(reader, contents.windows);
        readEvents(reader, contents.events, contents.windows.size());
        if (!reader.atEnd()) {
            return false;
        }
        reading.contents = std::move(contents);
        reading.sourceFile = std::move(sourceFile);
        return true;
    }
    if (kind == static_cast<uint8_t>(JournalRecord::Events)) {
        const uint32_t windowsBefore = reader.u32();
        if (!reader.check(windowsBefore == reading.contents.windows.size())) {
            return false;
        }
        std::vector<WindowIdentity> windows;
        readWindows(reader, windows);
        std::vector<MacroEvent> events;
        readEvents(reader, events, windowsBefore + windows.size());
        if (!reader.atEnd()) {
            return false;
        }
        auto& contents = reading.contents;
        contents.windows.insert(contents.windows.end(), windows.begin(), windows.end());
        contents.events.insert(contents.events.end(), std::make_move_iterator(events.begin()),
                               std::make_move_iterator(events.end()));
        return true;
    }
    return false;
}

uint32_t readU32(const char* bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
           static_cast<uint32_t>(b[3]) << 24;
}

}  // namespace

uint32_t crc32Of(const char* bytes, size_t size, uint32_t crc)
{
    static const std::array<uint32_t, 256> table = makeCrcTable();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc = table[(crc ^ static_cast<unsigned char>(bytes[i])) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

std::array<char, kRecordHeaderBytes> recordHeader(const std::string& body)
{
    std::string header;
    putU32(header, static_cast<uint32_t>(body.size()));
    putU32(header, crc32Of(body.data(), body.size()));
    std::array<char, kRecordHeaderBytes> result{};
    std::memcpy(result.data(), header.data(), kRecordHeaderBytes);
    return result;
}

std::string journalStart(const std::string& snapshotBody)
{
    std::string bytes(kJournalHead.begin(), kJournalHead.end());
    const auto header = recordHeader(snapshotBody);
    bytes.append(header.data(), header.size());
    bytes += snapshotBody;
    return bytes;
}

void beginSnapshotBody(std::string& body, const std::string& sourceFile, const std::vector<WindowIdentity>& windows,
                       size_t eventCount)
{
    body += static_cast<char>(JournalRecord::Snapshot);
    putString(body, sourceFile);
    putWindows(body, windows.data(), windows.size());
    putU32(body, static_cast<uint32_t>(eventCount));
}

void appendEventBytes(std::string& body, const MacroEvent& event)
{
    uint64_t delayBits = 0;
    std::memcpy(&delayBits, &event.delay, sizeof delayBits);
    body += static_cast<char>(event.kind);
    putU32(body, static_cast<uint32_t>(delayBits));
    putU32(body, static_cast<uint32_t>(delayBits >> 32));
    putI32(body, event.x);
    putI32(body, event.y);
    putI32(body, event.dx);
    putI32(body, event.dy);
    body += static_cast<char>(event.button);
    body += static_cast<char>(event.pressed ? 1 : 0);
    putString(body, event.keyOrText);
    putI32(body, event.window.index);
    putI32(body, event.window.x);
    putI32(body, event.window.y);
    putI32(body, event.window.dpi);
}

std::string snapshotBody(const std::string& sourceFile, const ScriptContents& contents)
{
    std::string body;
    beginSnapshotBody(body, sourceFile, contents.windows, contents.events.size());
    for (const MacroEvent& event : contents.events) {
        appendEventBytes(body, event);
    }
    return body;
}

std::string eventsBody(size_t windowsBefore, const std::vector<WindowIdentity>& newWindows,
                       const std::vector<MacroEvent>& events)
{
    std::string body;
    body += static_cast<char>(JournalRecord::Events);
    putU32(body, static_cast<uint32_t>(windowsBefore));
    putWindows(body, newWindows.data(), newWindows.size());
    putU32(body, static_cast<uint32_t>(events.size()));
    for (const MacroEvent& event : events) {
        appendEventBytes(body, event);
    }
    return body;
}

JournalReading readJournal(const std::string& bytes)
{
    JournalReading reading;
    if (bytes.size() < kJournalHead.size() || !std::equal(kJournalHead.begin(), kJournalHead.end(), bytes.begin())) {
        return reading;
    }
    size_t next = kJournalHead.size();
    reading.goodBytes = next;
    while (true) {
        if (next == bytes.size()) {
            reading.end = JournalEnd::Clean;
            return reading;
        }
        if (bytes.size() - next < kRecordHeaderBytes) {
            reading.end = JournalEnd::Torn;
            return reading;
        }
        const uint32_t length = readU32(bytes.data() + next);
        const uint32_t check = readU32(bytes.data() + next + 4);
        if (length > kMaxRecordBody) {
            reading.end = JournalEnd::BadRecord;
            return reading;
        }
        const size_t bodyStart = next + kRecordHeaderBytes;
        if (bytes.size() - bodyStart < length) {
            reading.end = JournalEnd::Torn;
            return reading;
        }
        if (crc32Of(bytes.data() + bodyStart, length) != check) {
            reading.end = JournalEnd::BadCheck;
            return reading;
        }
        if (!applyBody(bytes.data() + bodyStart, length, reading)) {
            reading.end = JournalEnd::BadRecord;
            return reading;
        }
        next = bodyStart + length;
        ++reading.records;
        reading.goodBytes = next;
    }
}
