#include "support/test_log.h"

#include <windows.h>

#include "base/error_log.h"
#include "support/file_bytes.h"

TestErrorLog::TestErrorLog()
{
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ =
        std::wstring(temp) + L"lr_log_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
    CreateDirectoryW(folder_.c_str(), nullptr);
    path_ = folder_ + L"\\ScriptRecorder\\error.log";
    SetEnvironmentVariableW(L"LOCALAPPDATA", folder_.c_str());
    ErrorLog::init();
}

TestErrorLog::~TestErrorLog()
{
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
    ErrorLog::init();
    DeleteFileW(path_.c_str());
    RemoveDirectoryW((folder_ + L"\\ScriptRecorder").c_str());
    RemoveDirectoryW(folder_.c_str());
}

std::string TestErrorLog::bytes() const
{
    return readFileBytes(path_);
}

std::string TestErrorLog::newText()
{
    const std::string all = bytes();
    const std::string fresh = all.size() > seen_ ? all.substr(seen_) : std::string();
    seen_ = all.size();
    return fresh;
}
