#include "base/fonts.h"

#include <cwchar>

#include "base/dpi_scaling.h"

const wchar_t kTextFace[] = L"Microsoft YaHei";

FontHandle makeFont(const wchar_t* face, int points, LONG weight, int dpi)
{
    LOGFONTW font{};
    font.lfHeight = fontHeightForDpi(points, dpi);
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return FontHandle(CreateFontIndirectW(&font));
}
