#include "script/script_file_io.h"

#include <cstdio>

FILE* openScriptFile(const std::wstring& path, const wchar_t* mode)
{
    return _wfopen(path.c_str(), mode);
}
