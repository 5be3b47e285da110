#include "script/utf8_text.h"

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

}  // namespace

std::wstring utf8ToWide(const std::string& bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const uint8_t lead = static_cast<uint8_t>(bytes[i]);
        if (lead < 0x80) {
            appendUnit(out, lead);
            ++i;
            continue;
        }
        size_t length = 0;
        uint32_t cp = 0;
        uint32_t minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2; cp = lead & 0x1F; minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3; cp = lead & 0x0F; minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4; cp = lead & 0x07; minimum = 0x10000;
        }
        size_t taken = 1;
        bool valid = length != 0;
        while (valid && taken < length) {
            if (i + taken >= n) { valid = false; break; }
            const uint8_t next = static_cast<uint8_t>(bytes[i + taken]);
            if ((next & 0xC0) != 0x80) { valid = false; break; }
            cp = (cp << 6) | (next & 0x3F);
            ++taken;
        }
        if (valid && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) {
            valid = false;
        }
        if (valid) {
            appendCodePoint(out, cp);
            i += length;
        } else {
            // One replacement character for the bytes of a broken sequence that were consumed.
            appendUnit(out, 0xFFFD);
            i += taken;
        }
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

void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}
