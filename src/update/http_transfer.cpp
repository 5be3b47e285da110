#include "update/http_transfer.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>
#include <windows.h>
#include <winhttp.h>

#include "base/program_version.h"
#include "base/text_encoding.h"
#include "update/url_rules.h"

namespace {

const wchar_t kUserAgent[] = L"LorminRecorder/" LR_VERSION_SHORT;
constexpr int kResolveTimeoutMs = 8000;
constexpr int kConnectTimeoutMs = 8000;
constexpr int kSendTimeoutMs = 10000;
constexpr int kReceiveTimeoutMs = 30000;
// WinHttpSetTimeouts does not bound the wait for the response head under wine; a server that
// accepts the request and never answers held the transfer for good without this option.
constexpr DWORD kReceiveResponseTimeoutMs = 30000;
constexpr DWORD kHostCapacity = 256;
constexpr DWORD kPathCapacity = 2048;

// The stamp of the process's last request.
std::atomic<uint64_t> lastStamp{0};

// GetTickCount64 moves in steps of 10 to 16 ms; two requests inside one step would carry the
// same parameter and a cache between us and the server could answer the second from the first.
uint64_t nextStamp()
{
    uint64_t last = lastStamp.load();
    uint64_t stamp = 0;
    do {
        stamp = UpdateRules::nextRequestStamp(GetTickCount64(), last);
    } while (!lastStamp.compare_exchange_weak(last, stamp));
    return stamp;
}

// Runs one blocking WinHTTP call on the request, unless the transfer was cancelled; false when
// the call failed or the transfer was cancelled before or during it.
template <typename Call>
bool blockingCall(InternetHandle& request, TransferCancel* cancel, Call call)
{
    if (cancel == nullptr) {
        return call(request.get());
    }
    if (!request || !cancel->enter(request.get())) {
        return false;
    }
    const bool ok = call(request.get());
    if (cancel->leave()) {
        request.release();  // closed by cancel()
        return false;
    }
    return ok && !cancel->cancelled();
}

bool queryAvailable(InternetHandle& request, TransferCancel* cancel, DWORD& available)
{
    available = 0;
    return blockingCall(request, cancel,
                        [&](HINTERNET handle) { return WinHttpQueryDataAvailable(handle, &available) != FALSE; });
}

bool readData(InternetHandle& request, TransferCancel* cancel, void* buffer, DWORD wanted, DWORD& delivered)
{
    delivered = 0;
    return blockingCall(request, cancel, [&](HINTERNET handle) {
        return WinHttpReadData(handle, buffer, wanted, &delivered) != FALSE && delivered > 0;
    });
}

struct UrlParts {
    std::wstring host;
    std::wstring path;  // with the query string
    INTERNET_PORT port = 0;
    bool secure = false;
};

// WinHttpCrackUrl into fixed buffers: a host or path that does not fit fails the call.
bool crackUrl(const std::wstring& url, UrlParts& parts)
{
    wchar_t host[kHostCapacity] = {};
    wchar_t path[kPathCapacity] = {};
    URL_COMPONENTS cracked{};
    cracked.dwStructSize = sizeof cracked;
    cracked.lpszHostName = host;
    cracked.dwHostNameLength = kHostCapacity;
    cracked.lpszUrlPath = path;
    cracked.dwUrlPathLength = kPathCapacity;
    if (url.empty() || !WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &cracked) || host[0] == L'\0') {
        return false;
    }
    parts.host = host;
    parts.path = path;
    parts.port = cracked.nPort;
    parts.secure = cracked.nScheme == INTERNET_SCHEME_HTTPS;
    return true;
}

