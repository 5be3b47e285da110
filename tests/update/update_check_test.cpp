// The whole update road on real windows under wine, against a loopback server: the check, its
// messages and log lines, the checking window, the update window, the download and its digest.
#include "update_test_fixture.h"

namespace {
TEST_F(UpdateCheckTest, EqualAndOlderVersionsAreUpToDate)
{
    ASSERT_EQ(ownVersion(), "2.0.3");  // the test program's own version resource
    for (const char* offered : {"2.0.3", "1.9", "2.0.2.99"}) {
        boxes.shown.clear();
        manifest(std::string("{\"ver\": \"") + offered + "\", \"url\": \"x.exe\"}");
        checkForUpdates(nullptr);
        ASSERT_EQ(boxes.shown.size(), 1u) << offered;
        EXPECT_EQ(boxes.shown[0].text, upToDatePrefix + L"2.0.3") << offered;
        EXPECT_EQ(boxes.shown[0].caption, L"在线更新");
        EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_ICONINFORMATION));
    }
    const std::string log = newLogLines();
    EXPECT_NE(log.find("[更新] 开始检查更新，地址 " + wideToUtf8(server.url(L"/rel/"))), std::string::npos) << log;
    EXPECT_NE(log.find("[更新] 当前 2.0.3 / 服务器 1.9"), std::string::npos) << log;
    EXPECT_EQ(requestsFor("/rel/x.exe"), 0u);
}

TEST_F(UpdateCheckTest, NewerVersionAsksWithOrWithoutNotesAndNoDeclinesTheDownload)
{
    manifest("{\n  \"url\" : \"LorminRecorder_new.exe\",\n  \"note\": \"修复若干问题\",\n  \"ver\":\"2.1.0\"\n}");
    checkForUpdates(nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, L"发现新版本 v2.1.0（当前 v2.0.3）\n\n更新说明：\n修复若干问题\n\n" + questionTail);
    EXPECT_EQ(boxes.shown[0].caption, L"在线更新 - 发现新版本");
    EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));

    boxes.shown.clear();
    manifest("{\"ver\": \"2.1.0\", \"url\": \"a.exe\", \"note\": \"\"}");
    checkForUpdates(nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, L"发现新版本 v2.1.0（当前 v2.0.3）\n\n" + questionTail);
    EXPECT_EQ(requestsFor("/rel/a.exe"), 0u) << "No downloads nothing";
    EXPECT_FALSE(fileExists(downloadPath(L"2.1.0")));
}

TEST_F(UpdateCheckTest, FailuresEndInTheWarningAndTheLog)
{
    struct Case {
        const char* name;
        std::function<void(UpdateCheckTest&)> arrange;
        std::wstring middle;
    } cases[] = {
        {"missing url", [](UpdateCheckTest& t) { t.manifest("{\"ver\": \"2.1.0\"}"); },
         L"version.json 内容不正确（缺少 ver 或 url 字段）"},
        {"404", [](UpdateCheckTest& t) { t.server.answer("/rel/version.json", makeAnswer(404, "gone")); },
         L"更新服务器返回错误码 404"},
        {"path traversal", [](UpdateCheckTest& t) { t.manifest("{\"ver\": \"..\\\\..\\\\x\", \"url\": \"x.exe\"}"); },
         L"version.json 内容不正确（版本号含非法字符）"},
        {"unreachable",
         [](UpdateCheckTest& t) { t.configure(L"http://127.0.0.1:" + std::to_wstring(unusedLoopbackPort()) + L"/"); },
         L"无法访问更新服务器（连接超时或地址不可达）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.shown.clear();
        configure(server.url(L"/rel/"));
        c.arrange(*this);
        logBefore = readLog().size();
        checkForUpdates(nullptr);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text,
                  L"检查更新失败：\n" + c.middle + L"\n\n请确认网络可用。若长期失败，可到官网重新下载最新版本。")
            << narrow(boxes.shown[0].text);
        EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_ICONWARNING));
        EXPECT_NE(newLogLines().find("[更新] 检查失败：" + wideToUtf8(c.middle)), std::string::npos) << newLogLines();
    }
    EXPECT_FALSE(fileExists(getModuleDir() + L"\\..\\..\\x"));
}

