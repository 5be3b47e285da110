#pragma once
// Temporary folders and whole-file reads for the update tests.

#include <string>
#include <windows.h>

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

// Wine maps a Windows path to the host path that a host program (python3, openssl) can use;
// empty when not under wine.
std::string hostPath(const std::wstring& path);
// Starts a host program. Under wine the handle of a host process does not follow the program's
// life, so files that the program writes tell when it has done its work.
bool startHostProgram(const std::wstring& program, const std::wstring& commandLine);
// Polls until the file exists (present) or is gone (!present); false on time-out.
bool waitFor(const std::wstring& path, bool present, DWORD timeoutMs);
