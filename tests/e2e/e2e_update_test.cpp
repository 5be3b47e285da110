// The online update of LorminRecorder.exe as a user meets it, against a loopback update server:
// download and verification, cancel in both windows, and closing the program during a download.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "base/win_owners.h"
#include "e2e/e2e_app.h"
#include "e2e/e2e_support.h"
#include "support/xdotool.h"

namespace {

constexpr int idUpdateStatus = 5205;
constexpr int idUpdateDownload = 5206;
constexpr int idUpdateClose = 5207;
constexpr wchar_t checkingClass[] = L"LorminUpdChkCls";
constexpr wchar_t updateClass[] = L"LorminUpdCls";

std::vector<std::wstring> filesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            names.emplace_back(found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(E2e, UpdateFromALoopbackServerDownloadsVerifiesAndDiscardsABadBuild)
{
    // A copy of the program in a folder of its own: the configuration file and the downloads
    // live next to the executable.
    const std::wstring folder = folderFor(L"update_app");
    const std::wstring exe = folder + L"\\LorminRecorder.exe";
    const std::wstring config = folder + L"\\LorminRecorder.cfg";
    const std::wstring good = folder + L"\\LorminRecorder_v9.9.9.exe";
    const std::wstring bad = folder + L"\\LorminRecorder_v9.9.8.exe";
    removeFileIfPresent(good);
    removeFileIfPresent(bad);
    ASSERT_TRUE(CopyFileW(appExe().c_str(), exe.c_str(), FALSE));
    LoopbackUpdateServer server;
    ASSERT_TRUE(server.start(targetExe())) << "python3 update_server.py did not start";
    ASSERT_TRUE(writeTextFile(config, "UPDATE_URL=" + wideToUtf8(server.baseUrl(L"good")) + "\r\n"));

    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_update"), exe));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));

    // A newer version: asked, downloaded next to the executable, verified, offered to run.
    ASSERT_TRUE(app.click(idCheckUpdate));
    MessageBoxSeen box;
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"在线更新 - 发现新版本", box, 15000)) << "no offer; error log:\n"
                                                                                          << app.errorLog();
    EXPECT_EQ(box.text.rfind(L"发现新版本 v9.9.9（当前 v2.0.0）\n\n更新说明：\ne2e build\n\n是否立即下载？", 0), 0u)
        << wideToUtf8(box.text);
    ASSERT_TRUE(answerMessageBox(box, IDYES));
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"在线更新", box, 20000)) << app.errorLog();
    EXPECT_EQ(box.text.rfind(L"新版本已下载完成：\n\n" + good + L"\n\n", 0), 0u) << wideToUtf8(box.text);
    EXPECT_NE(box.text.find(L"\n\n是否立即运行新版本？"), std::wstring::npos) << wideToUtf8(box.text);
    EXPECT_TRUE(fileExists(good));
    EXPECT_EQ(readFileBytes(good), readFileBytes(targetExe())) << "the downloaded build is the served one";
    ASSERT_TRUE(answerMessageBox(box, IDNO));
    HWND updateWindow = waitForTopLevel(app.processId(), L"LorminUpdCls", nullptr, 3000);
    ASSERT_NE(updateWindow, nullptr);
    EXPECT_EQ(controlText(updateWindow, 5205), L"下载完成");
    ASSERT_TRUE(clickControl(updateWindow, 5207));
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(updateWindow); }, 3000));

    // A build whose digest does not match: reported, and nothing is left behind.
    ASSERT_TRUE(writeTextFile(config, "UPDATE_URL=" + wideToUtf8(server.baseUrl(L"bad")) + "\r\n"));
    ASSERT_TRUE(app.click(idCheckUpdate));
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"在线更新 - 发现新版本", box, 15000)) << app.errorLog();
    ASSERT_TRUE(answerMessageBox(box, IDYES));
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"在线更新", box, 20000)) << app.errorLog();
    EXPECT_EQ(
        box.text,
        L"下载到的文件与服务器登记的校验值不一致，已自动丢弃。\n\n可能是下载过程中被篡改或网络中断，请稍后重试。");
    EXPECT_FALSE(fileExists(bad)) << "the bad build was left behind";
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    updateWindow = waitForTopLevel(app.processId(), L"LorminUpdCls", nullptr, 3000);
    ASSERT_NE(updateWindow, nullptr);
    EXPECT_EQ(controlText(updateWindow, 5205), L"校验失败，文件已丢弃");
    ASSERT_TRUE(clickControl(updateWindow, 5207));
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(updateWindow); }, 3000));
    const std::vector<std::wstring> leftovers = filesIn(folder);
    const std::vector<std::wstring> expected = {L".", L"..", L"LorminRecorder.cfg", L"LorminRecorder.exe",
                                                L"LorminRecorder_v9.9.9.exe"};
    EXPECT_EQ(leftovers, expected) << "only the verified build is new in the folder";

    ASSERT_TRUE(app.closeWithKeyboard());
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code));
    EXPECT_EQ(code, 0u);
    removeFileIfPresent(config);
}

