// The download of an offered build: a worker thread fetches it into a temporary file of its own,
// verifies it and only then gives it its final name; the update window shows the progress and
// the outcome.
#include "update/update_windows.h"

#include <cstdio>
#include <vector>
#include <windows.h>
#include <bcrypt.h>
#include <commctrl.h>

#include "base/error_log.h"
#include "base/message_box.h"
#include "base/session_guards.h"
#include "base/text_encoding.h"
#include "base/win_owners.h"
#include "update/http_transfer.h"
#include "update/update_manifest.h"
#include "update/update_messages.h"
#include "update/update_settings.h"

namespace {

DWORD ReadHashProperty(BCRYPT_ALG_HANDLE algorithm, const wchar_t* name)
{
    DWORD value = 0;
    ULONG written = 0;
    if (!BCRYPT_SUCCESS(
            BCryptGetProperty(algorithm, name, reinterpret_cast<PUCHAR>(&value), sizeof(value), &written, 0))) {
        return 0;
    }
    return value;
}

void SetStatus(const UpdateDialogState& state, const wchar_t* text)
{
    if (state.statusLabel != nullptr) {
        SetWindowTextW(state.statusLabel, text);
    }
}

void SetProgress(const UpdateDialogState& state, int percent)
{
    if (state.progressBar != nullptr) {
        SendMessageW(state.progressBar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    }
}

void OfferToRun(const UpdateDialogState& state, const std::wstring& question, UINT icon)
{
    if (ShowMessageBox(state.window, question.c_str(), L"在线更新", MB_YESNO | icon) == IDYES) {
        // The new build must start as the session's window instance rather than hand itself over
        // to this one; when nothing started, this one stays the instance.
        const bool wasInstance = sessionGuardSeam.giveUp(SessionGuard::WindowInstance);
        const HINSTANCE started = updateSeams.shellExecute(
            state.window, L"open", state.job != nullptr ? state.job->finalPath.c_str() : nullptr, nullptr, nullptr,
            SW_SHOWNORMAL);
        if (wasInstance && reinterpret_cast<INT_PTR>(started) <= 32) {
            sessionGuardSeam.take(SessionGuard::WindowInstance);
        }
    }
}

// 64 bits the next download's temporary name is made of; the name is also created exclusively,
// so a repeated value fails the download instead of touching someone else's file.
uint64_t UniqueNumber()
{
    uint64_t value = 0;
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&value), sizeof value,
                                        BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
        static std::atomic<uint64_t> counter{0};
        value = (GetTickCount64() << 20) ^ (static_cast<uint64_t>(GetCurrentProcessId()) << 40) ^ ++counter;
    }
    return value;
}

void PostProgress(void* context, int64_t received, int64_t total)
{
    DownloadJob& job = *static_cast<DownloadJob*>(context);
    job.received = received;
    job.total = total;
    if (!job.progressPosted.exchange(true)) {
        PostMessageW(job.window, WM_APP_DOWNLOAD_PROGRESS, job.number, 0);
    }
}

bool VerifyFile(const std::wstring& path, const std::wstring& expected)
{
    std::string digest;
    if (!updateSeams.hashFile(path, digest)) {
        // Without a digest nothing is known about the file; offering it as verified would start
        // an unchecked program.
        ErrorLog::Write(L"[更新] SHA256 计算失败：%ls", path.c_str());
        return false;
    }
    if (!DigestMatches(digest, expected)) {
        ErrorLog::Write(L"[更新] 校验值不符：%ls 的 SHA256 为 %ls，服务器登记的是 %ls", path.c_str(),
                        utf8ToWide(digest).c_str(), expected.c_str());
        return false;
    }
    return true;
}

