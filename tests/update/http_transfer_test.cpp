#include "update/http_transfer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "loopback_server.h"
#include "test_files.h"

namespace {

const wchar_t notFoundManifest[] = L"更新服务器返回错误码 404";
const wchar_t unreachable[] = L"无法访问更新服务器（连接超时或地址不可达）";
const wchar_t badUrl[] = L"更新地址格式不正确";
const wchar_t incomplete[] = L"下载不完整（文件大小与服务器不一致），已丢弃";

struct ProgressLog {
    std::vector<int64_t> received;
    std::vector<int64_t> totals;
};

void recordProgress(void* context, int64_t received, int64_t total)
{
    ProgressLog& log = *static_cast<ProgressLog*>(context);
    log.received.push_back(received);
    log.totals.push_back(total);
}

class HttpTransferTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.running()); }

    LoopbackServer server;
    TempFolder folder;
};

TEST_F(HttpTransferTest, ManifestIsReadWithUserAgentAndTimeStamp)
{
    const std::string manifest = "{\"ver\":\"2.1.0\",\"url\":\"app.exe\"}";
    server.answer("/r/version.json", makeAnswer(200, manifest));
    std::string body = "left over";
    std::wstring error;
    ASSERT_TRUE(httpGetToMemory(server.url(L"/r/version.json"), body, error)) << narrow(error);
    EXPECT_EQ(body, manifest);
    const std::vector<SeenRequest> seen = server.requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(std::regex_match(seen[0].target, std::regex(R"(/r/version\.json\?t=[0-9]+)"))) << seen[0].target;
    EXPECT_EQ(seen[0].userAgent, "LorminRecorder/2.0");
}

TEST_F(HttpTransferTest, TimeStampJoinsTheQueryWithTheRightSeparator)
{
    server.answer("/", makeAnswer(200, "root"));
    server.answer("/r/version.json", makeAnswer(200, "x"));
    const struct {
        std::wstring pathAndQuery;
        const char* expected;
    } cases[] = {
        {L"/r/version.json?channel=beta", R"(/r/version\.json\?channel=beta&t=[0-9]+)"},
        {L"/r/version.json", R"(/r/version\.json\?t=[0-9]+)"},
        {L"", R"(/\?t=[0-9]+)"},
        {L"/", R"(/\?t=[0-9]+)"},
    };
    for (const auto& c : cases) {
        std::string body;
        std::wstring error;
        EXPECT_TRUE(httpGetToMemory(server.url(c.pathAndQuery), body, error));
    }
    const std::vector<SeenRequest> seen = server.requests();
    ASSERT_EQ(seen.size(), 4u);
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_TRUE(std::regex_match(seen[i].target, std::regex(cases[i].expected))) << seen[i].target;
    }
}

TEST_F(HttpTransferTest, EveryRequestCarriesAFreshTimeStamp)
{
    server.answer("/m.json", makeAnswer(200, "x"));
    for (int i = 0; i < 3; ++i) {
        std::string body;
        std::wstring error;
        ASSERT_TRUE(httpGetToMemory(server.url(L"/m.json"), body, error));
    }
    const std::vector<SeenRequest> seen = server.requests();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_NE(seen[0].target, seen[1].target);
    EXPECT_NE(seen[1].target, seen[2].target);
    EXPECT_NE(seen[0].target, seen[2].target);
}

TEST_F(HttpTransferTest, ManifestErrorStatusIsReported)
{
    server.answer("/gone.json", makeAnswer(404, "missing"));
    server.answer("/broken.json", makeAnswer(500, "oops"));
    std::string body = "left over";
    std::wstring error = L"earlier text";
    EXPECT_FALSE(httpGetToMemory(server.url(L"/gone.json"), body, error));
    EXPECT_EQ(error, notFoundManifest);
    EXPECT_TRUE(body.empty());
    EXPECT_FALSE(httpGetToMemory(server.url(L"/broken.json"), body, error));
    EXPECT_EQ(error, L"更新服务器返回错误码 500");
}

