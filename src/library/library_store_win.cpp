#include "library/library_store.h"

#include <cstdio>
#include <vector>
#include <windows.h>

#include "base/atomic_file.h"
#include "base/error_log.h"
#include "base/text_encoding.h"
#include "base/win_owners.h"
#include "library/library_file.h"

namespace {

// Far more than a library of thousands of entries needs.
constexpr DWORD kMaxLibraryBytes = 16 * 1024 * 1024;
constexpr int kMaxBadNames = 1000;

std::wstring libraryFolder()
{
    wchar_t base[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", base, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::wstring();
    }
    return std::wstring(base, length) + L"\\LorminRecorder";
}

// Reads the whole file; false with the system's error (ERROR_FILE_NOT_FOUND for none).
bool readWholeFile(const std::wstring& path, std::string& bytes, DWORD& error)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxLibraryBytes) {
        error = size.QuadPart > kMaxLibraryBytes ? ERROR_FILE_TOO_LARGE : GetLastError();
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())) {
        error = GetLastError();
        return false;
    }
    return true;
}

// Gives the file the first free name of .bad, .bad2, ...; an existing one is never replaced.
std::wstring setAside(const std::wstring& path)
{
    for (int i = 1; i <= kMaxBadNames; ++i) {
        const std::wstring name = path + L".bad" + (i == 1 ? std::wstring() : std::to_wstring(i));
        if (MoveFileExW(path.c_str(), name.c_str(), 0)) {
            return name;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            break;
        }
    }
    return std::wstring();
}

}  // namespace

std::wstring libraryPath()
{
    const std::wstring folder = libraryFolder();
    return folder.empty() ? folder : folder + L"\\library.json";
}

LibraryLoad loadLibrary()
{
    LibraryLoad load;
    const std::wstring path = libraryPath();
    if (path.empty()) {
        return load;
    }
    std::string bytes;
    DWORD code = 0;
    std::string error;
    if (!readWholeFile(path, bytes, code)) {
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return load;
        }
        wchar_t text[64];
        std::swprintf(text, 64, L"无法读取（错误 %lu）", static_cast<unsigned long>(code));
        load.error = text;
    } else {
        std::vector<std::string> problems;
        if (parseLibrary(bytes, load.library, error, problems)) {
            for (const std::string& problem : problems) {
                ErrorLog::write(L"%ls", utf8ToWide(problem).c_str());
            }
            return load;
        }
        load.error = utf8ToWide(error);
    }
    const std::wstring renamed = setAside(path);
    load.setAside = renamed.empty() ? path : renamed;
    if (renamed.empty()) {
        ErrorLog::write(L"[脚本库] library.json 无法使用（%ls），也无法改名，脚本库暂为空：%ls", load.error.c_str(),
                        path.c_str());
    } else {
        ErrorLog::write(L"[脚本库] library.json 无法使用（%ls），已改名为 %ls，脚本库暂为空", load.error.c_str(),
                        renamed.c_str());
    }
    return load;
}

bool saveLibrary(const Library& library, std::wstring& error)
{
    const std::wstring path = libraryPath();
    if (path.empty()) {
        error = L"无法保存脚本库：找不到用户的应用数据文件夹（APPDATA）。";
        return false;
    }
    CreateDirectoryW(libraryFolder().c_str(), nullptr);
    unsigned long code = 0;
    if (writeFileAtomically(path, formatLibrary(library), FinalName::Replace, code) != FileWriteFailure::None) {
        wchar_t text[64];
        std::swprintf(text, 64, L"（错误 %lu）", code);
        error = L"无法保存脚本库文件：\n" + path + text;
        ErrorLog::write(L"[脚本库] 无法保存 %ls err=%lu", path.c_str(), code);
        return false;
    }
    return true;
}