// Session (with its time-outs), connection and request handle; nothing goes on the wire yet.
bool openRequest(const UrlParts& parts, HttpHandles& handles, std::wstring& error)
{
    handles.session.reset(
        WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!handles.session) {
        error = L"无法初始化网络组件";
        return false;
    }
    WinHttpSetTimeouts(handles.session.get(), kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs, kReceiveTimeoutMs);

    handles.connection.reset(WinHttpConnect(handles.session.get(), parts.host.c_str(), parts.port, 0));
    if (!handles.connection) {
        error = L"无法连接更新服务器：" + parts.host;
        return false;
    }

    const std::wstring requestPath = fromU16(UpdateRules::requestPathWithStamp(toU16(parts.path), nextStamp()));
    handles.request.reset(WinHttpOpenRequest(handles.connection.get(), L"GET", requestPath.c_str(), nullptr,
                                             WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                             parts.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!handles.request) {
        error = L"无法创建更新请求";
        return false;
    }
    DWORD responseTimeout = kReceiveResponseTimeoutMs;
    WinHttpSetOption(handles.request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                     sizeof responseTimeout);
    return true;
}

bool sendAndReceive(InternetHandle& request, TransferCancel* cancel, std::wstring& error)
{
    const bool answered = blockingCall(request, cancel,
                                       [](HINTERNET handle) {
                                           return WinHttpSendRequest(handle, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                                                     WINHTTP_NO_REQUEST_DATA, 0, 0, 0) != FALSE;
                                       }) &&
                          blockingCall(request, cancel, [](HINTERNET handle) {
                              return WinHttpReceiveResponse(handle, nullptr) != FALSE;
                          });
    if (!answered) {
        error =
            cancel != nullptr && cancel->cancelled() ? kCancelledText : L"无法访问更新服务器（连接超时或地址不可达）";
        return false;
    }
    return true;
}

DWORD queryStatus(HINTERNET request)
{
    DWORD code = 0;
    DWORD codeSize = sizeof code;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &code, &codeSize, WINHTTP_NO_HEADER_INDEX)) {
        return 0;
    }
    return code;
}

int64_t queryContentLength(HINTERNET request)
{
    wchar_t lengthText[64] = {};
    DWORD lengthSize = sizeof lengthText;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, lengthText,
                             &lengthSize, WINHTTP_NO_HEADER_INDEX)) {
        return 0;
    }
    lengthText[63] = L'\0';
    return UpdateRules::parseContentLength(toU16(lengthText));
}

}  // namespace

const wchar_t kCancelledText[] = L"已取消";

void TransferCancel::cancel()
{
    ExclusiveLock hold(lock_);
    cancelled_ = true;
    if (busyRequest_ != nullptr) {
        WinHttpCloseHandle(busyRequest_);
        busyRequest_ = nullptr;
        closedByCancel_ = true;
    }
}

bool TransferCancel::cancelled() const
{
    ExclusiveLock hold(lock_);
    return cancelled_;
}

bool TransferCancel::enter(HINTERNET request)
{
    ExclusiveLock hold(lock_);
    if (cancelled_) {
        return false;
    }
    busyRequest_ = request;
    return true;
}

bool TransferCancel::leave()
{
    ExclusiveLock hold(lock_);
    busyRequest_ = nullptr;
    return std::exchange(closedByCancel_, false);
}

void httpCloseHandles(HttpHandles& handles)
{
    handles.request.reset();
    handles.connection.reset();
    handles.session.reset();
}

bool httpOpenGet(const std::wstring& url, std::wstring& error, DWORD& status, int64_t& contentLength,
                 HttpHandles& handles, TransferCancel* cancel)
{
    status = 0;
    contentLength = 0;
    httpCloseHandles(handles);

    UrlParts parts;
    if (!crackUrl(url, parts)) {
        error = L"更新地址格式不正确";
        return false;
    }
    if (!openRequest(parts, handles, error) || !sendAndReceive(handles.request, cancel, error)) {
        httpCloseHandles(handles);
        return false;
    }
    status = queryStatus(handles.request.get());
    contentLength = queryContentLength(handles.request.get());
    return true;
}