TEST_F(E2e, UpdateCancelsInBothWindowsAndTheProgramClosesPromptlyDuringADownload)
{
    const std::wstring folder = folderFor(L"update_cancel_app");
    const std::wstring exe = folder + L"\\LorminRecorder.exe";
    const std::wstring config = folder + L"\\LorminRecorder.cfg";
    const std::wstring slow = folder + L"\\LorminRecorder_v9.9.7.exe";
    removeFileIfPresent(slow);
    ASSERT_TRUE(CopyFileW(appExe().c_str(), exe.c_str(), FALSE));
    LoopbackUpdateServer server;
    ASSERT_TRUE(server.start(targetExe())) << "python3 update_server.py did not start";
    ASSERT_TRUE(writeTextFile(config, "UPDATE_URL=" + wideToUtf8(server.baseUrl(L"silent")) + "\r\n"));

    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_update_cancel"), exe));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));

    // A server that never answers: the checking window holds the main window disabled until
    // Esc, pressed like a user, ends it at once and without a message.
    ASSERT_TRUE(app.click(idCheckUpdate));
    HWND checking = waitForTopLevel(app.processId(), checkingClass, nullptr, 5000);
    ASSERT_NE(checking, nullptr);
    EXPECT_FALSE(IsWindowEnabled(app.window)) << "the main window is disabled while a check runs";
    EXPECT_EQ(GetWindow(checking, GW_OWNER), app.window);
    ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == checking; }, 3000));
    ASSERT_TRUE(pressKeys(L"Escape"));
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(checking); }, 1000)) << "the check did not end within a second";
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(app.window) != FALSE; }, 1000));
    Sleep(300);
    EXPECT_EQ(openDialogCount(app.processId()), 0u) << "a cancelled check shows no message";

    // A download that trickles in: "取消" stops it at once and says so; a new attempt starts.
    ASSERT_TRUE(writeTextFile(config, "UPDATE_URL=" + wideToUtf8(server.baseUrl(L"slow")) + "\r\n"));
    ASSERT_TRUE(app.click(idCheckUpdate));
    MessageBoxSeen box;
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"在线更新 - 发现新版本", box, 15000)) << app.errorLog();
    ASSERT_TRUE(answerMessageBox(box, IDYES));
    HWND update = waitForTopLevel(app.processId(), updateClass, nullptr, 5000);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(waitUntil([&] { return controlText(update, idUpdateStatus).rfind(L"正在下载… ", 0) == 0; }, 10000))
        << wideToUtf8(controlText(update, idUpdateStatus));
    EXPECT_EQ(controlText(update, idUpdateClose), L"取消");
    EXPECT_FALSE(controlEnabled(update, idUpdateDownload));
    ASSERT_TRUE(clickControl(update, idUpdateClose));
    EXPECT_TRUE(waitUntil([&] { return controlText(update, idUpdateStatus) == L"已取消"; }, 1000))
        << wideToUtf8(controlText(update, idUpdateStatus));
    EXPECT_EQ(controlText(update, idUpdateClose), L"关闭");
    ASSERT_TRUE(waitUntil([&] { return controlEnabled(update, idUpdateDownload); }, 1000));
    ASSERT_TRUE(clickControl(update, idUpdateDownload));
    ASSERT_TRUE(waitUntil([&] { return controlText(update, idUpdateStatus).rfind(L"正在下载… ", 0) == 0; }, 10000));

    // The program is closed while the download runs (as the taskbar or a shutdown would close
    // its disabled main window): it cancels the download and exits within moments.
    const ULONGLONG closedAt = GetTickCount64();
    ASSERT_TRUE(PostMessageW(app.window, WM_CLOSE, 0, 0));
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(3000, code)) << "the program is still running";
    const ULONGLONG exitedAt = GetTickCount64();
    EXPECT_EQ(code, 0u);
    EXPECT_LT(exitedAt - closedAt, 2000u) << "exit took " << exitedAt - closedAt << " ms";
    std::printf("[ measured ] program exit %llu ms after WM_CLOSE during a download\n",
                static_cast<unsigned long long>(exitedAt - closedAt));
    EXPECT_FALSE(fileExists(slow)) << "an unfinished download never takes the final name";
    removeFileIfPresent(config);
}

