#pragma once
// Blocking HTTP(S) GET over WinHTTP: into memory (the version manifest) and into a file (a build).

#include <cstdint>
#include <string>
#include <windows.h>
#include <winhttp.h>

#include "base/win_owners.h"

// The handles of one open transfer. The request is declared last, so it is closed first.
struct HttpHandles {
    InternetHandle session;
    InternetHandle connection;
    InternetHandle request;
};

using ProgressCallback = void (*)(void* context, int64_t received, int64_t total);

// Lets another thread stop a transfer that runs on a worker. cancel() marks the transfer and,
// when a WinHTTP call is blocked on its request at that moment, closes the request handle: on
// Windows the call then returns at once; under wine it returns at the next arriving data or
// time-out. Either way the transfer makes no further call and fails with "已取消".
class TransferCancel {
public:
    TransferCancel() = default;
    TransferCancel(const TransferCancel&) = delete;
    TransferCancel& operator=(const TransferCancel&) = delete;

    void cancel();
    bool cancelled() const;

    // Used by the transfer around every blocking call on its request: enter is false when the
    // transfer is cancelled already (no call may be made); leave is true when cancel() closed
    // the request during the call, which is then no longer the caller's to close.
    bool enter(HINTERNET request);
    bool leave();

private:
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    bool cancelled_ = false;
    HINTERNET busyRequest_ = nullptr;
    bool closedByCancel_ = false;
};

// The error text of a cancelled transfer.
extern const wchar_t kCancelledText[];

bool httpOpenGet(const std::wstring& url, std::wstring& error, DWORD& status, int64_t& contentLength,
                 HttpHandles& handles, TransferCancel* cancel = nullptr);
bool httpGetToMemory(const std::wstring& url, std::string& body, std::wstring& error, TransferCancel* cancel = nullptr);
// The download of a build: the file is created only once the server has answered with status
// 200, and only if no file of that name exists (never written through a name someone else
// made); it can be cancelled from another thread. A failed or cancelled download leaves no file.
bool httpDownloadToNewFile(const std::wstring& url, const std::wstring& path, ProgressCallback progress, void* context,
                           TransferCancel* cancel, std::wstring& error);
// Closes the open handles of a transfer (request, connection, session) and clears them.
void httpCloseHandles(HttpHandles& handles);
