#pragma once
// Temporary folders and whole-file reads for the update tests.

#include <string>

#include "support/file_bytes.h"  // fileExists

// A fresh, empty folder under the temporary directory; removed with everything in it by the destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

bool readWholeFile(const std::wstring& path, std::string& content);
bool writeWholeFile(const std::wstring& path, const std::string& content);
// Deterministic bytes of every value, so that a shifted or repeated chunk shows up as a mismatch.
std::string patternBytes(size_t size);
// UTF-8 for test messages (gtest prints narrow text).
std::string narrow(const std::wstring& text);
