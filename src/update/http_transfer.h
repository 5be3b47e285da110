#pragma once
// Blocking HTTP(S) GET over WinHTTP: into memory (the version manifest) and into a file (a build).

#include <cstdint>
#include <string>
#include <windows.h>
#include <winhttp.h>

struct HttpHandles {
    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
};

using ProgressCallback = void (*)(void* context, int64_t received, int64_t total);

bool HttpOpenGet(const std::wstring& url, std::wstring& error, DWORD& status, int64_t& contentLength,
                 HttpHandles& handles);
bool HttpGetToMemory(const std::wstring& url, std::string& body, std::wstring& error);
bool HttpGetToFile(const std::wstring& url, const std::wstring& path, ProgressCallback progress, void* context,
                   std::wstring& error);
// Closes the open handles of a transfer (request, connection, session) and clears them.
void HttpCloseHandles(HttpHandles& handles);