// The worker's steps; the outcome goes into the job.
void RunDownload(DownloadJob& job)
{
    if (job.verifyExisting) {
        if (VerifyFile(job.finalPath, job.sha256)) {
            job.outcome = DownloadOutcome::ExistingVerified;
            return;
        }
        // A partial or foreign file under the final name: never offered, fetched again.
        ErrorLog::Write(L"[更新] 本地已有的文件未通过校验，删除后重新下载：%ls", job.finalPath.c_str());
        if (!DeleteFileW(job.finalPath.c_str())) {
            job.errorText = L"本地已有同名文件但未通过校验，且无法删除：" + job.finalPath;
            job.outcome = DownloadOutcome::Failed;
            return;
        }
    }

    const std::wstring temporary = job.folder + L"\\" + TemporaryDownloadName(UniqueNumber());
    if (!HttpDownloadToNewFile(job.url, temporary, &PostProgress, &job, &job.cancel, job.errorText)) {
        job.outcome = job.cancel.cancelled() ? DownloadOutcome::Cancelled : DownloadOutcome::Failed;
        return;
    }
    if (!job.sha256.empty()) {
        PostMessageW(job.window, WM_APP_DOWNLOAD_VERIFYING, job.number, 0);
        if (!VerifyFile(temporary, job.sha256)) {
            DeleteFileW(temporary.c_str());
            job.outcome = DownloadOutcome::Rejected;
            return;
        }
    }
    if (job.cancel.cancelled()) {
        DeleteFileW(temporary.c_str());
        job.outcome = DownloadOutcome::Cancelled;
        return;
    }
    // One step from the verified temporary file to the final name; an existing file of that
    // name (another instance was quicker) is never replaced.
    if (!MoveFileExW(temporary.c_str(), job.finalPath.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD failure = GetLastError();
        DeleteFileW(temporary.c_str());
        job.errorText = L"无法把下载的文件保存为 " + job.finalPath;
        ErrorLog::Write(L"[更新] 下载的文件无法改名为 %ls err=%lu", job.finalPath.c_str(), failure);
        job.outcome = DownloadOutcome::Failed;
        return;
    }
    job.outcome = DownloadOutcome::Downloaded;
}

bool IsCurrent(const UpdateDialogState& state, unsigned number)
{
    return state.job != nullptr && state.job->number == number && state.busy;
}

void StartWorker(UpdateDialogState& state, std::shared_ptr<DownloadJob> job)
{
    static unsigned lastNumber = 0;
    job->number = ++lastNumber;
    job->window = state.window;
    state.job = job;
    SetBusy(state, true);
    if (!state.worker.start([job] { DownloadWorker(*job); })) {
        SetBusy(state, false);
        const std::wstring error = L"无法启动下载线程";
        ErrorLog::Write(L"[更新] 下载失败：%ls", error.c_str());
        SetStatus(state, (L"下载失败：" + error).c_str());
        ShowMessageBox(state.window, (L"下载失败：\n" + error).c_str(), L"在线更新", MB_ICONWARNING);
    }
}

}  // namespace

void DownloadWorker(DownloadJob& job)
{
    RunDownload(job);
    if (!job.cancel.cancelled()) {
        PostMessageW(job.window, WM_APP_DOWNLOAD_DONE, job.number, 0);
    }
}

bool Sha256File(const std::wstring& path, std::string& digest)
{
    digest.clear();
    BCRYPT_ALG_HANDLE opened = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        return false;
    }
    const AlgorithmHandle algorithm(opened);
    const DWORD objectLength = ReadHashProperty(algorithm.get(), BCRYPT_OBJECT_LENGTH);
    const DWORD digestLength = ReadHashProperty(algorithm.get(), BCRYPT_HASH_LENGTH);
    if (objectLength == 0 || digestLength == 0) {
        return false;
    }
    std::vector<UCHAR> hashObject(objectLength, 0);
    std::vector<UCHAR> digestBytes(digestLength, 0);
    BCRYPT_HASH_HANDLE created = nullptr;
    if (!BCRYPT_SUCCESS(BCryptCreateHash(algorithm.get(), &created, hashObject.data(), objectLength, nullptr, 0, 0))) {
        return false;
    }
    // Declared after the hash object it lives in, so it is destroyed first.
    const HashHandle hash(created);
    const FileStream input(_wfopen(path.c_str(), L"rb"));
    if (!input) {
        return false;
    }
    std::vector<UCHAR> chunk(65536);
    for (;;) {
        const size_t got = fread(chunk.data(), 1, chunk.size(), input.get());
        if (got == 0) {
            break;
        }
        if (!BCRYPT_SUCCESS(BCryptHashData(hash.get(), chunk.data(), static_cast<ULONG>(got), 0))) {
            return false;
        }
    }
    // A read error must not pass for the end of the file: the digest of a prefix is no digest.
    if (ferror(input.get())) {
        return false;
    }
    if (!BCRYPT_SUCCESS(BCryptFinishHash(hash.get(), digestBytes.data(), digestLength, 0))) {
        return false;
    }
    digest = HexDigest(digestBytes.data(), digestBytes.size());
    return true;
}

