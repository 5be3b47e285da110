#include "test_files.h"

#include <cstdio>
#include <vector>

#include <windows.h>
#include "base/text_encoding.h"
#include "support/file_bytes.h"

TempFolder::TempFolder()
{
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, base);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::wstring(base) + L"lr_update_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(++counter);
        if (CreateDirectoryW(path_.c_str(), nullptr)) {
            return;
        }
    }
}

TempFolder::~TempFolder()
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") {
                DeleteFileW((path_ + L"\\" + name).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path_.c_str());
}

bool readWholeFile(const std::wstring& path, std::string& content)
{
    content.clear();
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        return false;
    }
    char chunk[65536];
    size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        content.append(chunk, count);
    }
    std::fclose(file);
    return true;
}

bool writeWholeFile(const std::wstring& path, const std::string& content)
{
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    return std::fclose(file) == 0 && written;
}

std::string patternBytes(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) % 256);
    }
    return bytes;
}

std::string narrow(const std::wstring& text)
{
    return wideToUtf8(text);
}

std::string hostPath(const std::wstring& path)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    void* const found =
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    const auto toUnix = reinterpret_cast<ToUnix>(found);
    if (toUnix == nullptr) {
        return std::string();
    }
    char* unixPath = toUnix(path.c_str());
    if (unixPath == nullptr) {
        return std::string();
    }
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

bool startHostProgram(const std::wstring& program, const std::wstring& commandLine)
{
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool waitFor(const std::wstring& path, bool present, DWORD timeoutMs)
{
    for (DWORD waited = 0; fileExists(path) != present; waited += 50) {
        if (waited >= timeoutMs) {
            return false;
        }
        Sleep(50);
    }
    return true;
}
