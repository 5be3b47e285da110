// The download under wine against misbehaving loopback servers: files under the final name only
// when verified, cancel, a main window that stays responsive and a closing owner.
#include "update_test_fixture.h"

#include "base/session_guards.h"

namespace {

bool hasNoLeftovers()
{
    return temporaryDownloads(getModuleDir()).empty();
}

TEST_F(UpdateCheckTest, ExistingFileIsVerifiedFirstAndABadOneIsDownloadedAgain)
{
    const std::string build = patternBytes(40000);
    const std::string digest = sha256Hex(build);
    server.answer("/rel/f.exe", makeAnswer(200, build));
    manifest("{\"ver\": \"4.0.0\", \"url\": \"f.exe\", \"sha256\": \"" + digest + "\"}");
    struct Case {
        const char* name;
        std::string existing;
        size_t requests;
        std::wstring offer;
    } cases[] = {
        {"matching file", build, 0, L"本地已存在该版本：\n\n" + downloadPath(L"4.0.0") + L"\n\n是否立即运行？"},
        {"empty file", "", 1, L"新版本已下载完成：\n\n" + downloadPath(L"4.0.0") + L"\n\n"},
        {"partial file", build.substr(0, 1000), 1, L"新版本已下载完成：\n\n" + downloadPath(L"4.0.0") + L"\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeWholeFile(downloadPath(L"4.0.0"), c.existing));
        boxes.shown.clear();
        startedPrograms.clear();
        logBefore = readLog().size();
        const size_t before = requestsFor("/rel/f.exe");
        boxes.answers = {IDYES, IDYES};
        checkForUpdates(nullptr);
        EXPECT_EQ(requestsFor("/rel/f.exe"), before + c.requests);
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(boxes.shown[1].text.rfind(c.offer, 0), 0u) << narrow(boxes.shown[1].text);
        std::string kept;
        ASSERT_TRUE(readWholeFile(downloadPath(L"4.0.0"), kept));
        EXPECT_TRUE(kept == build) << "only the verified build is ever offered";
        EXPECT_EQ(startedPrograms.size(), 1u);
        if (c.requests > 0) {
            EXPECT_NE(newLogLines().find("[更新] 本地已有的文件未通过校验，删除后重新下载"), std::string::npos)
                << newLogLines();
        }
        EXPECT_TRUE(hasNoLeftovers());
    }
}

// The build started from the offer must become the session's window instance itself, not hand
// itself over to this one: the guard is let go of before it starts, and taken back when it did not
// start, ended without a window or took too long to show one. Events stand in for processes that
// show no window: a set one has ended, a clear one still starts.
enum class Build { None, ShowsWindow, EndsWithoutWindow, NeverShows };
Build startedBuild = Build::None;
GuardState windowGuardAtTheStart = GuardState::Held;
HANDLE startBuild(HWND, const wchar_t*)
{
    windowGuardAtTheStart = sessionGuardSeam.probe(SessionGuard::WindowInstance);
    switch (startedBuild) {
    case Build::None: SetLastError(ERROR_FILE_NOT_FOUND); return nullptr;
    case Build::ShowsWindow: return recordStart(nullptr, L"");
    case Build::EndsWithoutWindow: return CreateEventW(nullptr, TRUE, TRUE, nullptr);
    case Build::NeverShows: break;
    }
    return CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

int leaveQuestions = 0;
bool leaveAnswer = true;
bool answerLeave(void*, HWND)
{
    ++leaveQuestions;
    return leaveAnswer;
}

TEST_F(UpdateCheckTest, TheStartedBuildFindsTheWindowGuardFreeAndThisWindowClosesOnlyOnceItShows)
{
    const std::string build = patternBytes(1000);
    manifest("{\"ver\": \"4.0.0\", \"url\": \"f.exe\", \"sha256\": \"" + sha256Hex(build) + "\"}");
    ASSERT_TRUE(writeWholeFile(downloadPath(L"4.0.0"), build));
    ScopedSeam<decltype(UpdateSystemSeam::startProgram)> starts{updateSystemSeam.startProgram, &startBuild};
    ScopedSeam<DWORD> deadline{newBuildWindowDeadlineSeam, 1500};
    const struct {
        const char* name;
        bool instance;  // this process held the guard
        bool mayClose;  // the window's answer about its unsaved events
        Build build;
        UpdateEnd end;
        GuardState after;
        const char* logLine;
    } cases[] = {
        {"shows its window", true, true, Build::ShowsWindow, UpdateEnd::NewBuildRunning, GuardState::Free,
         "[更新] 新版本的窗口已出现，本窗口关闭"},
        {"cancelled at the question", true, false, Build::ShowsWindow, UpdateEnd::Stay, GuardState::Held, nullptr},
        {"does not start", true, true, Build::None, UpdateEnd::Stay, GuardState::Held, "[更新] 新版本未能启动："},
        {"ends without a window", true, true, Build::EndsWithoutWindow, UpdateEnd::Stay, GuardState::Held,
         "[更新] 新版本没有打开窗口就结束了，本窗口保留"},
        {"never shows in time", true, true, Build::NeverShows, UpdateEnd::Stay, GuardState::Held,
         "[更新] 新版本 1 秒内没有打开窗口，本窗口保留"},
        {"never the instance", false, true, Build::None, UpdateEnd::Stay, GuardState::Free, "[更新] 新版本未能启动："},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.instance) {
            ASSERT_EQ(sessionGuardSeam.take(SessionGuard::WindowInstance), GuardState::Free);
        }
        windowGuardAtTheStart = GuardState::Held;
        startedBuild = c.build;
        leaveQuestions = 0;
        leaveAnswer = c.mayClose;
        boxes = Boxes{};
        boxes.answers = {IDYES, IDYES};
        logBefore = readLog().size();
        UpdateLeave leave;
        leave.mayClose = &answerLeave;
        EXPECT_EQ(checkForUpdates(nullptr, &leave), c.end);
        EXPECT_EQ(leaveQuestions, 1) << "asked once, before the start";
        if (c.mayClose) {
            EXPECT_EQ(windowGuardAtTheStart, GuardState::Free);
        } else {
            EXPECT_EQ(windowGuardAtTheStart, GuardState::Held) << "nothing started";
        }
        EXPECT_EQ(sessionGuardSeam.probe(SessionGuard::WindowInstance), c.after);
        if (c.logLine != nullptr) {
            EXPECT_NE(newLogLines().find(c.logLine), std::string::npos) << newLogLines();
        }
        giveUpEverySessionGuard();
    }
}

TEST_F(UpdateCheckTest, FailedOrRejectedDownloadsLeaveNothingAndAreLogged)
{
    const std::string build = patternBytes(100000);
    ScriptedAnswer cut = makeAnswer(200, build);
    cut.bytesToSend = 30000;
    ScriptedAnswer reset = cut;
    reset.reset = true;
    ScriptedAnswer unsizedCut = makeAnswer(200, build, false);
    unsizedCut.bytesToSend = 30000;
    unsizedCut.reset = true;
    server.answer("/rel/cut.exe", cut);
    server.answer("/rel/reset.exe", reset);
    server.answer("/rel/unsized.exe", unsizedCut);
    server.answer("/rel/good.exe", makeAnswer(200, build));
    struct Case {
        const char* name;
        std::string url;
        std::string sha256;
        std::string logLine;
    } cases[] = {
        {"cut off", "cut.exe", "", "[更新] 下载失败：下载不完整（文件大小与服务器不一致），已丢弃"},
        {"reset", "reset.exe", "", "[更新] 下载失败：下载不完整（文件大小与服务器不一致），已丢弃"},
        // Without a length a reset cannot be told from the end of the body; the digest can.
        {"reset without length", "unsized.exe", sha256Hex(build), "[更新] 校验值不符："},
        {"wrong digest", "good.exe", std::string(64, 'a'), "[更新] 校验值不符："},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.shown.clear();
        logBefore = readLog().size();
        manifest("{\"ver\": \"4.0.0\", \"url\": \"" + c.url + "\", \"sha256\": \"" + c.sha256 + "\"}");
        boxes.answers = {IDYES};
        checkForUpdates(nullptr);
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_FALSE(fileExists(downloadPath(L"4.0.0"))) << "nothing under the final name";
        EXPECT_TRUE(hasNoLeftovers());
        EXPECT_NE(newLogLines().find(c.logLine), std::string::npos) << newLogLines();
    }
}

TEST_F(UpdateCheckTest, RedirectIsFollowedAndLeftoversOfEarlierRunsAreRemoved)
{
    const std::string build = patternBytes(5000);
    server.answer("/rel/moved.exe", redirectAnswer("/rel/real.exe"));
    server.answer("/rel/real.exe", makeAnswer(200, build));
    const std::wstring folder = getModuleDir();
    const std::wstring leftovers[] = {folder + L"\\LorminRecorder_download_00000000deadbeef.part",
                                      folder + L"\\LorminRecorder_download_FFFFFFFF00000000.part"};
    const std::wstring unrelated = folder + L"\\LorminRecorder_download_notes.txt";
    for (const std::wstring& path : leftovers) {
        ASSERT_TRUE(writeWholeFile(path, "partial"));
    }
    ASSERT_TRUE(writeWholeFile(unrelated, "mine"));
    manifest("{\"ver\": \"4.0.0\", \"url\": \"moved.exe\", \"sha256\": \"" + sha256Hex(build) + "\"}");
    boxes.answers = {IDYES, IDNO};
    checkForUpdates(nullptr);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].updateStatus, L"下载完成");
    std::string saved;
    ASSERT_TRUE(readWholeFile(downloadPath(L"4.0.0"), saved));
    EXPECT_TRUE(saved == build);
    for (const std::wstring& path : leftovers) {
        EXPECT_FALSE(fileExists(path)) << narrow(path);
    }
    EXPECT_TRUE(fileExists(unrelated)) << "only names the download makes are removed";
    DeleteFileW(unrelated.c_str());
}

