#include "ui/hand_over_message.h"

#include <cstring>

std::wstring encodeHandOverFiles(const std::vector<std::wstring>& files)
{
    std::wstring data;
    for (const std::wstring& file : files) {
        data += file;
        data += L'\0';
    }
    return data;
}

bool decodeHandOver(uint64_t kind, const void* data, size_t bytes, HandOverRequest& request)
{
    request = HandOverRequest();
    if (kind == static_cast<uint64_t>(HandOverKind::Activate)) {
        return true;
    }
    if (kind != static_cast<uint64_t>(HandOverKind::OpenScripts) || data == nullptr || bytes == 0 ||
        bytes > kHandOverMaxBytes || bytes % sizeof(wchar_t) != 0) {
        return false;
    }
    // Copied unit by unit: the sender's buffer has no promise of alignment.
    std::wstring units(bytes / sizeof(wchar_t), L'\0');
    std::memcpy(&units[0], data, bytes);
    if (units.back() != L'\0') {
        return false;
    }
    request.kind = HandOverKind::OpenScripts;
    size_t start = 0;
    while (start < units.size()) {
        const size_t end = units.find(L'\0', start);
        if (end == start) {
            request = HandOverRequest();
            return false;  // an empty path
        }
        request.files.push_back(units.substr(start, end - start));
        start = end + 1;
    }
    return true;
}
