#include "script/json_cursor.h"

#include <cstdio>

namespace {

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

}  // namespace

std::string JsonSyntaxError::message() const
{
    if (what == nullptr) {
        return "JSON 尾部存在多余字符";
    }
    char text[128];
    std::snprintf(text, sizeof text, "JSON 解析失败(%s) 位置 %u", what, static_cast<unsigned>(position));
    return text;
}

void JsonCursor::fail(const char* what) const
{
    throw JsonSyntaxError{what, offset()};
}

uint32_t JsonCursor::readHex4()
{
    if (end_ - cur_ < 4) {
        fail("\\u 长度不足");
    }
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        // The cursor steps over each digit before it is tested: a bad one fails just after itself.
        const int digit = hexDigit(*cur_++);
        if (digit < 0) {
            fail("非法十六进制");
        }
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

size_t JsonCursor::readUnicodeEscape(char* out)
{
    uint32_t c16 = readHex4();
    // Only a real pair is combined: a high half followed by an escape of a low half. Any other
    // unit is written on its own and the escape after it is read in its own turn, so that a
    // broken pair loses no character (a bad escape after it fails there, as it would alone).
    if (c16 >= 0xD800 && c16 <= 0xDBFF && end_ - cur_ >= 6 && cur_[0] == '\\' && cur_[1] == 'u') {
        uint32_t low = 0;
        bool digits = true;
        for (int i = 2; i < 6 && digits; ++i) {
            const int digit = hexDigit(cur_[i]);
            digits = digit >= 0;
            low = low * 16 + static_cast<uint32_t>(digit);
        }
        if (digits && low >= 0xDC00 && low <= 0xDFFF) {
            cur_ += 6;
            c16 = 0x10000 + ((c16 - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    return encodeUtf8(c16, out);
}
