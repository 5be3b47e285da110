#include "update/http_transfer.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>
#include <winhttp.h>

#include "base/text_encoding.h"
#include "update/url_rules.h"

namespace {

const wchar_t kUserAgent[] = L"LorminRecorder/2.0";
constexpr int kResolveTimeoutMs = 8000;
constexpr int kConnectTimeoutMs = 8000;
constexpr int kSendTimeoutMs = 10000;
constexpr int kReceiveTimeoutMs = 30000;

// Closes whatever part of a transfer is open, request first, when it goes out of scope.
class TransferGuard {
public:
    explicit TransferGuard(HttpHandles& handles) : handles_(handles) {}
    ~TransferGuard()
    {
        if (!released_) {
            HttpCloseHandles(handles_);
        }
    }
    TransferGuard(const TransferGuard&) = delete;
    TransferGuard& operator=(const TransferGuard&) = delete;
    // Hands the handles over to the caller of HttpOpenGet.
    void release() { released_ = true; }

private:
    HttpHandles& handles_;
    bool released_ = false;
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// GetTickCount64 moves in steps of 10 to 16 ms; two requests inside one step would carry the
// same parameter and a cache between us and the server could answer the second from the first.
uint64_t nextStamp()
{
    static std::atomic<uint64_t> previous{0};
    uint64_t last = previous.load();
    uint64_t stamp = 0;
    do {
        stamp = UpdateRules::NextRequestStamp(GetTickCount64(), last);
    } while (!previous.compare_exchange_weak(last, stamp));
    return stamp;
}

bool queryAvailable(HINTERNET request, DWORD& available)
{
    available = 0;
    return WinHttpQueryDataAvailable(request, &available) != FALSE;
}

}  // namespace

void HttpCloseHandles(HttpHandles& handles)
{
    if (handles.request != nullptr) {
        WinHttpCloseHandle(handles.request);
        handles.request = nullptr;
    }
    if (handles.connection != nullptr) {
        WinHttpCloseHandle(handles.connection);
        handles.connection = nullptr;
    }
    if (handles.session != nullptr) {
        WinHttpCloseHandle(handles.session);
        handles.session = nullptr;
    }
}

bool HttpOpenGet(const std::wstring& url, std::wstring& error, DWORD& status, int64_t& contentLength,
                 HttpHandles& handles)
{
    status = 0;
    contentLength = 0;
    handles = HttpHandles{};

    wchar_t host[256] = {};
    wchar_t path[2048] = {};
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 2048;
    if (url.empty() || !WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) || host[0] == L'\0') {
        error = L"更新地址格式不正确";
        return false;
    }
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

    TransferGuard guard(handles);
    handles.session =
        WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (handles.session == nullptr) {
        error = L"无法初始化网络组件";
        return false;
    }
    WinHttpSetTimeouts(handles.session, kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs, kReceiveTimeoutMs);

    handles.connection = WinHttpConnect(handles.session, host, parts.nPort, 0);
    if (handles.connection == nullptr) {
        error = std::wstring(L"无法连接更新服务器：") + host;
        return false;
    }

    const std::u16string pathText(path, path + wcslen(path));
    const std::wstring requestPath = fromU16(UpdateRules::RequestPathWithStamp(pathText, nextStamp()));
    handles.request = WinHttpOpenRequest(handles.connection, L"GET", requestPath.c_str(), nullptr, WINHTTP_NO_REFERER,
                                         WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0);
    if (handles.request == nullptr) {
        error = L"无法创建更新请求";
        return false;
    }