TEST_F(UpdateCheckTest, CancelInTheUpdateWindowEndsWithinASecondAndLeavesNothing)
{
    ScriptedAnswer trickle = makeAnswer(200, patternBytes(50000));
    trickle.trickleMs = 30;
    server.answer("/rel/slow.exe", trickle);
    manifest("{\"ver\": \"4.0.0\", \"url\": \"slow.exe\"}");
    struct Case {
        const char* name;
        std::function<void(HWND)> cancel;
    } cases[] = {
        {"button", [](HWND w) { SendMessageW(GetDlgItem(w, IDC_UPD_CLOSE), BM_CLICK, 0, 0); }},
        {"close box", [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Escape", [](HWND w) { PostMessageW(GetDlgItem(w, IDC_UPD_CLOSE), WM_KEYDOWN, VK_ESCAPE, 0x00010001); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.shown.clear();
        logBefore = readLog().size();
        ULONGLONG cancelledAt = 0;
        ULONGLONG saidCancelledAt = 0;
        std::wstring closeCaption;
        bool downloadEnabled = false;
        boxes.answers = {IDYES};
        const Every step(20, [&] {
            const HWND window = updateWindow();
            if (window == nullptr) {
                return;
            }
            const std::wstring status = textOf(GetDlgItem(window, IDC_UPD_STATUS));
            if (cancelledAt == 0 && status.rfind(L"正在下载… ", 0) == 0) {
                cancelledAt = GetTickCount64();
                c.cancel(window);
            } else if (cancelledAt != 0 && saidCancelledAt == 0 && status == L"已取消") {
                saidCancelledAt = GetTickCount64();
                closeCaption = textOf(GetDlgItem(window, IDC_UPD_CLOSE));
                downloadEnabled = IsWindowEnabled(GetDlgItem(window, IDC_UPD_DOWNLOAD)) != FALSE;
                PostMessageW(window, WM_CLOSE, 0, 0);  // now it closes
            }
        });
        checkForUpdates(nullptr);
        ASSERT_NE(cancelledAt, 0u);
        ASSERT_NE(saidCancelledAt, 0u);
        EXPECT_LT(saidCancelledAt - cancelledAt, 1000u);
        EXPECT_EQ(closeCaption, L"关闭");
        EXPECT_TRUE(downloadEnabled) << "a new attempt can be started";
        EXPECT_EQ(boxes.shown.size(), 1u) << "no message box for a cancelled download";
        EXPECT_TRUE(pollUntil(hasNoLeftovers, 3000)) << "the temporary file was left behind";
        EXPECT_FALSE(fileExists(downloadPath(L"4.0.0")));
        EXPECT_NE(newLogLines().find("[更新] 下载已取消"), std::string::npos) << newLogLines();
    }
}

TEST_F(UpdateCheckTest, DownloadThatNeverAnswersNeverBlocksTheWindows)
{
    server.answer("/rel/silent.exe", silentAnswer());
    manifest("{\"ver\": \"4.0.0\", \"url\": \"silent.exe\"}");
    boxes.answers = {IDYES};
    ULONGLONG firstTick = 0;
    ULONGLONG lastTick = 0;
    ULONGLONG longestGap = 0;
    int ticks = 0;
    const Every step(20, [&] {
        const HWND window = updateWindow();
        if (window == nullptr) {
            return;
        }
        const ULONGLONG now = GetTickCount64();
        if (firstTick == 0) {
            firstTick = now;
        } else if (now - lastTick > longestGap) {
            longestGap = now - lastTick;
        }
        lastTick = now;
        ++ticks;
        if (now - firstTick >= 1500) {
            PostMessageW(window, WM_CLOSE, 0, 0);  // cancels
            PostMessageW(window, WM_CLOSE, 0, 0);  // closes
        }
    });
    checkForUpdates(nullptr);
    EXPECT_GE(ticks, 30) << "the user-interface thread kept running its timers";
    EXPECT_LT(longestGap, 500u);
    EXPECT_EQ(updateWindow(), nullptr);
}

TEST_F(UpdateCheckTest, ClosingTheOwnerDuringADownloadEndsEverythingPromptly)
{
    owner = makeOwnerWindow();
    ASSERT_NE(owner, nullptr);
    ScriptedAnswer trickle = makeAnswer(200, patternBytes(50000));
    trickle.trickleMs = 30;
    server.answer("/rel/slow.exe", trickle);
    manifest("{\"ver\": \"4.0.0\", \"url\": \"slow.exe\"}");
    boxes.answers = {IDYES};
    ULONGLONG closedAt = 0;
    const Every step(20, [&] {
        const HWND window = updateWindow();
        if (window != nullptr && closedAt == 0 &&
            textOf(GetDlgItem(window, IDC_UPD_STATUS)).rfind(L"正在下载… ", 0) == 0) {
            closedAt = GetTickCount64();
            DestroyWindow(owner);  // as the main window's close does
        }
    });
    checkForUpdates(owner);
    const ULONGLONG returnedAt = GetTickCount64();
    ASSERT_NE(closedAt, 0u);
    EXPECT_LT(returnedAt - closedAt, 1000u) << "the update did not let go of the closing program";
    EXPECT_TRUE(takeQuitMessage()) << "the quit message is left for the application's loop";
    EXPECT_EQ(updateWindow(), nullptr);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(pollUntil(hasNoLeftovers, 3000));
    EXPECT_FALSE(fileExists(downloadPath(L"4.0.0")));
}

}  // namespace
