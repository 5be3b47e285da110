#include "update/update_check.h"

#include <string>

#include "base/error_log.h"
#include "base/message_box.h"
#include "base/text_encoding.h"
#include "update/http_transfer.h"
#include "update/release_notes.h"
#include "update/release_signature.h"
#include "update/update_manifest.h"
#include "update/update_messages.h"
#include "update/update_settings.h"
#include "update/update_windows.h"

namespace {

// With a public key built in, only a release signed by the publisher for its version and digest
// is used; its digest is then taken in the signed form for the download's verification.
bool AcceptSignedRelease(ManifestFields& fields, UpdateInfo& result)
{
    const ReleaseCheck check = CheckReleaseSignature(fields, updatePublicKeyHex, updateSeams.verifySignature);
    if (check == ReleaseCheck::NotChecked) {
        return true;
    }
    if (check != ReleaseCheck::Valid) {
        result.errorText = ReleaseRefusalText(check);
        ErrorLog::Write(L"[更新] 已拒绝版本 %ls 的更新信息：%ls", utf8ToWide(fields.ver).c_str(),
                        result.errorText.c_str());
        return false;
    }
    NormalizeDigest(fields.sha256, fields.sha256);
    ErrorLog::Write(L"[更新] 版本 %ls 的发布者签名有效", utf8ToWide(fields.ver).c_str());
    return true;
}

}  // namespace

void CheckWorker(CheckJob& job)
{
    const std::wstring manifestUrl = ManifestUrlFor(job.baseUrl);
    std::string body;
    ManifestFields fields;
    if (!HttpGetToMemory(manifestUrl, body, job.result.errorText, &job.cancel)) {
        job.result.ok = false;
    } else if (!ReadManifest(body, fields)) {
        job.result.errorText = L"version.json 内容不正确（缺少 ver 或 url 字段）";
        job.result.ok = false;
    } else if (!IsAcceptableVersionText(fields.ver)) {
        // The version becomes part of the download's file name; "..\..\x" would place the
        // download outside the program's folder.
        job.result.errorText = L"version.json 内容不正确（版本号含非法字符）";
        job.result.ok = false;
    } else if (!AcceptSignedRelease(fields, job.result)) {
        job.result.ok = false;
    } else {
        job.result.version = utf8ToWide(fields.ver);
        job.result.downloadUrl = ResolveUrl(manifestUrl, utf8ToWide(fields.url));
        job.result.sha256 = utf8ToWide(fields.sha256);
        job.result.notes = utf8ToWide(fields.note);
        job.result.ok = true;
    }
    // A cancelled check's window is gone; its handle may already name another window.
    if (!job.cancel.cancelled()) {
        PostMessageW(job.window, WM_APP_CHECK_DONE, 0, 0);
    }
}

void CheckForUpdates(HWND owner)
{
    // The owner is disabled while a check runs, but a second caller (a posted command, the
    // system menu of a window that is not disabled) must not stack a second check on the first.
    static bool running = false;
    if (running) {
        return;
    }
    struct RunningMark {
        RunningMark() { running = true; }
        ~RunningMark() { running = false; }
    } mark;
    const std::wstring base = SelectUpdateBaseUrl();
    if (base.empty()) {
        ShowMessageBox(
            owner,
            L"本机尚未配置更新服务器地址。\n\n请在本程序所在目录放一个文本文件 LorminRecorder.cfg，写入一行：\n"
            L"    UPDATE_URL=https://你的服务器地址/\n\n（填目录即可，程序会自动请求其中的 version.json）",
            L"在线更新", MB_ICONINFORMATION);
        return;
    }
    ErrorLog::Write(L"[更新] 开始检查更新，地址 %ls", base.c_str());
    if (updatePublicKeyHex == nullptr || updatePublicKeyHex[0] == '\0') {
        ErrorLog::Write(L"[更新] 本程序未内置发布者公钥，不校验更新的发布者签名");
    }

    UpdateInfo info;
    if (!RunCheckWindow(owner, base, info)) {
        if (info.cancelled) {
            ErrorLog::Write(L"[更新] 检查已取消");
            return;
        }
        const std::wstring text =
            L"检查更新失败：\n" + info.errorText + L"\n\n请确认网络可用。若长期失败，可到官网重新下载最新版本。";
        ErrorLog::Write(L"[更新] 检查失败：%ls", info.errorText.c_str());
        ShowMessageBox(owner, text.c_str(), L"在线更新", MB_ICONWARNING);
        return;
    }

    wchar_t own[64] = {};
    GetOwnVersion(own, 64);
    ErrorLog::Write(L"[更新] 当前 %ls / 服务器 %ls", own, info.version.c_str());
    if (CompareVersions(info.version, own) > 0) {
        std::wstring text = L"发现新版本 v" + info.version + L"（当前 v" + own + L"）\n\n";
        if (!info.notes.empty()) {
            text += L"更新说明：\n" + NotesForQuestion(info.notes) + L"\n\n";
        }
        text += L"是否立即下载？\n\n· 下载到本程序所在目录，文件名带版本号\n· 不会结束当前程序，也不会覆盖任何现有文件";
        if (ShowMessageBox(owner, text.c_str(), L"在线更新 - 发现新版本", MB_YESNO | MB_ICONQUESTION) == IDYES) {
            RunUpdateDialog(owner, info);
        }
        return;
    }
    const std::wstring text = std::wstring(L"当前已是最新版本。\n\n当前版本：v") + own;
    ShowMessageBox(owner, text.c_str(), L"在线更新", MB_ICONINFORMATION);
}