TEST_F(UpdateCheckTest, VersionGivenAsANumberTakesTheNextQuotedText)
{
    // The scanner takes the next double-quoted text after the colon: here the name "url".
    manifest("{\"ver\": 3, \"url\": \"x.exe\"}");
    checkForUpdates(nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, upToDatePrefix + L"2.0.3") << narrow(boxes.shown[0].text);
    EXPECT_NE(newLogLines().find("[更新] 当前 2.0.3 / 服务器 url"), std::string::npos) << newLogLines();
}

TEST_F(UpdateCheckTest, RelativeAndAbsoluteUrlsDownloadVerifyAndOfferToRun)
{
    const std::string build = patternBytes(300000);
    const std::string digest = sha256Hex(build);
    server.answer("/rel/builds/new.exe", makeAnswer(200, build));
    server.answer("/elsewhere/new.exe", makeAnswer(200, build));
    struct Case {
        std::string url;
        std::string requested;
    } cases[] = {{"builds/new.exe", "/rel/builds/new.exe"},
                 {wideToUtf8(server.url(L"/elsewhere/new.exe")), "/elsewhere/new.exe"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        DeleteFileW(downloadPath(L"2.1.0").c_str());
        boxes.shown.clear();
        startedPrograms.clear();
        const size_t before = requestsFor(c.requested);
        manifest("{\"ver\": \"2.1.0\", \"url\": \"" + c.url + "\", \"sha256\": \"" + digest + "\"}");
        boxes.answers = {IDYES, IDYES};
        checkForUpdates(nullptr);
        EXPECT_EQ(requestsFor(c.requested), before + 1);
        ASSERT_EQ(boxes.shown.size(), 2u);
        const std::wstring path = downloadPath(L"2.1.0");
        EXPECT_EQ(boxes.shown[1].text.rfind(L"新版本已下载完成：\n\n" + path + L"\n\n", 0), 0u)
            << narrow(boxes.shown[1].text);
        EXPECT_NE(boxes.shown[1].text.find(L"\n\n是否立即运行新版本？"), std::wstring::npos);
        EXPECT_EQ(boxes.shown[1].type, static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION));
        EXPECT_EQ(boxes.shown[1].updateStatus, L"下载完成");
        EXPECT_EQ(boxes.shown[1].updateProgress, 100);
        EXPECT_EQ(boxes.shown[1].current, L"2.0.3");
        EXPECT_EQ(boxes.shown[1].latest, L"最新版本：2.1.0");
        EXPECT_EQ(boxes.shown[1].notes, L"（本次更新无说明）");
        std::string saved;
        ASSERT_TRUE(readWholeFile(path, saved));
        EXPECT_TRUE(saved == build);
        ASSERT_EQ(startedPrograms.size(), 1u);
        EXPECT_EQ(startedPrograms[0], L"open " + path);
    }
}

TEST_F(UpdateCheckTest, DigestsMatchIgnoringCaseAndBlanksAndMismatchesAreDeleted)
{
    const std::string build = patternBytes(70000);
    std::string digest = sha256Hex(build);
    std::string upperSpaced;
    for (size_t i = 0; i < digest.size(); ++i) {
        upperSpaced += static_cast<char>(toupper(static_cast<unsigned char>(digest[i])));
        if (i % 8 == 7) {
            upperSpaced += i % 16 == 15 ? "\t" : " ";
        }
    }
    std::string corrupted = digest;
    corrupted[10] = corrupted[10] == '0' ? '1' : '0';
    server.answer("/rel/b.exe", makeAnswer(200, build));
    struct Case {
        const char* name;
        std::string expected;
        bool kept;
    } cases[] = {{"upper case with spaces and tabs", upperSpaced, true},
                 {"no digest", "", true},
                 {"blanks only", "   ", false},
                 {"another file's digest", corrupted, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(downloadPath(L"2.1.0").c_str());
        boxes.shown.clear();
        manifest("{\"ver\": \"2.1.0\", \"url\": \"b.exe\", \"sha256\": \"" + c.expected + "\"}");
        boxes.answers = {IDYES, IDNO};
        checkForUpdates(nullptr);
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(fileExists(downloadPath(L"2.1.0")), c.kept);
        if (c.kept) {
            EXPECT_EQ(boxes.shown[1].updateStatus, L"下载完成");
        } else {
            EXPECT_EQ(boxes.shown[1].updateStatus, L"校验失败，文件已丢弃");
            EXPECT_EQ(boxes.shown[1].text, L"下载到的文件与服务器登记的校验值不一致，已自动丢弃。\n\n可能是下载过程中被"
                                           L"篡改或网络中断，请稍后重试。");
            EXPECT_EQ(boxes.shown[1].type, static_cast<UINT>(MB_ICONERROR));
        }
    }
}

bool failingHash(const std::wstring&, std::string& digest)
{
    digest.clear();
    return false;
}

TEST_F(UpdateCheckTest, DigestThatCannotBeComputedIsAFailedVerification)
{
    const std::string build = patternBytes(1000);
    server.answer("/rel/c.exe", makeAnswer(200, build));
    manifest("{\"ver\": \"2.1.0\", \"url\": \"c.exe\", \"sha256\": \"" + sha256Hex(build) + "\"}");
    ScopedSeam failing(updateSystemSeam.hashFile, &failingHash);
    boxes.answers = {IDYES, IDYES};
    checkForUpdates(nullptr);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].updateStatus, L"校验失败，文件已丢弃");
    EXPECT_FALSE(fileExists(downloadPath(L"2.1.0")));
    EXPECT_TRUE(startedPrograms.empty()) << "an unverified build is never started";
    EXPECT_NE(newLogLines().find("[更新] SHA256 计算失败"), std::string::npos) << newLogLines();
}

