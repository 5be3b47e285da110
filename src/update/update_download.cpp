#include "update/update_windows.h"

#include <cstdio>
#include <vector>
#include <windows.h>
#include <bcrypt.h>
#include <commctrl.h>

#include "base/error_log.h"
#include "base/message_box.h"
#include "base/win_owners.h"
#include "update/http_transfer.h"
#include "update/update_manifest.h"
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

HWND DialogWindow(const UpdateDialogState& state)
{
    return state.currentLabel != nullptr ? GetParent(state.currentLabel) : nullptr;
}

void RejectDownload(UpdateDialogState& state, HWND owner, const std::wstring& path)
{
    DeleteFileW(path.c_str());
    SetBusy(state, false);
    SetStatus(state, L"校验失败，文件已丢弃");
    ShowMessageBox(
        owner,
        L"下载到的文件与服务器登记的校验值不一致，已自动丢弃。\n\n可能是下载过程中被篡改或网络中断，请稍后重试。",
        L"在线更新", MB_ICONERROR);
}

}  // namespace

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

void PumpMessages(HWND dialog)
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(0);
            return;
        }
        if (dialog != nullptr && IsDialogMessageW(dialog, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void OnDownloadProgress(void* context, int64_t received, int64_t total)
{
    UpdateDialogState& state = *static_cast<UpdateDialogState*>(context);
    if (state.progressBar != nullptr) {
        wchar_t text[192] = {};
        if (total < 1) {
            swprintf(text, 192, L"正在下载… %ls", FormatSize(received).c_str());
        } else {
            const int percent = DownloadPercent(received, total);
            SendMessageW(state.progressBar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
            swprintf(text, 192, L"正在下载… %d%%（%ls / %ls）", percent, FormatSize(received).c_str(),
                     FormatSize(total).c_str());
        }
        SetStatus(state, text);
    }
    PumpMessages(DialogWindow(state));
}

void DownloadUpdate(UpdateDialogState& state)
{
    // An unsafe version never reaches here from a check; refusing it again keeps the file name
    // inside the program's folder whatever the caller.
    if (state.busy || state.version.empty() || !IsAcceptableVersionText(state.version)) {
        return;
    }
    const HWND owner = DialogWindow(state);
    const std::wstring path = GetModuleDir() + L"\\" + DownloadFileName(state.version);

    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        SetStatus(state, L"该版本已存在于本地");
        SetProgress(state, 100);
        const std::wstring question = L"本地已存在该版本：\n\n" + path + L"\n\n是否立即运行？";
        if (ShowMessageBox(owner, question.c_str(), L"在线更新", MB_YESNO | MB_ICONQUESTION) == IDYES) {
            updateSeams.shellExecute(owner, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        }
        return;
    }

    SetBusy(state, true);
    SetProgress(state, 0);
    SetStatus(state, L"正在下载…");
    std::wstring error;
    if (!HttpGetToFile(state.downloadUrl, path, &OnDownloadProgress, &state, error)) {
        SetBusy(state, false);
        SetStatus(state, (L"下载失败：" + error).c_str());
        ShowMessageBox(owner, (L"下载失败：\n" + error).c_str(), L"在线更新", MB_ICONWARNING);
        return;
    }

    if (!state.sha256.empty()) {
        SetStatus(state, L"正在校验文件完整性…");
        PumpMessages(owner);
        std::string digest;
        if (!updateSeams.hashFile(path, digest)) {
            // Without a digest nothing is known about the file; offering it as verified would
            // start an unchecked program.
            ErrorLog::Write(L"[更新] SHA256 计算失败");
            RejectDownload(state, owner, path);
            return;
        }
        if (!DigestMatches(digest, state.sha256)) {
            RejectDownload(state, owner, path);
            return;
        }
    }

    SetBusy(state, false);
    SetProgress(state, 100);
    SetStatus(state, L"下载完成");
    const std::wstring text =
        L"新版本已下载完成：\n\n" + path +
        L"\n\n新版本与当前版本共用相同的设置，以后双击该文件即可启动；确认新版本正常后，可自行删除旧版本。"
        L"\n\n是否立即运行新版本？";
    if (ShowMessageBox(owner, text.c_str(), L"在线更新", MB_YESNO | MB_ICONINFORMATION) == IDYES) {
        updateSeams.shellExecute(owner, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}
