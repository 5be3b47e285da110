#include "support/xdotool.h"

#include <vector>
#include <windows.h>

namespace {

bool launch(const std::wstring& arguments, PROCESS_INFORMATION& process)
{
    std::wstring commandLine = L"/usr/bin/xdotool " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(L"/usr/bin/xdotool", buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process) != FALSE;
}

}  // namespace

bool runXdotool(const std::wstring& arguments, unsigned timeoutMs)
{
    PROCESS_INFORMATION process{};
    if (!launch(arguments, process)) {
        return false;
    }
    DWORD exitCode = 1;
    bool finished = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (finished) {
        GetExitCodeProcess(process.hProcess, &exitCode);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return finished && exitCode == 0;
}

bool startXdotool(const std::wstring& arguments)
{
    PROCESS_INFORMATION process{};
    if (!launch(arguments, process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
