#pragma once
// Opening a script file, provided per platform (saving goes through base/atomic_file).

#include <cstdio>
#include <string>

FILE* openScriptFile(const std::wstring& path, const wchar_t* mode);
