#pragma once
// Platform-free rules of the update: reading members of version.json, which offered versions
// may become part of a file name, how sizes and progress are shown, and digest comparison.

#include <cstddef>
#include <cstdint>
#include <string>

// Finds the first "name" (quoted) anywhere in text and returns the bytes between the next two
// double quotes after the colon that follows it. Escapes are not decoded.
bool extractJsonString(const std::string& text, const char* name, std::string& value);

// The members of version.json that the update uses, as UTF-8 bytes; empty when missing.
struct ManifestFields {
    std::string ver;
    std::string url;
    std::string sha256;
    std::string note;
    std::string sig;
};

enum class ManifestReading { Json, Scanner };

// Reads version.json. A text that is a JSON object whose members of interest are strings (or
// absent) is read with the JSON reader, so escapes such as \n, \" and \u4e2d are decoded;
// anything else (invalid JSON, a number where a string belongs) goes through extractJsonString
// as before, so servers that rely on the scanner's leniency keep working. True when "ver" and
// "url" were both found (empty values count as found).
bool readManifest(const std::string& text, ManifestFields& fields, ManifestReading* reading = nullptr);

// True when the offered version can safely become part of a file name next to the executable:
// only ASCII letters, digits, '.', '-', '_' and '+', at most 64 characters, no leading '.'.
// An empty version passes (the download refuses empty versions on its own).
bool isAcceptableVersionText(const std::string& version);
bool isAcceptableVersionText(const std::wstring& version);

// "LorminRecorder_v<version>.exe"
std::wstring downloadFileName(const std::wstring& version);

// The name a download is written under until it has been verified: "LorminRecorder_download_"
// and 16 hexadecimal digits of `unique`, ending in ".part", a name no user gives a file.
std::wstring temporaryDownloadName(uint64_t unique);
// True for names made by temporaryDownloadName (any 16 hexadecimal digits, either case).
bool isTemporaryDownloadName(const std::wstring& name);

// "512 B", "1.5 KB", "3.00 MB".
std::wstring formatSize(int64_t bytes);

// received * 100 / total, truncated and capped at 100; total must be at least 1.
int downloadPercent(int64_t received, int64_t total);

// Lower-case hexadecimal, two digits per byte, high nibble first.
std::string hexDigest(const unsigned char* bytes, size_t count);

// Compares a computed lower-case digest with the one published in the manifest, which may be
// written in any letter case and broken up by spaces and tabs.
bool digestMatches(const std::string& computedHex, const std::wstring& expected);
