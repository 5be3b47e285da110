#include "ui/ui_fonts.h"

#include <cwchar>

#include "ui/window_layout.h"

namespace {

HFONT makeFont(const wchar_t* face, int points, LONG weight, int dpi)
{
    LOGFONTW font{};
    font.lfHeight = FontHeightForDpi(points, dpi);
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

}  // namespace

HFONT UiFonts::get(FontRole role) const
{
    switch (role) {
    case FontRole::Regular: return regular.get();
    case FontRole::Bold: return bold.get();
    case FontRole::Mono: return mono.get();
    case FontRole::Small: return small.get();
    case FontRole::None: break;
    }
    return nullptr;
}

UiFonts makeUiFonts(int dpi)
{
    UiFonts fonts;
    fonts.regular.reset(makeFont(L"Microsoft YaHei", 9, FW_NORMAL, dpi));
    fonts.bold.reset(makeFont(L"Microsoft YaHei", 9, FW_BOLD, dpi));
    fonts.mono.reset(makeFont(L"Consolas", 9, FW_NORMAL, dpi));
    fonts.small.reset(makeFont(L"Microsoft YaHei", 8, FW_NORMAL, dpi));
    return fonts;
}
