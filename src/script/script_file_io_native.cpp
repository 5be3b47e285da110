#include "script/script_file_io.h"

#include <cstdio>

#include "base/text_encoding.h"

FILE* openScriptFile(const std::wstring& path, const wchar_t* mode)
{
    return std::fopen(wideToUtf8(path).c_str(), wideToUtf8(mode).c_str());
}
