#include "ui/wait_step_fields.h"

#include "base/text_encoding.h"
#include "script/screen_wait.h"
#include "script/script_edits.h"

namespace {

std::wstring trimmed(const std::wstring& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && (text[first] == L' ' || text[first] == L'\t')) {
        ++first;
    }
    while (last > first && (text[last - 1] == L' ' || text[last - 1] == L'\t')) {
        --last;
    }
    return text.substr(first, last - first);
}

}  // namespace

bool parseWholeNumber(const std::wstring& text, int32_t low, int32_t high, int32_t& value)
{
    const std::wstring digits = trimmed(text);
    const bool negative = !digits.empty() && digits[0] == L'-';
    if (digits.size() == (negative ? 1u : 0u) || digits.size() > 12) {
        return false;
    }
    int64_t number = 0;
    for (size_t i = negative ? 1 : 0; i < digits.size(); ++i) {
        if (digits[i] < L'0' || digits[i] > L'9') {
            return false;
        }
        number = number * 10 + (digits[i] - L'0');
    }
    number = negative ? -number : number;
    if (number < low || number > high) {
        return false;
    }
    value = static_cast<int32_t>(number);
    return true;
}

bool parseWaitSeconds(const std::wstring& text, double& seconds)
{
    double value = 0.0;
    if (!parseDelaySeconds(trimmed(text), value) || value < kMinWaitSeconds || value > kMaxWaitSeconds) {
        return false;
    }
    seconds = value;
    return true;
}

bool parseColourText(const std::wstring& text, uint32_t& rgb)
{
    std::wstring colour = trimmed(text);
    if (!colour.empty() && colour[0] != L'#') {
        colour.insert(colour.begin(), L'#');
    }
    return colourFromText(wideToUtf8(colour), rgb);
}

uint32_t rgbOfColorref(uint32_t colorref)
{
    return (colorref & 0xFF) << 16 | (colorref & 0xFF00) | (colorref >> 16 & 0xFF);
}
