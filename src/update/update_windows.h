#pragma once
// The two update windows (checking, download) and the state they share with the check worker
// and the download. Everything here runs on the user-interface thread except CheckWorker.

#include <cstdint>
#include <memory>
#include <string>
#include <windows.h>

#include "base/thread.h"

constexpr int IDC_UPD_CURRENT = 5201;
constexpr int IDC_UPD_LATEST = 5202;
constexpr int IDC_UPD_NOTES = 5203;
constexpr int IDC_UPD_PROGRESS = 5204;
constexpr int IDC_UPD_STATUS = 5205;
constexpr int IDC_UPD_DOWNLOAD = 5206;
constexpr int IDC_UPD_CLOSE = 5207;
constexpr int IDC_CHK_TEXT = 5301;
constexpr int IDC_CHK_PROGRESS = 5302;

// Outcome of one check.
struct UpdateInfo {
    std::wstring version;
    std::wstring downloadUrl;
    std::wstring sha256;
    std::wstring notes;
    std::wstring errorText;
    bool ok = false;
};

// Shared by the checking window and its worker. Both hold it (std::shared_ptr), so that a worker
// that outlives the window (the loop left through WM_QUIT) still writes into live memory.
struct CheckJob {
    UpdateInfo result;
    std::wstring baseUrl;
    HWND window = nullptr;
    Thread worker;
    bool done = false;
};

struct UpdateDialogState {
    std::wstring ownVersion;
    std::wstring version;
    std::wstring downloadUrl;
    std::wstring sha256;
    std::wstring notes;
    HWND currentLabel = nullptr;
    HWND latestLabel = nullptr;
    HWND notesBox = nullptr;
    HWND progressBar = nullptr;
    HWND statusLabel = nullptr;
    bool busy = false;
    bool done = false;
};

// Calls into the system that tests replace: starting a program, hashing the downloaded file.
// The program leaves them at their defaults.
struct UpdateSeams {
    HINSTANCE(WINAPI* shellExecute)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    bool (*hashFile)(const std::wstring& path, std::string& digest);
};
extern UpdateSeams updateSeams;

// Body of the check's worker thread: fetches and reads the manifest into job.result, then
// posts WM_APP_CHECK_DONE to job.window.
void CheckWorker(CheckJob& job);

bool RunCheckWindow(const std::wstring& baseUrl, UpdateInfo& info);
void RunUpdateDialog(const std::wstring& baseUrl, const UpdateInfo& info);
void SetBusy(UpdateDialogState& state, bool busy);
HFONT UpdateWindowFont();
LRESULT CALLBACK CheckWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK UpdateDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void DownloadUpdate(UpdateDialogState& state);
bool Sha256File(const std::wstring& path, std::string& digest);
void OnDownloadProgress(void* state, int64_t received, int64_t total);
void PumpMessages(HWND dialog);
