#include "update/update_check.h"

#include <string>

#include "base/error_log.h"
#include "base/message_box.h"
#include "update/check_window.h"
#include "update/download_window.h"
#include "update/release_notes.h"
#include "update/release_signature.h"
#include "update/update_settings.h"

namespace {

// True while a check runs on the user-interface thread (the only thread that starts one).
bool checkRunning = false;

// Set for the length of one check.
class RunningCheck {
public:
    RunningCheck() { checkRunning = true; }
    ~RunningCheck() { checkRunning = false; }
    RunningCheck(const RunningCheck&) = delete;
    RunningCheck& operator=(const RunningCheck&) = delete;
};

}  // namespace

UpdateEnd checkForUpdates(HWND owner, const UpdateLeave* leave)
{
    // The owner is disabled while a check runs, but a second caller (a posted command, the
    // system menu of a window that is not disabled) must not stack a second check on the first.
    if (checkRunning) {
        return UpdateEnd::Stay;
    }
    const RunningCheck running;
    const std::wstring base = selectUpdateBaseUrl();
    if (base.empty()) {
        showMessageBox(
            owner,
            L"本机尚未配置更新服务器地址。\n\n请在本程序所在目录放一个文本文件 LorminRecorder.cfg，写入一行：\n"
            L"    UPDATE_URL=https://你的服务器地址/\n\n（填目录即可，程序会自动请求其中的 version.json）",
            L"在线更新", MB_ICONINFORMATION);
        return UpdateEnd::Stay;
    }
    ErrorLog::write(L"[更新] 开始检查更新，地址 %ls", base.c_str());
    if (publisherKeyHexSeam == nullptr || publisherKeyHexSeam[0] == '\0') {
        ErrorLog::write(L"[更新] 本程序未内置发布者公钥，不校验更新的发布者签名");
    }

    UpdateInfo info;
    if (!runCheckWindow(owner, base, info)) {
        if (info.cancelled) {
            ErrorLog::write(L"[更新] 检查已取消");
            return UpdateEnd::Stay;
        }
        const std::wstring text = info.refused ? refusedReleaseBoxText(info.errorText)
                                               : L"检查更新失败：\n" + info.errorText +
                                                     L"\n\n请确认网络可用。若长期失败，可到官网重新下载最新版本。";
        ErrorLog::write(L"[更新] 检查失败：%ls", info.errorText.c_str());
        showMessageBox(owner, text.c_str(), L"在线更新", MB_ICONWARNING);
        return UpdateEnd::Stay;
    }

    wchar_t own[64] = {};
    getOwnVersion(own, 64);
    ErrorLog::write(L"[更新] 当前 %ls / 服务器 %ls", own, info.version.c_str());
    if (compareVersions(info.version, own) > 0) {
        std::wstring text = L"发现新版本 v" + info.version + L"（当前 v" + own + L"）\n\n";
        if (!info.notes.empty()) {
            text += L"更新说明：\n" + notesForQuestion(info.notes) + L"\n\n";
        }
        text += L"是否立即下载？\n\n· 下载到本程序所在目录，文件名带版本号\n· 不会结束当前程序，也不会覆盖任何现有文件";
        if (showMessageBox(owner, text.c_str(), L"在线更新 - 发现新版本", MB_YESNO | MB_ICONQUESTION) == IDYES) {
            if (runDownloadWindow(owner, info, leave)) {
                return UpdateEnd::NewBuildRunning;
            }
        }
        return UpdateEnd::Stay;
    }
    const std::wstring text = std::wstring(L"当前已是最新版本。\n\n当前版本：v") + own;
    showMessageBox(owner, text.c_str(), L"在线更新", MB_ICONINFORMATION);
    return UpdateEnd::Stay;
}
