#include "ui/step_fields.h"

bool parseWholeNumber(const std::wstring& text, int32_t& value)
{
    size_t begin = 0;
    size_t end = text.size();
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000; };
    while (begin < end && blank(text[begin])) {
        ++begin;
    }
    while (end > begin && blank(text[end - 1])) {
        --end;
    }
    const bool negative = begin < end && (text[begin] == L'-' || text[begin] == 0xFF0D);
    begin += negative ? 1 : 0;
    if (begin == end) {
        return false;
    }
    int64_t magnitude = 0;
    for (size_t i = begin; i < end; ++i) {
        wchar_t c = text[i];
        if (c >= 0xFF10 && c <= 0xFF19) {
            c = static_cast<wchar_t>(c - 0xFF10 + L'0');  // full-width digits of Chinese input
        }
        if (c < L'0' || c > L'9') {
            return false;
        }
        magnitude = magnitude * 10 + (c - L'0');
        if (magnitude > 2147483648LL) {
            return false;
        }
    }
    const int64_t signed_ = negative ? -magnitude : magnitude;
    if (signed_ > 2147483647LL) {
        return false;
    }
    value = static_cast<int32_t>(signed_);
    return true;
}
