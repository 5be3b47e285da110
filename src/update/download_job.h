#pragma once
// The download of an offered build off the user-interface thread: fetch it into a temporary file
// of its own, verify its digest and only then give it its final name (never replacing a file).
// No window calls: the one who starts it learns about its steps through notify.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "update/http_transfer.h"

// What became of one download attempt.
enum class DownloadOutcome { Downloaded, ExistingVerified, Failed, Rejected, Cancelled };

// The steps a running download tells about.
enum class DownloadStep {
    Progress,   // new byte counts are in received and total
    Verifying,  // the transfer is over, the digest is computed
    Done,       // the outcome is complete
};

// Shared by the download window and the worker (std::shared_ptr).
struct DownloadJob {
    // Set before the worker starts.
    std::wstring url;
    std::wstring folder;
    std::wstring finalPath;
    std::wstring sha256;
    bool verifyExisting = false;  // a file of the final name exists and a digest was published
    // Called on the worker; never after a cancel for Done. Progress is told once until
    // progressTaken() is called, so a fast transfer cannot flood whoever listens.
    std::function<void(DownloadStep)> notify;
    TransferCancel cancel;
    std::atomic<int64_t> received{0};
    std::atomic<int64_t> total{0};
    std::atomic<bool> progressTold{false};
    // The outcome, complete when Done is told.
    DownloadOutcome outcome = DownloadOutcome::Failed;
    std::wstring errorText;

    // The listener has read the counts: the next progress is told again.
    void progressTaken() { progressTold = false; }
};

// The worker's body.
void runDownloadJob(DownloadJob& job);

// Removes the temporary files that earlier downloads left in the folder (a killed program, a
// power cut); files still open in another running instance stay.
void removeLeftoverDownloads(const std::wstring& folder);
