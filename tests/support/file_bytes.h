#pragma once
// Whole-file reads for tests, sharing the file with any writer that still has it open.

#include <string>

// The file's bytes; empty when it cannot be opened.
std::string readFileBytes(const std::wstring& path);
bool fileExists(const std::wstring& path);