TEST_F(UpdateCheckTest, ExistingFileIsOfferedWithoutARequest)
{
    ASSERT_TRUE(writeWholeFile(downloadPath(L"9.9.9"), "already here"));
    manifest("{\"ver\": \"9.9.9\", \"url\": \"d.exe\", \"note\": \"第一行\\n第二行\"}");
    boxes.answers = {IDYES, IDYES};
    checkForUpdates(nullptr);
    EXPECT_EQ(requestsFor("/rel/d.exe"), 0u);
    ASSERT_EQ(boxes.shown.size(), 2u);
    // Without a published digest the file cannot be verified, and the offer says so.
    EXPECT_EQ(boxes.shown[1].text, L"本地已存在该版本：\n\n" + downloadPath(L"9.9.9") +
                                       L"\n\n服务器没有提供校验值，无法确认这个文件完整、未被改动。\n\n是否立即运行？");
    EXPECT_EQ(boxes.shown[1].type, static_cast<UINT>(MB_YESNO | MB_ICONWARNING));
    EXPECT_EQ(boxes.shown[1].updateStatus, L"该版本已存在于本地");
    EXPECT_EQ(boxes.shown[1].updateProgress, 100);
    EXPECT_EQ(boxes.shown[1].notes, L"第一行\r\n第二行") << "a JSON manifest's escapes are decoded";
    ASSERT_EQ(startedPrograms.size(), 1u);
    std::string kept;
    ASSERT_TRUE(readWholeFile(downloadPath(L"9.9.9"), kept));
    EXPECT_EQ(kept, "already here") << "an existing file is never overwritten";
}

TEST_F(UpdateCheckTest, FailedDownloadLeavesNothingAndReportsIt)
{
    server.answer("/rel/e.exe", makeAnswer(404, "no"));
    manifest("{\"ver\": \"2.1.0\", \"url\": \"e.exe\"}");
    boxes.answers = {IDYES};
    checkForUpdates(nullptr);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, L"下载失败：\n下载失败，服务器返回错误码 404");
    EXPECT_EQ(boxes.shown[1].updateStatus, L"下载失败：下载失败，服务器返回错误码 404");
    EXPECT_FALSE(fileExists(downloadPath(L"2.1.0")));
}

// Runs while the update window runs a download: checks the busy state.
struct BusyProbe {
    int observations = 0;
    int downloadDisabled = 0;
    int cancelOffered = 0;
} busyProbe;

void CALLBACK probeUpdateWindow(HWND, UINT, UINT_PTR, DWORD)
{
    HWND window = updateWindow();
    if (window == nullptr || textOf(GetDlgItem(window, IDC_UPD_STATUS)).rfind(L"正在下载… ", 0) != 0) {
        return;
    }
    ++busyProbe.observations;
    if (!IsWindowEnabled(GetDlgItem(window, IDC_UPD_DOWNLOAD))) {
        ++busyProbe.downloadDisabled;
    }
    if (IsWindowEnabled(GetDlgItem(window, IDC_UPD_CLOSE)) && textOf(GetDlgItem(window, IDC_UPD_CLOSE)) == L"取消") {
        ++busyProbe.cancelOffered;
    }
}

