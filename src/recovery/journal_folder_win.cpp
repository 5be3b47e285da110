#include "recovery/journal_folder_win.h"

#include <algorithm>
#include <windows.h>

#include "base/error_log.h"
#include "base/text_encoding.h"
#include "base/win_owners.h"
#include "recovery/journal_files.h"

namespace {

std::vector<std::string> namesIn(const std::wstring& folder, const wchar_t* pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    FindHandle search(FindFirstFileW((folder + L"\\" + pattern).c_str(), &found));
    if (!search) {
        return names;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(wideToUtf8(found.cFileName));
        }
    } while (FindNextFileW(search.get(), &found));
    return names;
}

// True while the journal's instance holds its lock file open (shared with nobody).
bool isOwned(const std::wstring& folder, const std::string& stem)
{
    const std::wstring lock = folder + L"\\" + utf8ToWide(journalLockName(stem));
    FileHandle probe(CreateFileW(lock.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (probe) {
        return false;  // a leftover that nobody holds
    }
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

}  // namespace

std::wstring recoveryFolder()
{
    wchar_t base[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return std::wstring(base, length) + L"\\LorminRecorder\\recovery";
}

std::string newJournalStem()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    JournalInstance instance;
    instance.year = now.wYear;
    instance.month = now.wMonth;
    instance.day = now.wDay;
    instance.hour = now.wHour;
    instance.minute = now.wMinute;
    instance.second = now.wSecond;
    instance.millisecond = now.wMilliseconds;
    instance.processId = GetCurrentProcessId();
    return journalStem(instance);
}

std::vector<OrphanJournal> findOrphanJournals(const std::wstring& folder)
{
    std::vector<OrphanJournal> orphans;
    if (folder.empty()) {
        return orphans;
    }
    std::vector<std::string> names = namesIn(folder, L"*.journal");
    std::sort(names.begin(), names.end(), std::greater<>());
    for (const std::string& name : names) {
        const std::string stem = stemOfJournal(name);
        if (!stem.empty() && !isOwned(folder, stem)) {
            orphans.push_back(OrphanJournal{folder + L"\\" + utf8ToWide(name), stem});
        }
    }
    return orphans;
}

bool readJournalBytes(const std::wstring& path, std::string& bytes)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > (1LL << 32)) {
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!ReadFile(file.get(), &bytes[done], want, &chunk, nullptr) || chunk == 0) {
            break;
        }
        done += chunk;
    }
    // A file that shrank meanwhile is read as far as it went: the reader ignores a torn end.
    bytes.resize(done);
    return true;
}

bool discardJournal(const std::wstring& folder, const OrphanJournal& journal)
{
    const std::wstring discarded = folder + L"\\discarded";
    CreateDirectoryW(discarded.c_str(), nullptr);
    const std::wstring target = discarded + L"\\" + utf8ToWide(journalFileName(journal.stem));
    if (!MoveFileExW(journal.path.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ErrorLog::write(L"[恢复] 无法移走恢复日志 err=%lu：%ls", GetLastError(), journal.path.c_str());
        return false;
    }
    DeleteFileW((folder + L"\\" + utf8ToWide(journalLockName(journal.stem))).c_str());  // a leftover nobody holds
    for (const std::string& old : discardedToRemove(namesIn(discarded, L"*.journal"))) {
        DeleteFileW((discarded + L"\\" + utf8ToWide(old)).c_str());
    }
    return true;
}
