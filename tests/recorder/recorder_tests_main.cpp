// Windows tests of the recorder: real hooks on a real input hook thread, real input from xdotool,
// and a hidden window of this process as the receiver of the posted messages.
#include <cstdio>
#include <string>

#include <windows.h>
#include <gtest/gtest.h>

#include "base/error_log.h"
#include "recorder/recorder_test_support.h"

int wmain(int argc, wchar_t** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // A log of its own, so that the tests can read back the recorder's lines.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"lr_recorder_tests_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    SetEnvironmentVariableW(L"LOCALAPPDATA", folder.c_str());
    ErrorLog::init();
    setTestLogPath(folder + L"\\ScriptRecorder\\error.log");
    if (!createReceiverWindow()) {
        return 2;
    }
    if (!waitForRealInput(30000)) {
        fwprintf(stderr, L"xdotool input does not reach this program\n");
        return 3;
    }
    return RUN_ALL_TESTS();
}
