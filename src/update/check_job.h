#pragma once
// One update check's work off the user-interface thread: fetch the manifest, read it, apply the
// publisher's signature rule. No window calls: the one who starts it learns the end through done.

#include <functional>
#include <string>

#include "update/http_transfer.h"
#include "update/update_info.h"

// Shared by the checking window and the worker (std::shared_ptr), so that a worker that outlives
// the window (cancelled while WinHTTP still waits) still writes into live memory.
struct CheckJob {
    std::wstring baseUrl;
    UpdateInfo result;
    TransferCancel cancel;
    // Called on the worker as its last step unless the check was cancelled; result is complete.
    std::function<void()> done;
};

// The worker's body.
void runCheckJob(CheckJob& job);
