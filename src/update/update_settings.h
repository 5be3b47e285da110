#pragma once
// Facts the online update works from: own version, executable folder, update base URL from
// LorminRecorder.cfg or the built-in default, manifest and download URLs, version comparison.

#include <string>
#include <windows.h>

extern const wchar_t* const kDefaultUpdateBaseUrl;

bool getOwnVersion(wchar_t* buffer, size_t capacity);
std::wstring getModuleDir();
std::wstring readConfiguredUpdateUrl();
std::wstring selectUpdateBaseUrl();
std::wstring manifestUrlFor(const std::wstring& baseUrl);
std::wstring resolveUrl(const std::wstring& manifestUrl, const std::wstring& reference);
int compareVersions(const std::wstring& a, const std::wstring& b);
