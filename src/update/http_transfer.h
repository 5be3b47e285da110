#pragma once
// Blocking HTTP(S) GET over WinHTTP: into memory (the version manifest) and into a file (a build).

#include <cstdint>
#include <string>
#include <windows.h>
#include <winhttp.h>

#include "base/win_owners.h"

// The handles of one open transfer. The request is declared last, so it is closed first.
struct HttpHandles {
    InternetHandle session;
    InternetHandle connection;
    InternetHandle request;
};

using ProgressCallback = void (*)(void* context, int64_t received, int64_t total);

bool HttpOpenGet(const std::wstring& url, std::wstring& error, DWORD& status, int64_t& contentLength,
                 HttpHandles& handles);
bool HttpGetToMemory(const std::wstring& url, std::string& body, std::wstring& error);
bool HttpGetToFile(const std::wstring& url, const std::wstring& path, ProgressCallback progress, void* context,
                   std::wstring& error);
// Closes the open handles of a transfer (request, connection, session) and clears them.
void HttpCloseHandles(HttpHandles& handles);