RECT rectInParent(HWND control)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_F(E2e, UpdateWindowsFollowTheScreenScale)
{
    const std::wstring folder = folderFor(L"update_dpi_app");
    const std::wstring exe = folder + L"\\LorminRecorder.exe";
    const std::wstring config = folder + L"\\LorminRecorder.cfg";
    ASSERT_TRUE(CopyFileW(appExe().c_str(), exe.c_str(), FALSE));
    LoopbackUpdateServer server;
    ASSERT_TRUE(server.start(targetExe())) << "python3 update_server.py did not start";
    // Outer sizes and the rectangle of the first label ("当前版本：") and of the cancel button.
    const struct {
        DWORD dpi;
        SIZE checking;
        RECT cancel;
        SIZE update;
        RECT label;
    } scales[] = {{96, {400, 150}, {272, 78, 362, 104}, {524, 340}, {24, 18, 104, 38}},
                  {144, {600, 225}, {408, 117, 543, 156}, {786, 510}, {36, 27, 156, 57}}};
    for (const auto& scale : scales) {
        SCOPED_TRACE("dpi " + std::to_string(scale.dpi));
        ScreenScale screen(scale.dpi);
        ASSERT_TRUE(screen.ok);
        ASSERT_TRUE(writeTextFile(config, "UPDATE_URL=" + wideToUtf8(server.baseUrl(L"silent")) + "\r\n"));
        App app;
        ASSERT_TRUE(app.start(folderFor(L"appdata_update_dpi"), exe));
        ASSERT_TRUE(app.waitStatus(readyStatus, 10000));

        ASSERT_TRUE(app.click(idCheckUpdate));
        const HWND checking = waitForTopLevel(app.processId(), checkingClass, nullptr, 5000);
        ASSERT_NE(checking, nullptr);
        const RECT outer = screenRect(checking);
        EXPECT_EQ(outer.right - outer.left, scale.checking.cx);
        EXPECT_EQ(outer.bottom - outer.top, scale.checking.cy);
        const RECT cancel = rectInParent(GetDlgItem(checking, 5303));
        EXPECT_TRUE(EqualRect(&cancel, &scale.cancel))
            << cancel.left << "," << cancel.top << "," << cancel.right << "," << cancel.bottom;
        const std::wstring shot = outputFolder() + L"\\checking_window_" + std::to_wstring(scale.dpi) + L"dpi.png";
        EXPECT_TRUE(saveScreenshot(shot));
        ASSERT_TRUE(clickControl(checking, 5303));
        ASSERT_TRUE(waitUntil([&] { return !IsWindow(checking); }, 2000));

        ASSERT_TRUE(writeTextFile(config, "UPDATE_URL=" + wideToUtf8(server.baseUrl(L"slow")) + "\r\n"));
        ASSERT_TRUE(app.click(idCheckUpdate));
        MessageBoxSeen box;
        ASSERT_TRUE(waitForMessageBox(app.processId(), L"在线更新 - 发现新版本", box, 15000)) << app.errorLog();
        ASSERT_TRUE(answerMessageBox(box, IDYES));
        const HWND update = waitForTopLevel(app.processId(), updateClass, nullptr, 5000);
        ASSERT_NE(update, nullptr);
        const RECT updateOuter = screenRect(update);
        EXPECT_EQ(updateOuter.right - updateOuter.left, scale.update.cx);
        EXPECT_EQ(updateOuter.bottom - updateOuter.top, scale.update.cy);
        const RECT label = rectInParent(GetWindow(update, GW_CHILD));
        EXPECT_TRUE(EqualRect(&label, &scale.label))
            << label.left << "," << label.top << "," << label.right << "," << label.bottom;
        const std::wstring updateShot = outputFolder() + L"\\update_window_" + std::to_wstring(scale.dpi) + L"dpi.png";
        EXPECT_TRUE(saveScreenshot(updateShot));
        ASSERT_TRUE(PostMessageW(app.window, WM_CLOSE, 0, 0));
        DWORD code = 1234;
        ASSERT_TRUE(app.waitForExit(5000, code));
        EXPECT_EQ(code, 0u);
    }
    removeFileIfPresent(config);
    removeFileIfPresent(folder + L"\\LorminRecorder_v9.9.7.exe");
}

// Visible windows of the program's class that belong to another process than processId.
std::vector<HWND> otherProgramWindows(DWORD processId)
{
    std::vector<HWND> found;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, appClass, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != processId && IsWindowVisible(window)) {
            found.push_back(window);
        }
    }
    return found;
}

