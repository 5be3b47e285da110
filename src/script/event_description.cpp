#include "script/event_description.h"

#include <cstdio>

#include "base/text_encoding.h"

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
    case EventKind::KeyDown: text = L"按键 [" + utf8ToWide(event.key) + L"]"; break;
    case EventKind::KeyUp: text = L"释放 [" + utf8ToWide(event.key) + L"]"; break;
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
