#include "script/script_file_io.h"

#include <windows.h>

FILE* openScriptFile(const std::wstring& path, const wchar_t* mode)
{
    return _wfopen(path.c_str(), mode);
}

bool replaceScriptFile(const std::wstring& source, const std::wstring& target)
{
    return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void removeScriptFile(const std::wstring& path)
{
    DeleteFileW(path.c_str());
}