    if (!WinHttpSendRequest(handles.request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(handles.request, nullptr)) {
        error = L"无法访问更新服务器（连接超时或地址不可达）";
        return false;
    }

    DWORD code = 0;
    DWORD codeSize = sizeof code;
    if (!WinHttpQueryHeaders(handles.request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &code, &codeSize, WINHTTP_NO_HEADER_INDEX)) {
        code = 0;
    }
    status = code;

    wchar_t lengthText[64] = {};
    DWORD lengthSize = sizeof lengthText;
    if (WinHttpQueryHeaders(handles.request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, lengthText,
                            &lengthSize, WINHTTP_NO_HEADER_INDEX)) {
        lengthText[63] = L'\0';
        contentLength = UpdateRules::ParseContentLength(std::u16string(lengthText, lengthText + wcslen(lengthText)));
    }

    guard.release();
    return true;
}

namespace {

// Opens the request and accepts only status 200; any other status becomes statusText (with the
// status in place of %u) and closes the handles.
bool openForStatus200(const std::wstring& url, const wchar_t* statusText, HttpHandles& handles, int64_t& contentLength,
                      std::wstring& error)
{
    DWORD status = 0;
    if (!HttpOpenGet(url, error, status, contentLength, handles)) {
        return false;
    }
    if (status != 200) {
        wchar_t text[128] = {};
        swprintf(text, 128, statusText, static_cast<unsigned>(status));
        error = text;
        HttpCloseHandles(handles);
        return false;
    }
    return true;
}

}  // namespace

bool HttpGetToMemory(const std::wstring& url, std::string& body, std::wstring& error)
{
    body.clear();
    HttpHandles handles;
    int64_t contentLength = 0;
    if (!openForStatus200(url, L"更新服务器返回错误码 %u", handles, contentLength, error)) {
        return false;
    }
    TransferGuard guard(handles);

    // A manifest is a few hundred bytes; the cap keeps a misconfigured URL that points at a
    // large file from filling memory. Whatever was read when a read stops is the body.
    char chunk[UpdateRules::kManifestReadChunk];
    DWORD available = 0;
    bool more = queryAvailable(handles.request, available);
    while (more && available > 0) {
        const DWORD wanted = available < sizeof chunk ? available : static_cast<DWORD>(sizeof chunk);
        DWORD delivered = 0;
        if (!WinHttpReadData(handles.request, chunk, wanted, &delivered) || delivered == 0) {
            break;
        }
        body.append(chunk, delivered);
        if (body.size() > UpdateRules::kManifestBodyCap) {
            break;
        }
        more = queryAvailable(handles.request, available);
    }
    HttpCloseHandles(handles);

    if (body.empty()) {
        error = L"更新服务器返回内容为空";
        return false;
    }
    return true;
}

bool HttpGetToFile(const std::wstring& url, const std::wstring& path, ProgressCallback progress, void* context,
                   std::wstring& error)
{
    HttpHandles handles;
    int64_t contentLength = 0;
    if (!openForStatus200(url, L"下载失败，服务器返回错误码 %u", handles, contentLength, error)) {
        return false;
    }
    TransferGuard guard(handles);

    FileHandle file(_wfopen(path.c_str(), L"wb"));
    if (!file) {
        error = L"无法写入目标文件（目录可能不可写，试试把软件放到桌面或 D 盘）";
        return false;
    }
    // Every way out below that is not a complete download must leave no file behind: a partial
    // build next to the program would later be taken for the finished one.
    auto discard = [&]() {
        file.reset();
        HttpCloseHandles(handles);
        DeleteFileW(path.c_str());
        return false;
    };

    std::vector<char> chunk(UpdateRules::kDownloadReadChunk);
    int64_t received = 0;
    bool broken = false;
    DWORD available = 0;
    if (!queryAvailable(handles.request, available)) {
        broken = true;
        available = 0;
    }
    while (available > 0) {
        const DWORD wanted = available < chunk.size() ? available : static_cast<DWORD>(chunk.size());
        DWORD delivered = 0;
        if (!WinHttpReadData(handles.request, chunk.data(), wanted, &delivered) || delivered == 0) {
            broken = true;
            break;
        }
        if (std::fwrite(chunk.data(), 1, delivered, file.get()) != delivered) {
            error = L"写入本地文件失败（磁盘空间不足？）";
            return discard();
        }
        received += delivered;
        if (progress != nullptr) {
            progress(context, received, contentLength);
        }
        if (!queryAvailable(handles.request, available)) {
            broken = true;
            break;
        }
    }

    const bool closed = std::fclose(file.release()) == 0;
    HttpCloseHandles(handles);
    if (contentLength >= 1 && received != contentLength) {
        error = L"下载不完整（文件大小与服务器不一致），已丢弃";
        DeleteFileW(path.c_str());
        return false;
    }
    if (!closed) {
        // The last buffered bytes never reached the disk.
        error = L"写入本地文件失败（磁盘空间不足？）";
        DeleteFileW(path.c_str());
        return false;
    }
    if (broken && contentLength < 1) {
        // Without a Content-Length the size check cannot notice a transfer that broke off; the
        // failed read is the only sign, and a cut-off build must not be kept.
        DeleteFileW(path.c_str());
        return false;
    }
    return true;
}