// The downloaded build (the program itself, served as version 9.9.9) runs as the session's window
// and this one closes; unsaved events are asked about first, and 取消 there starts nothing.
TEST_F(E2e, RunningTheDownloadedBuildLeavesOneRecorder)
{
    const std::wstring folder = folderFor(L"update_run_app");
    const std::wstring exe = folder + L"\\LorminRecorder.exe";
    const std::wstring config = folder + L"\\LorminRecorder.cfg";
    const std::wstring newBuild = folder + L"\\LorminRecorder_v9.9.9.exe";
    removeFileIfPresent(newBuild);
    ASSERT_TRUE(CopyFileW(appExe().c_str(), exe.c_str(), FALSE));
    LoopbackUpdateServer server;
    ASSERT_TRUE(server.start(appExe())) << "python3 update_server.py did not start";
    ASSERT_TRUE(writeTextFile(config, "UPDATE_URL=" + wideToUtf8(server.baseUrl(L"good")) + "\r\n"));
    const std::wstring appData = folderFor(L"appdata_update_run");
    App app;
    ASSERT_TRUE(app.start(appData, exe));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));

    // Unsaved events: a few moves recorded away from the window.
    ASSERT_TRUE(app.activate());
    ASSERT_TRUE(pressKeys(L"F8"));
    ASSERT_TRUE(app.waitStatus(L"● 录制中...", 5000)) << wideToUtf8(app.status());
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(moveMouse(900 + 30 * i, 700 + 20 * i));
        Sleep(100);
    }
    ASSERT_TRUE(pressKeys(L"F9"));
    ASSERT_TRUE(app.waitStatusPrefix(L"已停止 (", 5000)) << wideToUtf8(app.status());
    const std::vector<std::wstring> recorded = app.rows();
    ASSERT_FALSE(recorded.empty());

    ASSERT_TRUE(app.click(idCheckUpdate));
    MessageBoxSeen box;
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"在线更新 - 发现新版本", box, 15000)) << app.errorLog();
    ASSERT_TRUE(answerMessageBox(box, IDYES));
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"在线更新", box, 30000)) << app.errorLog();
    EXPECT_NE(box.text.find(L"是否立即运行新版本？"), std::wstring::npos) << wideToUtf8(box.text);
    HWND updateWindow = waitForTopLevel(app.processId(), updateClass, nullptr, 3000);
    ASSERT_NE(updateWindow, nullptr);

    // 取消 at the question about the unsaved events: nothing starts, everything stays.
    ASSERT_TRUE(answerMessageBox(box, IDYES));
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"关闭", box, 5000)) << app.errorLog();
    EXPECT_EQ(box.text, L"当前脚本尚未保存，是否保存？\n\n选「否」将直接退出，本次录制的内容会丢失。");
    ASSERT_TRUE(answerMessageBox(box, IDCANCEL));
    Sleep(2000);
    EXPECT_TRUE(otherProgramWindows(app.processId()).empty()) << "the new build started after 取消";
    EXPECT_TRUE(app.running());
    EXPECT_EQ(app.rows(), recorded);
    EXPECT_EQ(controlText(updateWindow, idUpdateStatus), L"下载完成");

    // Once more, answering 否: the new build shows its window and this one exits.
    ASSERT_TRUE(clickControl(updateWindow, idUpdateDownload));
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"在线更新", box, 30000)) << app.errorLog();
    EXPECT_EQ(box.text, L"本地已存在该版本：\n\n" + newBuild + L"\n\n是否立即运行？");
    ASSERT_TRUE(answerMessageBox(box, IDYES));
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"关闭", box, 5000)) << app.errorLog();
    ASSERT_TRUE(answerMessageBox(box, IDNO));
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(40000, code)) << "the old window stayed; log:\n" << app.errorLog();
    EXPECT_EQ(code, 0u);
    const std::vector<HWND> others = otherProgramWindows(app.processId());
    ASSERT_EQ(others.size(), 1u) << "one recorder after the update";
    DWORD newProcessId = 0;
    GetWindowThreadProcessId(others.front(), &newProcessId);
    const KernelHandle newProcess(OpenProcess(SYNCHRONIZE, FALSE, newProcessId));
    const std::string log = app.errorLog();
    EXPECT_NE(log.find("[更新] 新版本的窗口已出现，本窗口关闭"), std::string::npos) << log;

    // The new build is the session's window: a later start hands over to it.
    ChildProcess later;
    ASSERT_TRUE(later.start(appExe(), L"", {{L"LOCALAPPDATA", appData}}));
    ASSERT_TRUE(later.waitForExit(15000, code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(otherProgramWindows(app.processId()).size(), 1u);

    ASSERT_TRUE(PostMessageW(others.front(), WM_CLOSE, 0, 0));
    EXPECT_EQ(WaitForSingleObject(newProcess.get(), 15000), WAIT_OBJECT_0);
    removeFileIfPresent(config);
    removeFileIfPresent(newBuild);
}

}  // namespace
