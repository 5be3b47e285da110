#pragma once
// What the update tests share: message boxes answered by the test, started programs recorded,
// the log read back, a loopback server with the configuration pointing at it, an owner window,
// and steps that run on the test's thread while a check or download is under way.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <winsock2.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/message_box.h"
#include "base/text_encoding.h"
#include "base/thread.h"
#include "loopback_server.h"
#include "support/scoped_seam.h"
#include "test_files.h"
#include "update/check_window.h"
#include "update/download_job.h"
#include "update/download_window.h"
#include "update/update_check.h"
#include "update/update_seams.h"
#include "update/update_settings.h"

extern std::wstring updateTestLogFolder;

struct Shown {
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
    std::wstring updateStatus;  // the update window's status line when the box appeared
    int updateProgress = -1;
    std::wstring current, latest, notes;  // the update window's version lines and notes
};

// Message boxes of the update, answered by the test. While a box is "open" the update window
// (when there is one) is inspected and, once answered, asked to close, as a user would do.
struct Boxes {
    std::vector<Shown> shown;
    std::deque<int> answers;
    bool closeUpdateWindowAfterwards = true;
    // Runs with the update window while a box is open, before it is asked to close.
    std::function<void(HWND)> inspect;
};
inline Boxes boxes;

inline HWND updateWindow()
{
    return FindWindowW(L"LorminUpdCls", nullptr);
}

inline std::wstring textOf(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], length + 1)));
    return text;
}

// Runs a step on the test's thread every periodMs while the guard lives (a thread timer, so it
// runs inside the update's own message loops).
inline std::function<void()> repeatedStep;
class Every {
public:
    Every(UINT periodMs, std::function<void()> step)
    {
        repeatedStep = std::move(step);
        timer_ = SetTimer(nullptr, 0, periodMs, [](HWND, UINT, UINT_PTR, DWORD) {
            if (repeatedStep) {
                repeatedStep();
            }
        });
    }
    ~Every()
    {
        KillTimer(nullptr, timer_);
        repeatedStep = nullptr;
    }
    Every(const Every&) = delete;
    Every& operator=(const Every&) = delete;

private:
    UINT_PTR timer_ = 0;
};

// Temporary download files in a folder.
inline std::vector<std::wstring> temporaryDownloads(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\LorminRecorder_download_*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            names.emplace_back(found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return names;
}

// Polls (without taking messages) until done() or the time is over.
inline bool pollUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() > end) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

// A plain top-level window standing in for the main window; its destruction ends the
// application's message loop, as the main window's does.
inline LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

inline HWND makeOwnerWindow()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &ownerProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"LrUpdateTestOwner";
        registered = RegisterClassW(&windowClass) != 0;
    }
    const HWND window = CreateWindowExW(0, L"LrUpdateTestOwner", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80,
                                        700, 560, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return window;
}

// Takes a WM_QUIT that a destroyed owner window left in the queue; true when there was one.
inline bool takeQuitMessage()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            return true;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return false;
}

inline int answerBox(HWND, const wchar_t* text, const wchar_t* caption, UINT type)
{
    Shown seen;
    seen.text = text;
    seen.caption = caption;
    seen.type = type;
    if (HWND window = updateWindow()) {
        seen.updateStatus = textOf(GetDlgItem(window, IDC_UPD_STATUS));
        seen.updateProgress = static_cast<int>(SendDlgItemMessageW(window, IDC_UPD_PROGRESS, PBM_GETPOS, 0, 0));
        seen.current = textOf(GetDlgItem(window, IDC_UPD_CURRENT));
        seen.latest = textOf(GetDlgItem(window, IDC_UPD_LATEST));
        seen.notes = textOf(GetDlgItem(window, IDC_UPD_NOTES));
        if (boxes.inspect) {
            boxes.inspect(window);
        }
        if (boxes.closeUpdateWindowAfterwards) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }
    boxes.shown.push_back(seen);
    if (boxes.answers.empty()) {
        return IDNO;
    }
    const int answer = boxes.answers.front();
    boxes.answers.pop_front();
    return answer;
}

inline std::vector<std::wstring> startedPrograms;
// Stands in for the started build with this process, whose update window is visible: the build
// "shows its window" at once.
inline HANDLE recordStart(HWND, const wchar_t* file)
{
    startedPrograms.push_back(std::wstring(L"open ") + file);
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    return self;
}

inline std::string readLog()
{
    std::string log;
    readWholeFile(updateTestLogFolder + L"\\ScriptRecorder\\error.log", log);
    return log;
}

inline std::string sha256Hex(const std::string& bytes)
{
    TempFolder folder;
    const std::wstring path = folder.file(L"h.bin");
    writeWholeFile(path, bytes);
    std::string digest;
    EXPECT_TRUE(sha256FileHex(path, digest));
    return digest;
}

class UpdateCheckTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.running());
        boxes = Boxes{};
        startedPrograms.clear();
        config = getModuleDir() + L"\\LorminRecorder.cfg";
        configure(server.url(L"/rel/"));
        logBefore = readLog().size();
    }
    void TearDown() override
    {
        DeleteFileW(config.c_str());
        for (const wchar_t* version : {L"2.1.0", L"9.9.9", L"3.0.0", L"4.0.0"}) {
            DeleteFileW(downloadPath(version).c_str());
        }
        // A cancelled worker may still hold its temporary file for a moment.
        pollUntil([] { return temporaryDownloads(getModuleDir()).empty(); }, 3000);
        for (const std::wstring& name : temporaryDownloads(getModuleDir())) {
            DeleteFileW((getModuleDir() + L"\\" + name).c_str());
        }
        if (owner != nullptr && IsWindow(owner)) {
            DestroyWindow(owner);
            takeQuitMessage();
        }
    }

public:
    void configure(const std::wstring& base)
    {
        ASSERT_TRUE(writeWholeFile(config, "UPDATE_URL=" + wideToUtf8(base) + "\r\n"));
    }
    static std::wstring downloadPath(const std::wstring& version)
    {
        return getModuleDir() + L"\\LorminRecorder_v" + version + L".exe";
    }
    void manifest(const std::string& json) { server.answer("/rel/version.json", makeAnswer(200, json)); }
    std::string newLogLines() { return readLog().substr(logBefore); }
    std::string ownVersion()
    {
        wchar_t own[64] = {};
        getOwnVersion(own, 64);
        return wideToUtf8(own);
    }
    size_t requestsFor(const std::string& path)
    {
        size_t n = 0;
        for (const SeenRequest& seen : server.requests()) {
            n += seen.target.rfind(path, 0) == 0 ? 1 : 0;
        }
        return n;
    }

    ScopedSeam<MessageBoxFn> answeredBoxes{messageBoxSeam, &answerBox};
    ScopedSeam<decltype(UpdateSystemSeam::startProgram)> recordedStarts{updateSystemSeam.startProgram, &recordStart};
    LoopbackServer server;
    std::wstring config;
    size_t logBefore = 0;
    HWND owner = nullptr;
};

inline const std::wstring upToDatePrefix = L"当前已是最新版本。\n\n当前版本：v";
inline const std::wstring questionTail =
    L"是否立即下载？\n\n· 下载到本程序所在目录，文件名带版本号\n· 不会结束当前程序，也不会覆盖任何现有文件";