TEST_F(HttpTransferTest, EmptyManifestIsAnError)
{
    server.answer("/empty.json", makeAnswer(200, ""));
    server.answer("/empty-unsized.json", makeAnswer(200, "", false));
    for (const wchar_t* path : {L"/empty.json", L"/empty-unsized.json"}) {
        std::string body;
        std::wstring error;
        EXPECT_FALSE(httpGetToMemory(server.url(path), body, error));
        EXPECT_EQ(error, L"更新服务器返回内容为空");
    }
}

TEST_F(HttpTransferTest, ManifestAtTheCapIsReadWhole)
{
    const std::string exact = patternBytes(262144);
    server.answer("/exact.json", makeAnswer(200, exact));
    std::string body;
    std::wstring error;
    ASSERT_TRUE(httpGetToMemory(server.url(L"/exact.json"), body, error));
    EXPECT_EQ(body, exact);
}

TEST_F(HttpTransferTest, LongManifestIsCutAfterThePassingChunk)
{
    const std::string large = patternBytes(400000);
    server.answer("/large.json", makeAnswer(200, large));
    server.answer("/large-unsized.json", makeAnswer(200, large, false));
    for (const wchar_t* path : {L"/large.json", L"/large-unsized.json"}) {
        std::string body;
        std::wstring error = L"untouched";
        ASSERT_TRUE(httpGetToMemory(server.url(path), body, error));
        EXPECT_GT(body.size(), 262144u);
        EXPECT_LE(body.size(), 262144u + 4096u);
        EXPECT_EQ(body, large.substr(0, body.size()));
        EXPECT_EQ(error, L"untouched");
    }
}

TEST_F(HttpTransferTest, OpenGetReportsStatusAndContentLength)
{
    server.answer("/five", makeAnswer(200, "12345"));
    server.answer("/unsized", makeAnswer(200, "abc", false));
    server.answer("/missing", makeAnswer(404, "no"));
    const struct {
        const wchar_t* path;
        DWORD status;
        int64_t length;
    } cases[] = {{L"/five", 200, 5}, {L"/unsized", 200, 0}, {L"/missing", 404, 2}};
    for (const auto& c : cases) {
        HttpHandles handles;
        std::wstring error;
        DWORD status = 1;
        int64_t length = -7;
        ASSERT_TRUE(httpOpenGet(server.url(c.path), error, status, length, handles));
        EXPECT_NE(handles.session.get(), nullptr);
        EXPECT_NE(handles.connection.get(), nullptr);
        EXPECT_NE(handles.request.get(), nullptr);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(length, c.length);
        httpCloseHandles(handles);
        EXPECT_EQ(handles.request.get(), nullptr);
        EXPECT_EQ(handles.session.get(), nullptr);
    }
}

TEST_F(HttpTransferTest, DownloadReportsProgressOncePerChunk)
{
    const std::string build = patternBytes(100000);
    server.answer("/app.exe", makeAnswer(200, build));
    const std::wstring target = folder.file(L"LorminRecorder_v2.1.0.exe");
    ProgressLog log;
    std::wstring error;
    ASSERT_TRUE(httpDownloadToNewFile(server.url(L"/app.exe"), target, &recordProgress, &log, nullptr, error));
    std::string stored;
    ASSERT_TRUE(readWholeFile(target, stored));
    EXPECT_EQ(stored, build);

    ASSERT_GE(log.received.size(), (build.size() + 16383) / 16384);
    int64_t previous = 0;
    for (size_t i = 0; i < log.received.size(); ++i) {
        EXPECT_GT(log.received[i], previous);
        EXPECT_LE(log.received[i] - previous, 16384);
        EXPECT_EQ(log.totals[i], 100000);
        previous = log.received[i];
    }
    EXPECT_EQ(previous, 100000);
}

