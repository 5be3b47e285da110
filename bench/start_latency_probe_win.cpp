// How long a start takes from CreateProcess to the first line of its log and to its window, for the
// recorder and for a trivial program (this probe started as a child: it writes one line and opens
// one window), each started again a moment after the previous one ended. A start that shows no
// window within 20 s is counted with how it ended. Run it idle and with every core busy to tell
// the system's own start-up time from the program's.
// Run under wine: wine build/windows/bench/start_latency_probe.exe RECORDER.exe [ROUNDS]
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

#include "base/performance_clock.h"
#include "base/win_owners.h"

namespace {

constexpr wchar_t kProbeClass[] = L"LrStartProbeWindow";

LRESULT CALLBACK probeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The trivial program: a line in LOCALAPPDATA\probe.log first thing, then a window.
int runChild()
{
    wchar_t base[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
    const std::wstring log = std::wstring(base) + L"\\probe.log";
    FileHandle file(CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), "start\r\n", 7, &written, nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = probeWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kProbeClass;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, kProbeClass, L"probe", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}

struct FoundWindow {
    DWORD processId;
    const wchar_t* className;
    HWND window;
};

BOOL CALLBACK findWindowOf(HWND window, LPARAM context)
{
    auto* found = reinterpret_cast<FoundWindow*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (processId == found->processId && IsWindowVisible(window) && wcscmp(name, found->className) == 0) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

LONGLONG fileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return static_cast<LONGLONG>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

struct Subject {
    const char* name;
    std::wstring commandLine;
    std::wstring logPath;
    const wchar_t* className;
};

double median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void measure(const Subject& subject, const std::wstring& appData, int rounds)
{
    std::vector<double> toLog, toWindow;
    int failures = 0;
    for (int round = 0; round < rounds; ++round) {
        const LONGLONG logBefore = fileSize(subject.logPath);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::wstring commandLine = subject.commandLine;
        SetEnvironmentVariableW(L"LOCALAPPDATA", appData.c_str());
        const double start = performanceSeconds();
        if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
            std::printf("  round %d: CreateProcess failed, err=%lu\n", round + 1, GetLastError());
            ++failures;
            continue;
        }
        KernelHandle processHandle(process.hProcess);
        KernelHandle threadHandle(process.hThread);
        double logged = -1;
        FoundWindow found{process.dwProcessId, subject.className, nullptr};
        while (performanceSeconds() - start < 20.0) {
            if (logged < 0 && fileSize(subject.logPath) > logBefore) {
                logged = performanceSeconds() - start;
            }
            EnumWindows(findWindowOf, reinterpret_cast<LPARAM>(&found));
            if (found.window != nullptr || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
                break;
            }
            Sleep(5);
        }
        const double shown = performanceSeconds() - start;
        if (found.window == nullptr) {
            DWORD code = 0;
            const bool ended = GetExitCodeProcess(process.hProcess, &code) && code != STILL_ACTIVE;
            std::printf("  round %d: no window after %.1f s; log line %s; process %s (code %lu)\n", round + 1, shown,
                        logged < 0 ? "none" : "written", ended ? "ended" : "still runs", code);
            ++failures;
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 10000);
            continue;
        }
        if (logged < 0) {
            logged = fileSize(subject.logPath) > logBefore ? shown : -1;
        }
        if (logged >= 0) {
            toLog.push_back(logged);
        }
        toWindow.push_back(shown);
        PostMessageW(found.window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0) {
            std::printf("  round %d: did not end within 15 s of WM_CLOSE\n", round + 1);
            TerminateProcess(process.hProcess, 1);
        }
        Sleep(1000);  // the next start comes a second after this one ended, as in the checks
    }
    std::printf("%-10s %2d starts: first log line median %6.3f s max %6.3f s; window median %6.3f s max %6.3f s; "
                "%d without a window\n",
                subject.name, rounds, median(toLog), toLog.empty() ? 0 : *std::max_element(toLog.begin(), toLog.end()),
                median(toWindow), toWindow.empty() ? 0 : *std::max_element(toWindow.begin(), toWindow.end()), failures);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 2 && wcscmp(argv[1], L"--child") == 0) {
        return runChild();
    }
    if (argc < 2) {
        std::printf("usage: start_latency_probe RECORDER.exe [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc >= 3 ? _wtoi(argv[2]) : 10;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring appData = std::wstring(temp) + L"lr_start_probe";
    CreateDirectoryW(appData.c_str(), nullptr);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const Subject subjects[] = {
        {"trivial", L"\"" + std::wstring(self) + L"\" --child", appData + L"\\probe.log", kProbeClass},
        {"recorder", L"\"" + std::wstring(argv[1]) + L"\"", appData + L"\\ScriptRecorder\\error.log",
         L"ScriptRecorderWnd"},
    };
    for (const Subject& subject : subjects) {
        measure(subject, appData, rounds);
    }
    return 0;
}
