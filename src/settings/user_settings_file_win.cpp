#include "settings/user_settings_file.h"

#include <cstdio>
#include <vector>
#include <windows.h>

#include "base/error_log.h"
#include "base/text_encoding.h"
#include "base/win_owners.h"

namespace {

// More than any settings file needs; a bigger file is read up to here.
constexpr DWORD kMaxSettingsBytes = 64 * 1024;

std::wstring settingsFolder()
{
    wchar_t base[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", base, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::wstring();
    }
    return std::wstring(base, length) + L"\\LorminRecorder";
}

// Saves of this process so far, for the temporary names.
LONG saveCounter = 0;

// A name no other save uses, even one of another instance at the same moment.
std::wstring temporaryPath(const std::wstring& path)
{
    wchar_t suffix[64];
    std::swprintf(suffix, 64, L".%lu-%llu-%ld.tmp", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long long>(GetTickCount64()), InterlockedIncrement(&saveCounter));
    return path + suffix;
}

std::wstring errorText(const wchar_t* what, const std::wstring& path, DWORD code)
{
    wchar_t text[96];
    std::swprintf(text, 96, L"（错误 %lu）", static_cast<unsigned long>(code));
    return std::wstring(what) + L"\n" + path + text;
}

}  // namespace

std::wstring userSettingsPath()
{
    const std::wstring folder = settingsFolder();
    return folder.empty() ? folder : folder + L"\\settings.cfg";
}

UserSettings loadUserSettings()
{
    const std::wstring path = userSettingsPath();
    if (path.empty()) {
        return UserSettings{};
    }
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            ErrorLog::Write(L"无法读取设置文件 %ls err=%lu，使用默认设置", path.c_str(),
                            static_cast<unsigned long>(error));
        }
        return UserSettings{};
    }
    std::string content(kMaxSettingsBytes, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), &content[0], kMaxSettingsBytes, &read, nullptr)) {
        ErrorLog::Write(L"无法读取设置文件 %ls err=%lu，使用默认设置", path.c_str(),
                        static_cast<unsigned long>(GetLastError()));
        return UserSettings{};
    }
    content.resize(read);
    std::vector<std::string> problems;
    const UserSettings settings = readUserSettings(content, problems);
    for (const std::string& problem : problems) {
        ErrorLog::Write(L"%ls", utf8ToWide(problem).c_str());
    }
    return settings;
}

bool saveUserSettings(const UserSettings& settings, std::wstring& error)
{
    const std::wstring path = userSettingsPath();
    if (path.empty()) {
        error = L"无法保存设置：找不到用户的应用数据文件夹（APPDATA）。";
        return false;
    }
    CreateDirectoryW(settingsFolder().c_str(), nullptr);
    const std::wstring temporary = temporaryPath(path);
    const std::string content = writeUserSettings(settings);
    {
        FileHandle file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            error = errorText(L"无法保存设置文件：", path, GetLastError());
            return false;
        }
        DWORD written = 0;
        const bool complete =
            WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
            written == content.size() && FlushFileBuffers(file.get());
        if (!complete) {
            const DWORD code = GetLastError();
            file.reset();
            DeleteFileW(temporary.c_str());
            error = errorText(L"无法保存设置文件：", path, code);
            return false;
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        DeleteFileW(temporary.c_str());
        error = errorText(L"无法保存设置文件：", path, code);
        return false;
    }
    return true;
}