namespace {

// Opens the request and accepts only status 200; any other status becomes statusText (with the
// status in place of %u) and closes the handles.
bool openForStatus200(const std::wstring& url, const wchar_t* statusText, HttpHandles& handles, int64_t& contentLength,
                      TransferCancel* cancel, std::wstring& error)
{
    DWORD status = 0;
    if (!httpOpenGet(url, error, status, contentLength, handles, cancel)) {
        return false;
    }
    if (status != 200) {
        wchar_t text[128] = {};
        swprintf(text, 128, statusText, static_cast<unsigned>(status));
        error = text;
        httpCloseHandles(handles);
        return false;
    }
    return true;
}

enum class BodyEnd { Complete, Broken, WriteFailed, Cancelled };

// Copies the response body into the file chunk by chunk, reporting progress after each chunk.
BodyEnd copyBodyToFile(InternetHandle& request, TransferCancel* cancel, HANDLE file, int64_t contentLength,
                       ProgressCallback progress, void* context, int64_t& received)
{
    auto brokenOrCancelled = [&] {
        return cancel != nullptr && cancel->cancelled() ? BodyEnd::Cancelled : BodyEnd::Broken;
    };
    std::vector<char> chunk(UpdateRules::kDownloadReadChunk);
    received = 0;
    DWORD available = 0;
    if (!queryAvailable(request, cancel, available)) {
        return brokenOrCancelled();
    }
    while (available > 0) {
        const DWORD wanted = available < chunk.size() ? available : static_cast<DWORD>(chunk.size());
        DWORD delivered = 0;
        if (!readData(request, cancel, chunk.data(), wanted, delivered)) {
            return brokenOrCancelled();
        }
        DWORD written = 0;
        if (!WriteFile(file, chunk.data(), delivered, &written, nullptr) || written != delivered) {
            return BodyEnd::WriteFailed;
        }
        received += delivered;
        if (progress != nullptr) {
            progress(context, received, contentLength);
        }
        if (!queryAvailable(request, cancel, available)) {
            return brokenOrCancelled();
        }
    }
    return BodyEnd::Complete;
}

bool getToNewFile(const std::wstring& url, const std::wstring& path, ProgressCallback progress, void* context,
                  TransferCancel* cancel, std::wstring& error)
{
    HttpHandles handles;
    int64_t contentLength = 0;
    if (!openForStatus200(url, L"下载失败，服务器返回错误码 %u", handles, contentLength, cancel, error)) {
        return false;
    }
    // No sharing: while the download runs nobody else writes, reads or deletes the file.
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = L"无法写入目标文件（目录可能不可写，试试把软件放到桌面或 D 盘）";
        return false;
    }

    int64_t received = 0;
    const BodyEnd end = copyBodyToFile(handles.request, cancel, file.get(), contentLength, progress, context, received);
    const bool closed = CloseHandle(file.release()) != FALSE;
    httpCloseHandles(handles);
    // Every way out below that is not a complete download leaves no file behind: a partial build
    // next to the program would later be taken for the finished one.
    if (end == BodyEnd::Cancelled) {
        error = kCancelledText;
    } else if (end == BodyEnd::WriteFailed) {
        error = L"写入本地文件失败（磁盘空间不足？）";
    } else if (contentLength >= 1 && received != contentLength) {
        error = L"下载不完整（文件大小与服务器不一致），已丢弃";
    } else if (!closed) {
        // The last bytes never reached the disk.
        error = L"写入本地文件失败（磁盘空间不足？）";
    } else if (end == BodyEnd::Broken && contentLength < 1) {
        // Without a Content-Length the size check cannot notice a transfer that broke off; the
        // failed read is the only sign, and a cut-off build must not be kept.
    } else {
        return true;
    }
    DeleteFileW(path.c_str());
    return false;
}

}  // namespace

bool httpGetToMemory(const std::wstring& url, std::string& body, std::wstring& error, TransferCancel* cancel)
{
    body.clear();
    HttpHandles handles;
    int64_t contentLength = 0;
    if (!openForStatus200(url, L"更新服务器返回错误码 %u", handles, contentLength, cancel, error)) {
        return false;
    }

    // A manifest is a few hundred bytes; the cap keeps a misconfigured URL that points at a
    // large file from filling memory. Whatever was read when a read stops is the body.
    char chunk[UpdateRules::kManifestReadChunk];
    DWORD available = 0;
    bool more = queryAvailable(handles.request, cancel, available);
    while (more && available > 0) {
        const DWORD wanted = available < sizeof chunk ? available : static_cast<DWORD>(sizeof chunk);
        DWORD delivered = 0;
        if (!readData(handles.request, cancel, chunk, wanted, delivered)) {
            break;
        }
        body.append(chunk, delivered);
        if (body.size() > UpdateRules::kManifestBodyCap) {
            break;
        }
        more = queryAvailable(handles.request, cancel, available);
    }
    httpCloseHandles(handles);

    if (cancel != nullptr && cancel->cancelled()) {
        body.clear();
        error = kCancelledText;
        return false;
    }
    if (body.empty()) {
        error = L"更新服务器返回内容为空";
        return false;
    }
    return true;
}

bool httpDownloadToNewFile(const std::wstring& url, const std::wstring& path, ProgressCallback progress, void* context,
                           TransferCancel* cancel, std::wstring& error)
{
    return getToNewFile(url, path, progress, context, cancel, error);
}