TEST_F(HttpTransferTest, DownloadWithoutContentLengthKeepsWhatArrived)
{
    const std::string build = patternBytes(70000);
    server.answer("/unsized.exe", makeAnswer(200, build, false));
    const std::wstring target = folder.file(L"unsized.exe");
    ProgressLog log;
    std::wstring error;
    ASSERT_TRUE(httpDownloadToNewFile(server.url(L"/unsized.exe"), target, &recordProgress, &log, nullptr, error));
    std::string stored;
    ASSERT_TRUE(readWholeFile(target, stored));
    EXPECT_EQ(stored, build);
    ASSERT_FALSE(log.totals.empty());
    EXPECT_LT(log.totals.back(), 1);
    EXPECT_EQ(log.received.back(), 70000);
}

TEST_F(HttpTransferTest, DownloadWithContentLengthZeroSucceedsEmpty)
{
    server.answer("/zero.exe", makeAnswer(200, ""));
    const std::wstring target = folder.file(L"zero.exe");
    ProgressLog log;
    std::wstring error;
    ASSERT_TRUE(httpDownloadToNewFile(server.url(L"/zero.exe"), target, &recordProgress, &log, nullptr, error));
    std::string stored = "x";
    ASSERT_TRUE(readWholeFile(target, stored));
    EXPECT_TRUE(stored.empty());
    EXPECT_TRUE(log.received.empty());
}

TEST_F(HttpTransferTest, BrokenDownloadIsDiscarded)
{
    ScriptedAnswer cut = makeAnswer(200, patternBytes(100000));
    cut.bytesToSend = 40000;
    server.answer("/cut.exe", cut);
    ScriptedAnswer reset = cut;
    reset.reset = true;
    server.answer("/reset.exe", reset);
    for (const wchar_t* path : {L"/cut.exe", L"/reset.exe"}) {
        const std::wstring target = folder.file(L"broken.exe");
        ProgressLog log;
        std::wstring error = L"earlier text";
        EXPECT_FALSE(httpDownloadToNewFile(server.url(path), target, &recordProgress, &log, nullptr, error));
        EXPECT_EQ(error, incomplete);
        EXPECT_FALSE(fileExists(target));
        for (const int64_t received : log.received) {
            EXPECT_LE(received, 40000);
        }
    }
}

TEST_F(HttpTransferTest, DownloadErrorStatusCreatesNoFile)
{
    server.answer("/gone.exe", makeAnswer(404, "missing"));
    const std::wstring target = folder.file(L"gone.exe");
    std::wstring error;
    EXPECT_FALSE(httpDownloadToNewFile(server.url(L"/gone.exe"), target, nullptr, nullptr, nullptr, error));
    EXPECT_EQ(error, L"下载失败，服务器返回错误码 404");
    EXPECT_FALSE(fileExists(target));
}

TEST_F(HttpTransferTest, UnwritableTargetIsReported)
{
    server.answer("/app.exe", makeAnswer(200, "bytes"));
    const std::wstring target = folder.file(L"no such folder\\app.exe");
    std::wstring error;
    EXPECT_FALSE(httpDownloadToNewFile(server.url(L"/app.exe"), target, nullptr, nullptr, nullptr, error));
    EXPECT_EQ(error, L"无法写入目标文件（目录可能不可写，试试把软件放到桌面或 D 盘）");
}

TEST_F(HttpTransferTest, UnreachablePortFailsBothRequests)
{
    const unsigned short port = unusedLoopbackPort();
    ASSERT_NE(port, 0);
    const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(port) + L"/r/version.json";
    std::string body;
    std::wstring error = L"earlier text";
    EXPECT_FALSE(httpGetToMemory(url, body, error));
    EXPECT_EQ(error, unreachable);
    const std::wstring target = folder.file(L"never.exe");
    error = L"earlier text";
    EXPECT_FALSE(httpDownloadToNewFile(url, target, nullptr, nullptr, nullptr, error));
    EXPECT_EQ(error, unreachable);
    EXPECT_FALSE(fileExists(target));
}

