#include "settings/user_settings_file.h"

#include <cstdio>
#include <vector>
#include <windows.h>

#include "base/atomic_file.h"
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
            ErrorLog::write(L"无法读取设置文件 %ls err=%lu，使用默认设置", path.c_str(),
                            static_cast<unsigned long>(error));
        }
        return UserSettings{};
    }
    std::string content(kMaxSettingsBytes, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), &content[0], kMaxSettingsBytes, &read, nullptr)) {
        ErrorLog::write(L"无法读取设置文件 %ls err=%lu，使用默认设置", path.c_str(),
                        static_cast<unsigned long>(GetLastError()));
        return UserSettings{};
    }
    content.resize(read);
    std::vector<std::string> problems;
    const UserSettings settings = readUserSettings(content, problems);
    for (const std::string& problem : problems) {
        ErrorLog::write(L"%ls", utf8ToWide(problem).c_str());
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
    unsigned long code = 0;
    if (writeFileAtomically(path, writeUserSettings(settings), FinalName::Replace, code) != FileWriteFailure::None) {
        error = errorText(L"无法保存设置文件：", path, code);
        return false;
    }
    return true;
}
