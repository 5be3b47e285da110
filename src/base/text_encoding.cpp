#include "base/text_encoding.h"

#include <cstdint>

namespace {

void appendUnit(std::wstring& out, uint32_t unit)
{
    out.push_back(static_cast<wchar_t>(unit));
}

void appendCodePoint(std::wstring& out, uint32_t cp)
{
    if (cp >= 0x10000) {
        cp -= 0x10000;
        appendUnit(out, 0xD800 + (cp >> 10));
        appendUnit(out, 0xDC00 + (cp & 0x3FF));
    } else {
        appendUnit(out, cp);
    }
}

// Decodes one sequence whose lead byte (0x80 or above) was just read; `next` points after it.
// Returns the code point, or invalidSequence with `next` moved past the bytes that form one
// replacement character. The rules are those of the system's CP_UTF8 decoder:
// - C0, C1 and F5 to FF never start a sequence, and a lone continuation byte is one error each;
// - a sequence that would run past the end of the input swallows the rest of it as one error;
// - otherwise the continuation bytes are checked one by one, and an error is noticed as soon as
//   the value can no longer be valid (overlong, surrogate, above U+10FFFF); the bytes read up to
//   that point form the replacement, the rest are looked at again on their own.
constexpr uint32_t kInvalidSequence = 0xFFFFFFFF;

uint32_t decodeSequence(uint8_t lead, const std::string& bytes, size_t& next)
{
    size_t following = 0;
    uint32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        following = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        following = 2;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        following = 3;
        value = lead & 0x07;
    } else {
        return kInvalidSequence;
    }
    if (following > bytes.size() - next) {
        next = bytes.size();
        return kInvalidSequence;
    }
    auto continuation = [&bytes](size_t at, uint32_t& bits) {
        bits = static_cast<uint8_t>(bytes[at]) ^ 0x80u;
        return bits < 0x40;
    };
    uint32_t bits = 0;
    if (following == 3) {
        if (!continuation(next, bits)) {
            return kInvalidSequence;
        }
        value = (value << 6) | bits;
        ++next;
        if (value < 0x10) {  // overlong: below U+10000
            return kInvalidSequence;
        }
    }
    if (following >= 2) {
        if (!continuation(next, bits)) {
            return kInvalidSequence;
        }
        value = (value << 6) | bits;
        if (value >= (0x110000 >> 6)) {  // above U+10FFFF; this byte is not part of the error
            return kInvalidSequence;
        }
        ++next;
        if (value < 0x20) {  // overlong: below U+0800
            return kInvalidSequence;
        }
        if (value >= (0xD800 >> 6) && value <= (0xDFFF >> 6)) {  // a surrogate
            return kInvalidSequence;
        }
    }
    if (!continuation(next, bits)) {
        return kInvalidSequence;
    }
    value = (value << 6) | bits;
    ++next;
    return value;
}

}  // namespace

uint32_t decodeUtf8(const std::string& bytes, size_t& next)
{
    const uint8_t lead = static_cast<uint8_t>(bytes[next++]);
    if (lead < 0x80) {
        return lead;
    }
    const uint32_t cp = decodeSequence(lead, bytes, next);
    return cp == kInvalidSequence ? 0xFFFD : cp;
}

std::wstring utf8ToWide(const std::string& bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    size_t next = 0;
    while (next < bytes.size()) {
        appendCodePoint(out, decodeUtf8(bytes, next));
    }
    return out;
}

std::string wideToUtf8(const std::wstring& units)
{
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t cp = static_cast<uint32_t>(units[i]) & 0xFFFF;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size()) {
            const uint32_t low = static_cast<uint32_t>(units[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        appendUtf8(out, cp);
    }
    return out;
}

size_t encodeUtf8(uint32_t cp, char* out)
{
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

void appendUtf8(std::string& out, uint32_t cp)
{
    char bytes[kMaxUtf8Bytes];
    out.append(bytes, encodeUtf8(cp, bytes));
}

std::u16string toU16(const std::wstring& units)
{
    std::u16string out;
    out.reserve(units.size());
    for (const wchar_t unit : units) {
        out.push_back(static_cast<char16_t>(unit));
    }
    return out;
}

std::wstring fromU16(const std::u16string& units)
{
    return std::wstring(units.begin(), units.end());
}
