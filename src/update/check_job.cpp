#include "update/check_job.h"

#include "base/error_log.h"
#include "base/text_encoding.h"
#include "update/release_signature.h"
#include "update/update_manifest.h"
#include "update/update_seams.h"
#include "update/update_settings.h"

namespace {

// With a public key built in, only a release signed by the publisher for its version and digest
// is used; its digest is then taken in the signed form for the download's verification.
bool acceptSignedRelease(ManifestFields& fields, UpdateInfo& result)
{
    const ReleaseCheck check = checkReleaseSignature(fields, publisherKeyHexSeam, updateSystemSeam.verifySignature);
    if (check == ReleaseCheck::NotChecked) {
        return true;
    }
    if (check != ReleaseCheck::Valid) {
        result.errorText = releaseRefusalText(check);
        result.refused = isRefusedRelease(check);
        ErrorLog::write(L"[更新] 已拒绝版本 %ls 的更新信息：%ls", utf8ToWide(fields.ver).c_str(),
                        result.errorText.c_str());
        return false;
    }
    normalizeDigest(fields.sha256, fields.sha256);
    ErrorLog::write(L"[更新] 版本 %ls 的发布者签名有效", utf8ToWide(fields.ver).c_str());
    return true;
}

void readCheckResult(CheckJob& job)
{
    UpdateInfo& result = job.result;
    const std::wstring manifestUrl = manifestUrlFor(job.baseUrl);
    std::string body;
    ManifestFields fields;
    if (!httpGetToMemory(manifestUrl, body, result.errorText, &job.cancel)) {
        return;
    }
    if (!readManifest(body, fields)) {
        result.errorText = L"version.json 内容不正确（缺少 ver 或 url 字段）";
        return;
    }
    if (!isAcceptableVersionText(fields.ver)) {
        // The version becomes part of the download's file name; "..\..\x" would place the
        // download outside the program's folder.
        result.errorText = L"version.json 内容不正确（版本号含非法字符）";
        return;
    }
    if (!acceptSignedRelease(fields, result)) {
        return;
    }
    result.version = utf8ToWide(fields.ver);
    result.downloadUrl = resolveUrl(manifestUrl, utf8ToWide(fields.url));
    result.sha256 = utf8ToWide(fields.sha256);
    result.notes = utf8ToWide(fields.note);
    result.ok = true;
}

}  // namespace

void runCheckJob(CheckJob& job)
{
    readCheckResult(job);
    if (!job.cancel.cancelled() && job.done) {
        job.done();
    }
}
