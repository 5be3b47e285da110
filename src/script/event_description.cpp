#include "script/event_description.h"

#include <cstdio>

#include "base/text_encoding.h"
#include "script/screen_wait.h"
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

const wchar_t* conditionWord(WindowCondition until)
{
    switch (until) {
    case WindowCondition::Front: return L"在前";
    case WindowCondition::Gone: return L"消失";
    default: return L"出现";
    }
}

const wchar_t* clickWord(FoundClick click)
{
    switch (click) {
    case FoundClick::Left: return L" 后 单击";
    case FoundClick::Right: return L" 后 右击";
    case FoundClick::Double: return L" 后 双击";
    default: return L"";
    }
}

std::wstring point(int32_t x, int32_t y)
{
    return L"(" + decimal(x) + L", " + decimal(y) + L")";
}

// "等待 窗口 「记事本」 出现", "等待 颜色 #1E90FF @ (640, 400)", "等待 图像 48×32 于 (0, 0, 1280, 1024) 后 单击".
std::wstring describeWait(const MacroEvent& event, const std::vector<WindowIdentity>* windows)
{
    static const ScreenWait kDefaults;
    const ScreenWait& wait = event.wait != nullptr ? *event.wait : kDefaults;
    const size_t index = static_cast<size_t>(event.window.index);
    const bool named = windows != nullptr && event.window.index >= 0 && index < windows->size();
    switch (event.kind) {
    case EventKind::WaitWindow: {
        const std::wstring title = named ? utf8ToWide((*windows)[index].title) : std::wstring(L"?");
        return L"等待 窗口 「" + title + L"」 " + conditionWord(wait.until);
    }
    case EventKind::WaitColour:
        return std::wstring(L"等待 颜色 ") + (wait.absent ? L"不再是 " : L"") + utf8ToWide(colourText(wait.rgb)) +
               L" @ " + point(event.x, event.y);
    default: {
        std::wstring area = L"全屏";
        if (wait.areaWidth > 0) {
            area = L"(" + decimal(event.x) + L", " + decimal(event.y) + L", " + decimal(wait.areaWidth) + L", " +
                   decimal(wait.areaHeight) + L")";
        } else if (event.window.index != kNoWindow) {
            area = L"窗口";
        }
        return L"等待 图像 " + decimal(wait.pictureWidth) + L"×" + decimal(wait.pictureHeight) + L" 于 " + area +
               clickWord(wait.click);
    }
    }
}

}  // namespace

std::wstring describeEvent(const MacroEvent& event, const std::vector<WindowIdentity>* windows)
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
    case EventKind::WaitWindow:
    case EventKind::WaitColour:
    case EventKind::WaitPicture: text = describeWait(event, windows); break;
    default: text = L"?"; break;
    }
    limitLength(text);
    return text;
}

std::wstring formatEventRow(uint32_t index, const MacroEvent& event, const std::vector<WindowIdentity>* windows)
{
    char number[16];
    std::snprintf(number, sizeof number, "%04u", static_cast<unsigned>(index) + 1u);
    return L"  #" + fromAscii(number) + L"  " + describeEvent(event, windows);
}

std::wstring waitedForText(const MacroEvent& event, const std::vector<WindowIdentity>& windows)
{
    const std::wstring row = describeEvent(event, &windows);
    const std::wstring lead = L"等待 ";
    return row.compare(0, lead.size(), lead) == 0 ? row.substr(lead.size()) : row;
}
