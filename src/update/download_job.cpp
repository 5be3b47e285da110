#include "update/download_job.h"

#include <windows.h>
#include <bcrypt.h>

#include "base/atomic_file.h"
#include "base/error_log.h"
#include "base/text_encoding.h"
#include "base/win_owners.h"
#include "update/update_manifest.h"
#include "update/update_seams.h"

namespace {

// 64 bits the download's temporary name is made of; the name is also created exclusively, so a
// repeated value fails the download instead of touching someone else's file.
uint64_t uniqueNumber()
{
    uint64_t value = 0;
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&value), sizeof value,
                                        BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        value = static_cast<uint64_t>(now.QuadPart) ^ (static_cast<uint64_t>(GetCurrentProcessId()) << 40) ^
                (static_cast<uint64_t>(GetCurrentThreadId()) << 20);
    }
    return value;
}

void tell(DownloadJob& job, DownloadStep step)
{
    if (job.notify) {
        job.notify(step);
    }
}

void onTransferProgress(void* context, int64_t received, int64_t total)
{
    DownloadJob& job = *static_cast<DownloadJob*>(context);
    job.received = received;
    job.total = total;
    if (!job.progressTold.exchange(true)) {
        tell(job, DownloadStep::Progress);
    }
}

bool verifyFile(const std::wstring& path, const std::wstring& expected)
{
    std::string digest;
    if (!updateSystemSeam.hashFile(path, digest)) {
        // Without a digest nothing is known about the file; offering it as verified would start
        // an unchecked program.
        ErrorLog::write(L"[更新] SHA256 计算失败：%ls", path.c_str());
        return false;
    }
    if (!digestMatches(digest, expected)) {
        ErrorLog::write(L"[更新] 校验值不符：%ls 的 SHA256 为 %ls，服务器登记的是 %ls", path.c_str(),
                        utf8ToWide(digest).c_str(), expected.c_str());
        return false;
    }
    return true;
}

// A verified file of the final name is offered as it is; a partial or foreign one is removed so
// that it is fetched again. False when the download cannot go on (the outcome is set).
bool checkExistingFile(DownloadJob& job)
{
    if (verifyFile(job.finalPath, job.sha256)) {
        job.outcome = DownloadOutcome::ExistingVerified;
        return false;
    }
    ErrorLog::write(L"[更新] 本地已有的文件未通过校验，删除后重新下载：%ls", job.finalPath.c_str());
    if (!DeleteFileW(job.finalPath.c_str())) {
        job.errorText = L"本地已有同名文件但未通过校验，且无法删除：" + job.finalPath;
        job.outcome = DownloadOutcome::Failed;
        return false;
    }
    return true;
}

DownloadOutcome fetchVerifyAndPlace(DownloadJob& job)
{
    const std::wstring temporary = job.folder + L"\\" + temporaryDownloadName(uniqueNumber());
    if (!httpDownloadToNewFile(job.url, temporary, &onTransferProgress, &job, &job.cancel, job.errorText)) {
        return job.cancel.cancelled() ? DownloadOutcome::Cancelled : DownloadOutcome::Failed;
    }
    if (!job.sha256.empty()) {
        tell(job, DownloadStep::Verifying);
        if (!verifyFile(temporary, job.sha256)) {
            DeleteFileW(temporary.c_str());
            return DownloadOutcome::Rejected;
        }
    }
    if (job.cancel.cancelled()) {
        DeleteFileW(temporary.c_str());
        return DownloadOutcome::Cancelled;
    }
    // An existing file of the final name (another instance was quicker) is never replaced.
    unsigned long failure = 0;
    if (!placeFile(temporary, job.finalPath, FinalName::MustBeNew, failure)) {
        DeleteFileW(temporary.c_str());
        job.errorText = L"无法把下载的文件保存为 " + job.finalPath;
        ErrorLog::write(L"[更新] 下载的文件无法改名为 %ls err=%lu", job.finalPath.c_str(), failure);
        return DownloadOutcome::Failed;
    }
    return DownloadOutcome::Downloaded;
}

}  // namespace

void runDownloadJob(DownloadJob& job)
{
    if (!job.verifyExisting || checkExistingFile(job)) {
        job.outcome = fetchVerifyAndPlace(job);
    }
    if (!job.cancel.cancelled()) {
        tell(job, DownloadStep::Done);
    }
}

void removeLeftoverDownloads(const std::wstring& folder)
{
    WIN32_FIND_DATAW found{};
    const FindHandle search(FindFirstFileW((folder + L"\\LorminRecorder_download_*.part").c_str(), &found));
    if (!search) {
        return;
    }
    do {
        const std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && isTemporaryDownloadName(name)) {
            // Fails for a file that another running instance is still writing: it stays.
            DeleteFileW((folder + L"\\" + name).c_str());
        }
    } while (FindNextFileW(search.get(), &found));
}
