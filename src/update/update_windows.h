#pragma once
// The two update windows (checking, download) and the state they share with their workers.
// Everything here runs on the user-interface thread except the bodies of the worker threads.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <windows.h>

#include "base/thread.h"
#include "base/win_owners.h"
#include "update/http_transfer.h"
#include "update/release_signature.h"

constexpr int IDC_UPD_CURRENT = 5201;
constexpr int IDC_UPD_LATEST = 5202;
constexpr int IDC_UPD_NOTES = 5203;
constexpr int IDC_UPD_PROGRESS = 5204;
constexpr int IDC_UPD_STATUS = 5205;
constexpr int IDC_UPD_DOWNLOAD = 5206;
constexpr int IDC_UPD_CLOSE = 5207;
constexpr int IDC_CHK_TEXT = 5301;
constexpr int IDC_CHK_PROGRESS = 5302;
constexpr int IDC_CHK_CANCEL = 5303;

// Outcome of one check.
struct UpdateInfo {
    std::wstring version;
    std::wstring downloadUrl;
    std::wstring sha256;
    std::wstring notes;
    std::wstring errorText;
    bool ok = false;
    // The user cancelled, or the main window went away: nothing more is shown.
    bool cancelled = false;
};

// Shared by the checking window and its worker. Both hold it (std::shared_ptr), so that a worker
// that outlives the window (cancelled while WinHTTP still waits) still writes into live memory.
struct CheckJob {
    UpdateInfo result;
    std::wstring baseUrl;
    HWND window = nullptr;
    TransferCancel cancel;
};

// What became of one download attempt.
enum class DownloadOutcome { Downloaded, ExistingVerified, Failed, Rejected, Cancelled };

// Shared by the update window and its download worker.
struct DownloadJob {
    // Set before the worker starts.
    unsigned number = 0;
    HWND window = nullptr;
    std::wstring url;
    std::wstring folder;
    std::wstring finalPath;
    std::wstring sha256;
    bool verifyExisting = false;  // a file of the final name exists and a digest was published
    TransferCancel cancel;
    // Progress, read by the window when WM_APP_DOWNLOAD_PROGRESS arrives; one such message is
    // in the queue at most, so a fast transfer cannot flood it.
    std::atomic<int64_t> received{0};
    std::atomic<int64_t> total{0};
    std::atomic<bool> progressPosted{false};
    // The outcome, complete when WM_APP_DOWNLOAD_DONE is posted.
    DownloadOutcome outcome = DownloadOutcome::Failed;
    std::wstring errorText;
};

struct UpdateDialogState {
    std::wstring ownVersion;
    std::wstring version;
    std::wstring downloadUrl;
    std::wstring sha256;
    std::wstring notes;
    HWND window = nullptr;
    HWND owner = nullptr;
    HWND currentLabel = nullptr;
    HWND latestLabel = nullptr;
    HWND notesBox = nullptr;
    HWND progressBar = nullptr;
    HWND statusLabel = nullptr;
    int dpi = 96;
    FontHandle font;
    bool busy = false;
    bool done = false;
    std::shared_ptr<DownloadJob> job;
    Thread worker;
};

// Calls into the system that tests replace: starting a program, hashing the downloaded file,
// verifying a release signature. The program leaves them at their defaults.
struct UpdateSeams {
    HINSTANCE(WINAPI* shellExecute)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    bool (*hashFile)(const std::wstring& path, std::string& digest);
    VerifySignatureFn verifySignature;
};
extern UpdateSeams updateSeams;

// How long a check may take in all before it is ended as a failure (tests shorten it).
extern DWORD checkDeadlineMs;

// Body of the check's worker thread: fetches and reads the manifest into job.result, then
// posts WM_APP_CHECK_DONE to job.window unless the check was cancelled.
void CheckWorker(CheckJob& job);
// Body of the download's worker thread (see update_download.cpp).
void DownloadWorker(DownloadJob& job);

// Both windows are owned by and centred on the owner (when there is one), which is disabled
// while they are open, as for a modal dialog.
bool RunCheckWindow(HWND owner, const std::wstring& baseUrl, UpdateInfo& info);
void RunUpdateDialog(HWND owner, const UpdateInfo& info);

void SetBusy(UpdateDialogState& state, bool busy);
LRESULT CALLBACK CheckWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK UpdateDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The update window's download steps (update_download.cpp), on the user-interface thread.
void DownloadUpdate(UpdateDialogState& state);
void CancelDownload(UpdateDialogState& state);
void OnDownloadProgress(UpdateDialogState& state, unsigned number);
void OnDownloadVerifying(UpdateDialogState& state, unsigned number);
void OnDownloadDone(UpdateDialogState& state, unsigned number);
bool Sha256File(const std::wstring& path, std::string& digest);
// Removes the temporary files that earlier downloads left in the folder (a killed program, a
// power cut); files still open in another running instance stay.
void RemoveLeftoverDownloads(const std::wstring& folder);
