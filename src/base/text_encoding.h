#pragma once
// The program's one text conversion module: UTF-8 to UTF-16 with the behaviour of
// MultiByteToWideChar(CP_UTF8, 0, ...) (malformed bytes become U+FFFD instead of failing the
// conversion), UTF-16 back to UTF-8, and the step between wide strings and the char16_t strings
// of the platform-free rules. Wide strings hold UTF-16 code units on every platform (also where
// wchar_t is 32 bits wide).

#include <cstddef>
#include <cstdint>
#include <string>

std::wstring utf8ToWide(const std::string& bytes);
// The code point of the UTF-8 sequence at bytes[next] (next < bytes.size()), moving next past it;
// malformed bytes give U+FFFD, exactly as utf8ToWide reads them.
uint32_t decodeUtf8(const std::string& bytes, size_t& next);
// UTF-16 code units back to UTF-8 (unpaired surrogates become U+FFFD); used for native file paths.
std::string wideToUtf8(const std::wstring& units);
// Appends one code point as UTF-8 (1 to 4 bytes; surrogate values are encoded as they are).
void appendUtf8(std::string& out, uint32_t codePoint);
// The same bytes written at out, for callers that must not allocate; returns their count.
constexpr size_t kMaxUtf8Bytes = 4;
size_t encodeUtf8(uint32_t codePoint, char* out);

// The same UTF-16 code units, one for one.
std::u16string toU16(const std::wstring& units);
std::wstring fromU16(const std::u16string& units);
