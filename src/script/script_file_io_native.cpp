#include "script/script_file_io.h"

#include "base/text_encoding.h"

FILE* openScriptFile(const std::wstring& path, const wchar_t* mode)
{
    return std::fopen(wideToUtf8(path).c_str(), wideToUtf8(mode).c_str());
}

bool replaceScriptFile(const std::wstring& source, const std::wstring& target)
{
    return std::rename(wideToUtf8(source).c_str(), wideToUtf8(target).c_str()) == 0;
}

void removeScriptFile(const std::wstring& path)
{
    std::remove(wideToUtf8(path).c_str());
}
