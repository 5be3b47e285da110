#pragma once
// Facts the online update works from: own version, executable folder, update base URL from
// LorminRecorder.cfg or the built-in default, manifest and download URLs, version comparison.

#include <string>
#include <windows.h>

extern const wchar_t* const kDefaultUpdateBaseUrl;

bool GetOwnVersion(wchar_t* buffer, size_t capacity);
std::wstring GetModuleDir();
std::wstring ReadConfiguredUpdateUrl();
std::wstring SelectUpdateBaseUrl();
std::wstring ManifestUrlFor(const std::wstring& baseUrl);
std::wstring ResolveUrl(const std::wstring& manifestUrl, const std::wstring& reference);
int CompareVersions(const std::wstring& a, const std::wstring& b);