void RemoveLeftoverDownloads(const std::wstring& folder)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\LorminRecorder_download_*.part").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsTemporaryDownloadName(name)) {
            // Fails for a file that another running instance is still writing: it stays.
            DeleteFileW((folder + L"\\" + name).c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void DownloadUpdate(UpdateDialogState& state)
{
    // An unsafe version never reaches here from a check; refusing it again keeps the file name
    // inside the program's folder whatever the caller.
    if (state.busy || state.version.empty() || !IsAcceptableVersionText(state.version)) {
        return;
    }
    auto job = std::make_shared<DownloadJob>();
    job->url = state.downloadUrl;
    job->folder = GetModuleDir();
    job->finalPath = job->folder + L"\\" + DownloadFileName(state.version);
    job->sha256 = state.sha256;
    RemoveLeftoverDownloads(job->folder);

    if (GetFileAttributesW(job->finalPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (state.sha256.empty()) {
            // Nothing to verify it with: offered, but not as a verified build.
            state.job = job;
            SetStatus(state, L"该版本已存在于本地");
            SetProgress(state, 100);
            OfferToRun(state,
                       L"本地已存在该版本：\n\n" + job->finalPath +
                           L"\n\n服务器没有提供校验值，无法确认这个文件完整、未被改动。\n\n是否立即运行？",
                       MB_ICONWARNING);
            return;
        }
        job->verifyExisting = true;
        SetProgress(state, 0);
        SetStatus(state, L"正在校验本地已有的文件…");
        StartWorker(state, job);
        return;
    }
    SetProgress(state, 0);
    SetStatus(state, L"正在下载…");
    StartWorker(state, job);
}

void CancelDownload(UpdateDialogState& state)
{
    if (!state.busy || state.job == nullptr) {
        return;
    }
    // The worker notices at its next step (at once on Windows, where closing the request ends a
    // blocked call) and removes its temporary file; nothing waits for it here.
    state.job->cancel.cancel();
    state.worker.detach();
    SetBusy(state, false);
    SetProgress(state, 0);
    SetStatus(state, L"已取消");
    ErrorLog::Write(L"[更新] 下载已取消");
}

void OnDownloadProgress(UpdateDialogState& state, unsigned number)
{
    if (!IsCurrent(state, number)) {
        return;
    }
    DownloadJob& job = *state.job;
    job.progressPosted = false;
    const int64_t received = job.received;
    const int64_t total = job.total;
    wchar_t text[192] = {};
    if (total < 1) {
        swprintf(text, 192, L"正在下载… %ls", FormatSize(received).c_str());
    } else {
        const int percent = DownloadPercent(received, total);
        SetProgress(state, percent);
        swprintf(text, 192, L"正在下载… %d%%（%ls / %ls）", percent, FormatSize(received).c_str(),
                 FormatSize(total).c_str());
    }
    SetStatus(state, text);
}

void OnDownloadVerifying(UpdateDialogState& state, unsigned number)
{
    if (IsCurrent(state, number)) {
        SetStatus(state, L"正在校验文件完整性…");
    }
}

void OnDownloadDone(UpdateDialogState& state, unsigned number)
{
    if (!IsCurrent(state, number)) {
        return;
    }
    // The worker posted this as its last step.
    state.worker.join();
    SetBusy(state, false);
    const DownloadJob& job = *state.job;
    switch (job.outcome) {
    case DownloadOutcome::ExistingVerified:
        SetStatus(state, L"该版本已存在于本地");
        SetProgress(state, 100);
        OfferToRun(state, L"本地已存在该版本：\n\n" + job.finalPath + L"\n\n是否立即运行？", MB_ICONQUESTION);
        break;
    case DownloadOutcome::Downloaded:
        SetProgress(state, 100);
        SetStatus(state, L"下载完成");
        OfferToRun(
            state,
            L"新版本已下载完成：\n\n" + job.finalPath +
                L"\n\n新版本与当前版本共用相同的设置，以后双击该文件即可启动；确认新版本正常后，可自行删除旧版本。"
                L"\n\n是否立即运行新版本？",
            MB_ICONINFORMATION);
        break;
    case DownloadOutcome::Rejected:
        SetStatus(state, L"校验失败，文件已丢弃");
        ShowMessageBox(state.window,
                       L"下载到的文件与服务器登记的校验值不一致，已自动丢弃。\n\n可能是下载过程中被篡改或网络中断，"
                       L"请稍后重试。",
                       L"在线更新", MB_ICONERROR);
        break;
    case DownloadOutcome::Cancelled:
        SetProgress(state, 0);
        SetStatus(state, L"已取消");
        break;
    case DownloadOutcome::Failed:
        ErrorLog::Write(L"[更新] 下载失败：%ls", job.errorText.empty() ? L"连接中断" : job.errorText.c_str());
        SetStatus(state, (L"下载失败：" + job.errorText).c_str());
        ShowMessageBox(state.window, (L"下载失败：\n" + job.errorText).c_str(), L"在线更新", MB_ICONWARNING);
        break;
    }
}
