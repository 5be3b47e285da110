#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <winsock2.h>

#include "base/error_log.h"
#include "test_files.h"

std::wstring updateTestLogFolder;

int wmain(int argc, wchar_t** argv)
{
    testing::InitGoogleTest(&argc, argv);
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    // The log of this run goes to a folder of its own, where the tests read it back.
    TempFolder logBase;
    updateTestLogFolder = logBase.path();
    SetEnvironmentVariableW(L"LOCALAPPDATA", logBase.path().c_str());
    ErrorLog::init();
    const int result = RUN_ALL_TESTS();
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
    ErrorLog::init();
    WSACleanup();
    return result;
}
