#pragma once
// For benchmarks whose windows must belong to another program (the window manager answers
// questions about a program's own windows without a round trip): the benchmark starts itself
// again with an option, and that copy makes the windows and runs until one of them is closed.

#include <string>
#include <windows.h>

#include "base/win_owners.h"

// The copy's side. Its windows' procedure: closing any of them ends the copy.
inline LRESULT CALLBACK quitOnClose(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The copy's message loop, until one of its windows is closed.
inline int runUntilClosed()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}

class SecondCopy {
public:
    SecondCopy() = default;
    SecondCopy(const SecondCopy&) = delete;
    SecondCopy& operator=(const SecondCopy&) = delete;

    // Starts this program again with the option and waits up to five seconds for the copy's
    // top-level window of the class and title (any title when null), then a moment for it to show.
    bool start(const wchar_t* option, const wchar_t* className, const wchar_t* title)
    {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + option;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
            return false;
        }
        process_.reset(started.hProcess);
        const KernelHandle thread(started.hThread);
        for (int tries = 0; tries < 500 && window_ == nullptr; ++tries) {
            Sleep(10);
            window_ = FindWindowW(className, title);
        }
        Sleep(300);
        return window_ != nullptr;
    }
    HWND window() const { return window_; }

    // Closes the window waited for, which ends the copy.
    ~SecondCopy()
    {
        if (window_ != nullptr) {
            PostMessageW(window_, WM_CLOSE, 0, 0);
        }
        if (process_) {
            WaitForSingleObject(process_.get(), 5000);
        }
    }

private:
    KernelHandle process_;
    HWND window_ = nullptr;
};
