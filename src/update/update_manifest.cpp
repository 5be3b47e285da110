#include "update/update_manifest.h"

#include <cwchar>

bool ExtractJsonString(const std::string& text, const char* name, std::string& value)
{
    const std::string pattern = std::string("\"") + name + "\"";
    const size_t at = text.find(pattern);
    if (at == std::string::npos) {
        return false;
    }
    const size_t end = at + pattern.size();
    if (end >= text.size()) {
        return false;
    }
    const size_t colon = text.find(':', end);
    if (colon == std::string::npos) {
        return false;
    }
    const size_t open = text.find('"', colon);
    if (open == std::string::npos) {
        return false;
    }
    const size_t close = text.find('"', open + 1);
    if (close == std::string::npos) {
        return false;
    }
    value = text.substr(open + 1, close - open - 1);
    return true;
}

bool IsAcceptableVersionText(const std::string& version)
{
    // The version ends up in a path: anything that could name a folder ("..", "\", ":") or a
    // device must never get there, so only a small, plain alphabet is allowed.
    if (version.size() > 64) {
        return false;
    }
    if (!version.empty() && version[0] == '.') {
        return false;
    }
    for (const char c : version) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '-' || c == '_' || c == '+';
        if (!plain) {
            return false;
        }
    }
    return true;
}

bool IsAcceptableVersionText(const std::wstring& version)
{
    std::string narrow;
    for (const wchar_t c : version) {
        if (static_cast<unsigned long>(c) >= 0x80) {
            return false;
        }
        narrow += static_cast<char>(c);
    }
    return IsAcceptableVersionText(narrow);
}

std::wstring DownloadFileName(const std::wstring& version)
{
    return L"LorminRecorder_v" + version + L".exe";
}

std::wstring FormatSize(int64_t bytes)
{
    wchar_t buffer[64] = {};
    if (bytes >= 1048576) {
        std::swprintf(buffer, 64, L"%.2f MB", static_cast<double>(bytes) / 1048576.0);
    } else if (bytes < 1024) {
        std::swprintf(buffer, 64, L"%lld B", static_cast<long long>(bytes));
    } else {
        std::swprintf(buffer, 64, L"%.1f KB", static_cast<double>(bytes) / 1024.0);
    }
    return buffer;
}

int DownloadPercent(int64_t received, int64_t total)
{
    if (total < 1) {
        return 0;
    }
    const int64_t percent = received * 100 / total;
    if (percent > 100) {
        return 100;
    }
    return percent < 0 ? 0 : static_cast<int>(percent);
}

std::string HexDigest(const unsigned char* bytes, size_t count)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

namespace {

wchar_t foldAscii(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace

bool DigestMatches(const std::string& computedHex, const std::wstring& expected)
{
    std::wstring compact;
    for (const wchar_t c : expected) {
        if (c != L' ' && c != L'\t') {
            compact += c;
        }
    }
    if (compact.size() != computedHex.size()) {
        return false;
    }
    for (size_t i = 0; i < compact.size(); ++i) {
        const wchar_t computed = static_cast<unsigned char>(computedHex[i]);
        if (foldAscii(compact[i]) != foldAscii(computed)) {
            return false;
        }
    }
    return true;
}
