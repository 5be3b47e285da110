#include "update/url_rules.h"

#include <cstdint>
#include <limits>

namespace UpdateRules {

std::u16string manifestUrlFor(const std::u16string& baseUrl)
{
    if (baseUrl.empty()) {
        return std::u16string();
    }
    static const std::u16string jsonSuffix = u".json";
    if (baseUrl.size() > 4 && baseUrl.compare(baseUrl.size() - jsonSuffix.size(), jsonSuffix.size(), jsonSuffix) == 0) {
        return baseUrl;
    }
    std::u16string url = baseUrl;
    if (url.back() != u'/') {
        url += u'/';
    }
    return url + u"version.json";
}

std::u16string resolveUrl(const std::u16string& manifestUrl, const std::u16string& reference)
{
    if (reference.empty()) {
        return std::u16string();
    }
    if (reference.size() > 2 && reference.find(u"://") != std::u16string::npos) {
        return reference;
    }
    const size_t slash = manifestUrl.rfind(u'/');
    const std::u16string folder = slash == std::u16string::npos ? manifestUrl : manifestUrl.substr(0, slash + 1);
    return folder + reference;
}

namespace {

// Reads one component from `at` up to the next point or the end. Digits accumulate; a component
// too long for 32 bits stays at the largest value instead of wrapping into a small or negative one.
int32_t readComponent(const std::u16string& text, size_t& at)
{
    constexpr int32_t largest = std::numeric_limits<int32_t>::max();
    int32_t value = 0;
    while (at < text.size() && text[at] != u'.') {
        const char16_t c = text[at];
        if (c >= u'0' && c <= u'9') {
            const int32_t digit = c - u'0';
            value = value > (largest - digit) / 10 ? largest : value * 10 + digit;
        }
        ++at;
    }
    return value;
}

}  // namespace

int compareVersions(const std::u16string& a, const std::u16string& b)
{
    size_t i = 0;
    size_t j = 0;
    for (;;) {
        if (i >= a.size() && j >= b.size()) {
            return 0;
        }
        const int32_t left = i >= a.size() ? 0 : readComponent(a, i);
        const int32_t right = j >= b.size() ? 0 : readComponent(b, j);
        if (left != right) {
            return left > right ? 1 : -1;
        }
        if (i < a.size() && a[i] == u'.') {
            ++i;
        }
        if (j < b.size() && b[j] == u'.') {
            ++j;
        }
    }
}

namespace {

std::u16string decimal(uint64_t value)
{
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

}  // namespace

std::u16string formatFileVersion(uint32_t versionMs, uint32_t versionLs)
{
    return decimal(versionMs >> 16) + u'.' + decimal(versionMs & 0xFFFF) + u'.' + decimal(versionLs >> 16);
}

std::u16string requestPathWithStamp(const std::u16string& path, uint64_t stamp)
{
    std::u16string request = path.empty() ? std::u16string(u"/") : path;
    request += request.find(u'?') == std::u16string::npos ? u'?' : u'&';
    return request + u"t=" + decimal(stamp);
}

uint64_t nextRequestStamp(uint64_t tick, uint64_t previous)
{
    return tick > previous ? tick : previous + 1;
}

int64_t parseContentLength(const std::u16string& text)
{
    size_t at = 0;
    while (at < text.size() && (text[at] == u' ' || text[at] == u'\t')) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        negative = text[at] == u'-';
        ++at;
    }
    // Accumulated as a magnitude so that the clamp works the same way in both directions.
    constexpr uint64_t positiveLimit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    const uint64_t limit = negative ? positiveLimit + 1 : positiveLimit;
    uint64_t magnitude = 0;
    while (at < text.size() && text[at] >= u'0' && text[at] <= u'9') {
        const uint64_t digit = static_cast<uint64_t>(text[at] - u'0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
        ++at;
    }
    if (!negative) {
        return static_cast<int64_t>(magnitude);
    }
    return magnitude == positiveLimit + 1 ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(magnitude);
}

}  // namespace UpdateRules
