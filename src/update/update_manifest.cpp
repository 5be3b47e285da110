#include "update/update_manifest.h"

#include <cwchar>
#include <stdexcept>

#include "script/json_reader.h"

bool extractJsonString(const std::string& text, const char* name, std::string& value)
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

namespace {

// The members of interest when the whole text is a JSON object and each of them is a string or
// absent; false for anything else.
bool readJsonManifest(const std::string& text, ManifestFields& fields)
{
    // A byte-order mark is no JSON, but editors write one; the scanner never minded it.
    const bool marked = text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0;
    JsonValue root;
    try {
        root = parseJson(marked ? text.substr(3) : text);
    } catch (const std::exception&) {
        return false;
    }
    if (root.kind != JsonKind::Object) {
        return false;
    }
    struct Slot {
        const char* name;
        std::string* value;
        bool required;
    };
    ManifestFields read;
    const Slot slots[] = {{"ver", &read.ver, true},
                          {"url", &read.url, true},
                          {"sha256", &read.sha256, false},
                          {"note", &read.note, false},
                          {"sig", &read.sig, false}};
    for (const Slot& slot : slots) {
        const JsonValue* member = findMember(root, slot.name);
        if (member == nullptr && !slot.required) {
            continue;
        }
        if (member == nullptr || member->kind != JsonKind::String) {
            return false;
        }
        *slot.value = member->text;
    }
    fields = read;
    return true;
}

}  // namespace

bool readManifest(const std::string& text, ManifestFields& fields, ManifestReading* reading)
{
    fields = ManifestFields{};
    if (readJsonManifest(text, fields)) {
        if (reading != nullptr) {
            *reading = ManifestReading::Json;
        }
        return true;
    }
    if (reading != nullptr) {
        *reading = ManifestReading::Scanner;
    }
    // The second scan runs only when the first found its member, as the check always did.
    if (!extractJsonString(text, "ver", fields.ver) || !extractJsonString(text, "url", fields.url)) {
        fields = ManifestFields{};
        return false;
    }
    extractJsonString(text, "sha256", fields.sha256);
    extractJsonString(text, "note", fields.note);
    extractJsonString(text, "sig", fields.sig);
    return true;
}

bool isAcceptableVersionText(const std::string& version)
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

bool isAcceptableVersionText(const std::wstring& version)
{
    std::string narrow;
    for (const wchar_t c : version) {
        if (static_cast<unsigned long>(c) >= 0x80) {
            return false;
        }
        narrow += static_cast<char>(c);
    }
    return isAcceptableVersionText(narrow);
}

std::wstring downloadFileName(const std::wstring& version)
{
    return L"LorminRecorder_v" + version + L".exe";
}

namespace {

const wchar_t kTemporaryPrefix[] = L"LorminRecorder_download_";
const wchar_t kTemporarySuffix[] = L".part";
constexpr size_t kTemporaryDigits = 16;

bool isHexDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

}  // namespace

std::wstring temporaryDownloadName(uint64_t unique)
{
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring name = kTemporaryPrefix;
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += digits[(unique >> shift) & 0x0F];
    }
    return name + kTemporarySuffix;
}

bool isTemporaryDownloadName(const std::wstring& name)
{
    const std::wstring prefix = kTemporaryPrefix;
    const std::wstring suffix = kTemporarySuffix;
    if (name.size() != prefix.size() + kTemporaryDigits + suffix.size() ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    for (size_t i = prefix.size(); i < prefix.size() + kTemporaryDigits; ++i) {
        if (!isHexDigit(name[i])) {
            return false;
        }
    }
    return true;
}

std::wstring formatSize(int64_t bytes)
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

int downloadPercent(int64_t received, int64_t total)
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

std::string hexDigest(const unsigned char* bytes, size_t count)
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

bool digestMatches(const std::string& computedHex, const std::wstring& expected)
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
