#include "base/error_log.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <string>
#include <windows.h>

#include "base/text_encoding.h"
#include "base/win_owners.h"

namespace {

// Written once by Init before other threads exist, then only read.
std::wstring logPath;

// Serialises the writers of this process, so that the byte-order mark is written once even when
// several threads create the file at the same moment.
SRWLOCK writeLock = SRWLOCK_INIT;

// The line as UTF-8 with CR LF for every line feed, the bytes a Unicode text-mode stream
// ("a, ccs=UTF-8") would produce.
std::string encodeLine(const SYSTEMTIME& now, const wchar_t* message)
{
    char stamp[32];
    snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d:%02d:%02d] ", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
    std::string line = stamp;
    line += wideToUtf8(message);
    line += '\n';
    std::string translated;
    translated.reserve(line.size() + 8);
    for (char c : line) {
        if (c == '\n') {
            translated += '\r';
        }
        translated += c;
    }
    return translated;
}

}  // namespace

namespace ErrorLog {

void init()
{
    // A repeated Init (a test changing the variable) must not keep an earlier path.
    logPath.clear();
    wchar_t base[260] = {};
    DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", base, 260);
    if (length == 0 || length >= 260) {
        return;  // missing, or too long to fit: logging stays off
    }
    std::wstring folder = std::wstring(base, length) + L"\\ScriptRecorder";
    CreateDirectoryW(folder.c_str(), nullptr);
    logPath = folder + L"\\error.log";
}

void write(const wchar_t* format, ...)
{
    if (logPath.empty()) {
        return;
    }
    wchar_t message[1024];
    message[0] = L'\0';
    va_list arguments;
    va_start(arguments, format);
    _vsnwprintf_s(message, 1024, _TRUNCATE, format, arguments);
    va_end(arguments);

    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string line = encodeLine(now, message);

    // The wait is bounded: the crash handler writes through here, and a thread that stopped
    // while holding the lock must not hang it. Without the lock the line is still one appending
    // write, so at worst a second mark could appear in a brand-new file.
    TimedExclusiveLock guard(writeLock, 2000);
    // Append-only access makes every write land at the end of the file as one piece, also when
    // other threads or another instance of the program write at the same time. A stream that
    // seeks to the end and then writes loses or tears lines in that race.
    FileHandle file(CreateFileW(logPath.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file) {
        return;
    }
    std::string bytes;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart == 0) {
        bytes = "\xEF\xBB\xBF";  // a new file starts with the UTF-8 byte-order mark
    }
    bytes += line;
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace ErrorLog
