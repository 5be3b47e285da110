#pragma once
// The few file operations that saving and loading a script need, provided per platform.

#include <cstdio>
#include <string>

FILE* openScriptFile(const std::wstring& path, const wchar_t* mode);
// Creates a file that did not exist for writing bytes (exclusive creation: an existing file or
// folder of that name is never opened, let alone truncated). Null on failure, with alreadyExists
// telling a name that is taken from any other failure.
FILE* createNewScriptFile(const std::wstring& path, bool& alreadyExists);
// Replaces target by source in one step; false leaves target as it was.
bool replaceScriptFile(const std::wstring& source, const std::wstring& target);
void removeScriptFile(const std::wstring& path);
