#include "ui/ui_fonts.h"

#include "base/fonts.h"

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
    fonts.regular = makeFont(kTextFace, kTextPoints, FW_NORMAL, dpi);
    fonts.bold = makeFont(kTextFace, kTextPoints, FW_BOLD, dpi);
    fonts.mono = makeFont(L"Consolas", kTextPoints, FW_NORMAL, dpi);
    fonts.small = makeFont(kTextFace, 8, FW_NORMAL, dpi);
    return fonts;
}
