#include "support/xdotool.h"

#include <atomic>
#include <string>
#include <vector>
#include <windows.h>
#include <shellapi.h>

#include "base/win_owners.h"
#include "support/file_bytes.h"
#include "support/message_pump.h"

namespace {

// One argument in POSIX single quotes.
std::wstring quoteForShell(const std::wstring& argument)
{
    std::wstring quoted = L"'";
    for (wchar_t c : argument) {
        if (c == L'\'') {
            quoted += L"'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + L"'";
}

// One argument quoted so that the usual command-line splitting gives it back unchanged.
std::wstring quoteForCommandLine(const std::wstring& argument)
{
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// Splits the arguments as the program would have received them when started directly.
std::vector<std::wstring> splitArguments(const std::wstring& arguments)
{
    std::vector<std::wstring> parts;
    int count = 0;
    // The first token is parsed as a program name (no escapes), so give it a dummy one.
    const std::wstring line = L"program " + arguments;
    wchar_t** argv = CommandLineToArgvW(line.c_str(), &count);
    if (argv == nullptr) {
        return parts;
    }
    for (int i = 1; i < count; ++i) {
        parts.emplace_back(argv[i]);
    }
    LocalFree(argv);
    return parts;
}

bool launch(const std::wstring& arguments, PROCESS_INFORMATION& process)
{
    std::wstring commandLine = L"/usr/bin/xdotool " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(L"/usr/bin/xdotool", buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process) != FALSE;
}

}  // namespace

bool runLinuxCommand(const std::wstring& program, const std::wstring& arguments, unsigned timeoutMs)
{
    // Wine starts Linux programs without a process handle that can be waited on, so the program
    // runs under /bin/sh, which then writes its exit status into a file that is polled here
    // (written under another name and renamed, so that it is never seen half-written).
    // /tmp is shared with other wine prefixes, whose process ids may be the same as ours.
    static std::atomic<unsigned> counter{0};
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const std::wstring name = L"lr-run-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(counter.fetch_add(1)) + L"-" + std::to_wstring(now.QuadPart) + L".status";
    const std::wstring unixStatus = L"/tmp/" + name;
    const std::wstring dosStatus = L"Z:\\tmp\\" + name;
    DeleteFileW(dosStatus.c_str());
    std::wstring script = quoteForShell(program);
    for (const std::wstring& part : splitArguments(arguments)) {
        script += L" " + quoteForShell(part);
    }
    script += L"; echo $? > " + unixStatus + L".part && mv " + unixStatus + L".part " + unixStatus;
    std::wstring commandLine = L"/bin/sh -c " + quoteForCommandLine(script);
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"/bin/sh", buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    if (process.hThread != nullptr) {
        CloseHandle(process.hThread);
    }
    if (process.hProcess != nullptr) {
        CloseHandle(process.hProcess);
    }
    // This thread's messages keep flowing meanwhile: input to its own windows and hooks is
    // delivered through them, and would otherwise arrive in one burst afterwards.
    if (!pumpMessagesUntil([&] { return fileExists(dosStatus); }, timeoutMs)) {
        return false;
    }
    const std::string status = readFileBytes(dosStatus);
    DeleteFileW(dosStatus.c_str());
    return status == "0\n";
}

bool runXdotool(const std::wstring& arguments, unsigned timeoutMs)
{
    return runLinuxCommand(L"/usr/bin/xdotool", arguments, timeoutMs);
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

namespace {

bool keySeen = false;

LRESULT CALLBACK watchKeys(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        keySeen = true;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool waitForRealKeys(unsigned timeoutMs)
{
    // xdotool's keys reach wine through its desktop window on the X display. A program that has
    // no window yet, started after wine's desktop went away (it does a few seconds after the last
    // program ends), would wait for keys that go to the X root window: asking for the desktop
    // window brings it up.
    GetDesktopWindow();
    const HookHandle hook(SetWindowsHookExW(WH_KEYBOARD_LL, &watchKeys, nullptr, 0));
    if (!hook) {
        return false;
    }
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!keySeen && GetTickCount64() < end) {
        runXdotool(L"key shift");
        pumpMessagesFor(300);
    }
    return keySeen;
}
