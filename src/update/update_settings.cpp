#include "update/update_settings.h"

#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>

#include "base/config_lines.h"
#include "base/error_log.h"
#include "base/owned.h"
#include "base/text_encoding.h"
#include "update/url_rules.h"

const wchar_t* const kDefaultUpdateBaseUrl = L"" LR_DEFAULT_UPDATE_BASE_URL;

namespace {

const wchar_t kConfigFileName[] = L"LorminRecorder.cfg";

void copyTruncated(wchar_t* buffer, size_t capacity, const std::wstring& text)
{
    if (buffer == nullptr || capacity == 0) {
        return;
    }
    const size_t count = text.size() < capacity - 1 ? text.size() : capacity - 1;
    text.copy(buffer, count);
    buffer[count] = L'\0';
}

// The full path of the running executable. A fixed 260-character buffer would silently cut a
// longer path and send the configuration lookup and the downloads to a folder that does not
// exist, so the buffer grows until the path fits.
std::wstring moduleFileName()
{
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::wstring();
        }
        if (length < buffer.size() - 1 || buffer.size() >= 32768) {
            return std::wstring(buffer.data(), length);
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

}  // namespace

bool getOwnVersion(wchar_t* buffer, size_t capacity)
{
    copyTruncated(buffer, capacity, L"0.0.0");
    const std::wstring path = moduleFileName();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) {
        ErrorLog::write(L"[更新] 读取自身版本号失败 err=%lu", GetLastError());
        return false;
    }
    std::vector<unsigned char> block(size, 0);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
        return false;
    }
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoLength = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoLength) || info == nullptr) {
        return false;
    }
    wchar_t text[64] = {};
    const std::wstring version = fromU16(UpdateRules::formatFileVersion(info->dwFileVersionMS, info->dwFileVersionLS));
    copyTruncated(text, 64, version);
    copyTruncated(buffer, capacity, text);
    return true;
}

std::wstring getModuleDir()
{
    const std::wstring path = moduleFileName();
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(0, slash);
}

std::wstring readConfiguredUpdateUrl()
{
    const std::wstring path = getModuleDir() + L"\\" + kConfigFileName;
    std::string content;
    {
        const FileStream file(_wfopen(path.c_str(), L"rb"));
        if (!file) {
            return std::wstring();
        }
        char chunk[4096];
        for (;;) {
            const size_t count = std::fread(chunk, 1, sizeof chunk, file.get());
            if (count == 0) {
                break;
            }
            content.append(chunk, count);
        }
    }
    // Whatever stands between the key and the equals sign is not examined, so "UPDATE_URL =" and
    // longer keys beginning with UPDATE_URL both count; the first such line ends the search.
    std::string value;
    if (!findConfigValue(content, "UPDATE_URL", KeyMatch::Prefix, value)) {
        return std::wstring();
    }
    return utf8ToWide(value);
}

std::wstring selectUpdateBaseUrl()
{
    const std::wstring configured = readConfiguredUpdateUrl();
    if (!configured.empty()) {
        ErrorLog::write(L"[更新] 使用 %ls 中的更新地址", kConfigFileName);
        return configured;
    }
    return kDefaultUpdateBaseUrl;
}

std::wstring manifestUrlFor(const std::wstring& baseUrl)
{
    return fromU16(UpdateRules::manifestUrlFor(toU16(baseUrl)));
}

std::wstring resolveUrl(const std::wstring& manifestUrl, const std::wstring& reference)
{
    return fromU16(UpdateRules::resolveUrl(toU16(manifestUrl), toU16(reference)));
}

int compareVersions(const std::wstring& a, const std::wstring& b)
{
    return UpdateRules::compareVersions(toU16(a), toU16(b));
}
