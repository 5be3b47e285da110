#include "script/event_description.h"

#include <cstdio>

#include "base/text_encoding.h"
#include "script/text_step.h"

namespace {

constexpr size_t kMaxDescriptionUnits = 255;

std::wstring fromAscii(const char* text)
{
    std::wstring out;
    for (; *text != '\0'; ++text) {
        out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*text)));
    }
    return out;
}

std::wstring decimal(long long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld", value);
    return fromAscii(text);
}

// Cuts to at most maxDescriptionUnits UTF-16 units without splitting a surrogate pair.
void limitLength(std::wstring& text)
{
    if (text.size() <= kMaxDescriptionUnits) {
        return;
    }
    size_t cut = kMaxDescriptionUnits;
    const unsigned last = static_cast<unsigned>(text[cut - 1]) & 0xFFFF;
    if (last >= 0xD800 && last <= 0xDBFF) {
        --cut;
    }
    text.resize(cut);
}

void appendUnits(std::wstring& out, uint32_t codePoint)
{
    if (codePoint >= 0x10000) {
        out.push_back(static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(codePoint));
    }
}

// A text step's text on one line, each line break shown as a return sign; only as much of it
// as a row can show, however long the text.
std::wstring textOnOneLine(const std::string& text)
{
    std::wstring line;
    for (size_t at = 0; at < text.size() && line.size() <= kMaxDescriptionUnits;) {
        const TextPiece piece = nextTextPiece(text, at);
        appendUnits(line, piece.kind == TextPieceKind::LineBreak ? 0x23CE : piece.codePoint);
    }
    return line;
}

}  // namespace

std::wstring describeEvent(const MacroEvent& event)
{
    std::wstring text;
    switch (event.kind) {
    case EventKind::Move: text = L"移动 (" + decimal(event.x) + L"," + decimal(event.y) + L")"; break;
    case EventKind::Click:
        text = std::wstring(event.pressed ? L"按下" : L"释放") + L" [" + utf8ToWide(buttonName(event.button)) + L"]";
        break;
    case EventKind::Scroll: text = L"滚轮 (" + decimal(event.dx) + L"," + decimal(event.dy) + L")"; break;
    case EventKind::KeyDown: text = L"按键 [" + utf8ToWide(event.keyOrText) + L"]"; break;
    case EventKind::KeyUp: text = L"释放 [" + utf8ToWide(event.keyOrText) + L"]"; break;
    case EventKind::Text: text = L"文字 「" + textOnOneLine(event.keyOrText) + L"」"; break;
    default: text = L"?"; break;
    }
    limitLength(text);
    return text;
}

std::wstring formatEventRow(uint32_t index, const MacroEvent& event)
{
    char number[16];
    std::snprintf(number, sizeof number, "%04u", static_cast<unsigned>(index) + 1u);
    return L"  #" + fromAscii(number) + L"  " + describeEvent(event);
}
