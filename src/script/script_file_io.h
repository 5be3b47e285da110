#pragma once
// The few file operations that saving and loading a script need, provided per platform.

#include <cstdio>
#include <string>

FILE* openScriptFile(const std::wstring& path, const wchar_t* mode);
// Replaces target by source in one step; false leaves target as it was.
bool replaceScriptFile(const std::wstring& source, const std::wstring& target);
void removeScriptFile(const std::wstring& path);
