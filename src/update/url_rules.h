#pragma once
// Platform-free rules of the update's URLs and versions. Text is UTF-16 in char16_t strings, the
// same code units as the Windows wide strings that the shell converts from and to.

#include <cstddef>
#include <cstdint>
#include <string>

// The built-in update base URL. The host is a placeholder of the reserved example domain: a
// deployment names its own server in LorminRecorder.cfg next to the executable.
#define LR_DEFAULT_UPDATE_BASE_URL "https://updates.example.com/static/release/recorder/"

namespace UpdateRules {

// A manifest answer is read until it passes this size; the rest of a longer answer is dropped.
constexpr size_t kManifestBodyCap = 262144;
constexpr size_t kManifestReadChunk = 4096;
constexpr size_t kDownloadReadChunk = 16384;

// The base URL itself when it names a .json file (case-sensitive suffix), else the base with
// "version.json" appended (and a "/" before it when the base does not end in one). Empty stays
// empty.
std::u16string manifestUrlFor(const std::u16string& baseUrl);

// A reference of more than two characters containing "://" is kept; any other non-empty one is
// appended, unchanged, to the manifest URL up to and including its last "/".
std::u16string resolveUrl(const std::u16string& manifestUrl, const std::u16string& reference);

// 1 when a is newer than b, -1 when older, 0 when equal. Components between points compare as
// numbers made of their digits alone; missing components count as 0.
int compareVersions(const std::u16string& a, const std::u16string& b);

// "major.minor.build" from the two halves of a file version; the fourth number is not shown.
std::u16string formatFileVersion(uint32_t versionMs, uint32_t versionLs);

// The request path with the time-stamp parameter: "/" for an empty path, then "?" or "&"
// (when the path already has a query), then "t=" and the stamp in decimal.
std::u16string requestPathWithStamp(const std::u16string& path, uint64_t stamp);

// A stamp that is never equal to the previous one, even when the tick count has not moved
// between two requests (its resolution is 10 to 16 ms), so no cache can answer the second one.
uint64_t nextRequestStamp(uint64_t tick, uint64_t previous);

// A Content-Length header value read as a signed decimal number: leading blanks, an optional
// sign, the leading digits; 0 when there are none. Values beyond 64 bits are clamped.
int64_t parseContentLength(const std::u16string& text);

}  // namespace UpdateRules