TEST_F(UpdateCheckTest, BusyDownloadDisablesDownloadOffersCancelAndShowsProgress)
{
    // Large enough that the transfer takes many chunks and many progress messages.
    const std::string build = patternBytes(24 * 1024 * 1024);
    server.answer("/rel/big.exe", makeAnswer(200, build));
    manifest("{\"ver\": \"3.0.0\", \"url\": \"big.exe\"}");
    busyProbe = BusyProbe{};
    const UINT_PTR timer = SetTimer(nullptr, 0, 1, &probeUpdateWindow);
    boxes.answers = {IDYES, IDNO};
    boxes.inspect = [](HWND window) {
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_UPD_DOWNLOAD))) << "enabled again after the download";
        EXPECT_EQ(textOf(GetDlgItem(window, IDC_UPD_CLOSE)), L"关闭");
    };
    checkForUpdates(nullptr);
    KillTimer(nullptr, timer);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].updateStatus, L"下载完成");
    EXPECT_GT(busyProbe.observations, 0) << "the download was over before the probe ran";
    EXPECT_EQ(busyProbe.downloadDisabled, busyProbe.observations);
    EXPECT_EQ(busyProbe.cancelOffered, busyProbe.observations);
    EXPECT_EQ(updateWindow(), nullptr) << "closed once idle";
}

TEST_F(UpdateCheckTest, CheckingWindowCancelsWithItsButtonCloseBoxAndEscape)
{
    // A server that accepts the request and never answers keeps the worker waiting.
    server.answer("/rel/version.json", silentAnswer());
    struct Case {
        const char* name;
        std::function<void(HWND)> cancel;
    } cases[] = {
        {"button", [](HWND w) { SendMessageW(GetDlgItem(w, IDC_CHK_CANCEL), BM_CLICK, 0, 0); }},
        {"close box", [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"WM_CLOSE", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }},
        {"Escape", [](HWND w) { PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.shown.clear();
        logBefore = readLog().size();
        ULONGLONG cancelledAt = 0;
        int ticks = 0;
        const Every step(100, [&] {
            const HWND checking = FindWindowW(L"LorminUpdChkCls", nullptr);
            if (checking != nullptr && ++ticks == 3 && cancelledAt == 0) {
                cancelledAt = GetTickCount64();
                c.cancel(checking);
            }
        });
        checkForUpdates(nullptr);
        const ULONGLONG endedAt = GetTickCount64();
        ASSERT_NE(cancelledAt, 0u);
        EXPECT_LT(endedAt - cancelledAt, 1000u) << "the check did not end within a second";
        EXPECT_EQ(FindWindowW(L"LorminUpdChkCls", nullptr), nullptr);
        EXPECT_TRUE(boxes.shown.empty()) << "a cancelled check shows nothing more";
        EXPECT_NE(newLogLines().find("[更新] 检查已取消"), std::string::npos) << newLogLines();
    }
}

HANDLE failToStartThread(unsigned(__stdcall*)(void*), void*, unsigned*)
{
    return nullptr;
}

TEST_F(UpdateCheckTest, WorkerThatCannotStartEndsTheCheckAsAFailure)
{
    manifest("{\"ver\": \"2.1.0\", \"url\": \"x.exe\"}");
    ScopedSeam noThreads(startThreadSeam, &failToStartThread);
    checkForUpdates(nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              L"检查更新失败：\n无法启动检查线程\n\n请确认网络可用。若长期失败，可到官网重新下载最新版本。");
    EXPECT_EQ(FindWindowW(L"LorminUpdChkCls", nullptr), nullptr);
    EXPECT_EQ(requestsFor("/rel/version.json"), 0u);
}

TEST(Sha256FileHex, PublishedVectorsAndAMissingFile)
{
    TempFolder folder;
    struct Case {
        std::string input;
        const char* digest;
    } cases[] = {{"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
                 {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
                 {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}};
    for (const Case& c : cases) {
        const std::wstring path = folder.file(L"v.bin");
        ASSERT_TRUE(writeWholeFile(path, c.input));
        std::string digest = "stale";
        ASSERT_TRUE(sha256FileHex(path, digest));
        EXPECT_EQ(digest, c.digest);
    }
    std::string digest = "stale";
    EXPECT_FALSE(sha256FileHex(folder.file(L"missing.bin"), digest));
    EXPECT_TRUE(digest.empty());
}

}  // namespace
