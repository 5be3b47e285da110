#include "app/error_log.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <string>
#include <windows.h>

namespace {

// Written once by Init before other threads exist, then only read.
std::wstring logPath;

}  // namespace

namespace ErrorLog {

void Init()
{
    wchar_t base[260] = {};
    DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", base, 260);
    if (length == 0 || length >= 260) {
        return;  // missing, or too long to fit: logging stays off
    }
    std::wstring folder = std::wstring(base, length) + L"\\ScriptRecorder";
    CreateDirectoryW(folder.c_str(), nullptr);
    logPath = folder + L"\\error.log";
}

void Write(const wchar_t* format, ...)
{
    if (logPath.empty()) {
        return;
    }
    wchar_t message[1024];
    va_list arguments;
    va_start(arguments, format);
    _vsnwprintf_s(message, 1024, _TRUNCATE, format, arguments);
    va_end(arguments);

    SYSTEMTIME now;
    GetLocalTime(&now);
    FILE* file = _wfopen(logPath.c_str(), L"a, ccs=UTF-8");
    if (file == nullptr) {
        return;
    }
    fwprintf(file, L"[%04d-%02d-%02d %02d:%02d:%02d] %ls\n", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond, message);
    fclose(file);
}

}  // namespace ErrorLog
