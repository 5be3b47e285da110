#include "ui/text_step_fields.h"

#include <cstdio>

#include "base/text_encoding.h"
#include "script/text_step.h"

namespace {

std::wstring decimal(size_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%zu", value);
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

}  // namespace

std::wstring boxTextOfStep(const std::string& text)
{
    std::wstring box;
    box.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const size_t start = at;
        const TextPiece piece = nextTextPiece(text, at);
        if (piece.kind == TextPieceKind::LineBreak) {
            box += L"\r\n";
        } else {
            box += utf8ToWide(text.substr(start, at - start));
        }
    }
    return box;
}

std::string stepTextOfBox(const std::wstring& box)
{
    std::wstring lines;
    lines.reserve(box.size());
    for (size_t i = 0; i < box.size(); ++i) {
        if (box[i] == L'\r') {
            lines.push_back(L'\n');
            if (i + 1 < box.size() && box[i + 1] == L'\n') {
                ++i;
            }
        } else {
            lines.push_back(box[i]);
        }
    }
    return wideToUtf8(lines);
}

std::wstring textStepRefusal(const std::wstring& box)
{
    if (box.empty()) {
        return L"请输入要输入的文字。";
    }
    if (box.size() > kMaxEditedTextUnits) {
        return L"文字最多 " + decimal(kMaxEditedTextUnits) + L" 个字符，现在有 " + decimal(box.size()) + L" 个。";
    }
    size_t place = 0;  // characters counted as the box counts them: line breaks as one
    for (size_t i = 0; i < box.size(); ++i) {
        const uint32_t unit = static_cast<uint32_t>(box[i]) & 0xFFFF;
        if (unit == L'\r' && i + 1 < box.size() && box[i + 1] == L'\n') {
            ++i;
        } else if (unit != L'\r' && unit != L'\n' && unit != L'\t' && isControlCharacter(unit)) {
            return L"第 " + decimal(place + 1) +
                   L" 个字符是控制字符，无法输入。文字中只能有换行和制表符这两种控制字符。";
        }
        const bool secondHalf =
            unit >= 0xDC00 && unit <= 0xDFFF && i > 0 && (static_cast<uint32_t>(box[i - 1]) & 0xFC00) == 0xD800;
        if (!secondHalf) {
            ++place;
        }
    }
    return std::wstring();
}