TEST_F(HttpTransferTest, MalformedUrlsAreRejectedBeforeAnyRequest)
{
    const std::wstring port = std::to_wstring(server.port());
    const std::wstring cases[] = {
        L"",
        L"not a url",
        L"http://",
        L"http:///path",
        L"ftp://127.0.0.1:" + port + L"/version.json",
        L"http://" + std::wstring(300, L'a') + L"/version.json",
        L"http://127.0.0.1:" + port + L"/" + std::wstring(2100, L'a'),
    };
    for (const std::wstring& url : cases) {
        std::string body;
        std::wstring error;
        EXPECT_FALSE(httpGetToMemory(url, body, error)) << url.size();
        EXPECT_EQ(error, badUrl) << url.size();
        const std::wstring target = folder.file(L"never.exe");
        error.clear();
        EXPECT_FALSE(httpDownloadToNewFile(url, target, nullptr, nullptr, nullptr, error));
        EXPECT_EQ(error, badUrl);
        EXPECT_FALSE(fileExists(target));
    }
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(HttpTransferTest, NewFileDownloadNeverWritesThroughAnExistingName)
{
    server.answer("/app.exe", makeAnswer(200, "new bytes"));
    const std::wstring taken = folder.file(L"taken.exe");
    ASSERT_TRUE(writeWholeFile(taken, "someone's file"));
    std::wstring error;
    EXPECT_FALSE(httpDownloadToNewFile(server.url(L"/app.exe"), taken, nullptr, nullptr, nullptr, error));
    EXPECT_EQ(error, L"无法写入目标文件（目录可能不可写，试试把软件放到桌面或 D 盘）");
    std::string kept;
    ASSERT_TRUE(readWholeFile(taken, kept));
    EXPECT_EQ(kept, "someone's file");

    const std::wstring fresh = folder.file(L"fresh.exe");
    error.clear();
    ASSERT_TRUE(httpDownloadToNewFile(server.url(L"/app.exe"), fresh, nullptr, nullptr, nullptr, error));
    ASSERT_TRUE(readWholeFile(fresh, kept));
    EXPECT_EQ(kept, "new bytes");
}

TEST_F(HttpTransferTest, CancelledTransfersStopAndLeaveNoFile)
{
    ScriptedAnswer trickle = makeAnswer(200, patternBytes(20000));
    trickle.trickleMs = 20;
    server.answer("/slow.exe", trickle);
    server.answer("/slow.json", trickle);

    // Cancelled before it starts: no request at all.
    TransferCancel early;
    early.cancel();
    std::string body;
    std::wstring error;
    EXPECT_FALSE(httpGetToMemory(server.url(L"/slow.json"), body, error, &early));
    EXPECT_EQ(error, L"已取消");
    EXPECT_TRUE(server.requests().empty());

    // Cancelled from another thread while the body trickles in.
    for (const bool toFile : {true, false}) {
        SCOPED_TRACE(toFile ? "file" : "memory");
        TransferCancel cancel;
        const std::wstring target = folder.file(L"slow.exe");
        error.clear();
        ULONGLONG cancelledAt = 0;
        std::thread canceller([&] {
            Sleep(300);
            cancelledAt = GetTickCount64();
            cancel.cancel();
        });
        const bool ok = toFile
                            ? httpDownloadToNewFile(server.url(L"/slow.exe"), target, nullptr, nullptr, &cancel, error)
                            : httpGetToMemory(server.url(L"/slow.json"), body, error, &cancel);
        const ULONGLONG endedAt = GetTickCount64();
        canceller.join();
        EXPECT_FALSE(ok);
        EXPECT_EQ(error, L"已取消");
        EXPECT_LT(endedAt - cancelledAt, 1000u);
        EXPECT_FALSE(fileExists(target));
    }
}

}  // namespace
