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

void deleteFont(HFONT& font)
{
    if (font != nullptr) {
        DeleteObject(font);
        font = nullptr;
    }
}

}  // namespace

UiFonts::~UiFonts()
{
    DeleteUiFonts(*this);
}

void CreateUiFonts(UiFonts& fonts, int dpi)
{
    DeleteUiFonts(fonts);
    fonts.regular = makeFont(L"Microsoft YaHei", 9, FW_NORMAL, dpi);
    fonts.bold = makeFont(L"Microsoft YaHei", 9, FW_BOLD, dpi);
    fonts.mono = makeFont(L"Consolas", 9, FW_NORMAL, dpi);
    fonts.small = makeFont(L"Microsoft YaHei", 8, FW_NORMAL, dpi);
}

void DeleteUiFonts(UiFonts& fonts)
{
    deleteFont(fonts.regular);
    deleteFont(fonts.bold);
    deleteFont(fonts.mono);
    deleteFont(fonts.small);
}
