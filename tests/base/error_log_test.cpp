#include "base/error_log.h"

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>
#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "support/file_bytes.h"

namespace {

const std::string bom = "\xEF\xBB\xBF";

std::wstring uniqueTempDir()
{
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t name[64];
    swprintf(name, 64, L"lr_errorlog_%lu_%d", GetCurrentProcessId(), ++counter);
    return std::wstring(temp) + name;
}

// Splits on CR LF; a trailing piece without a line end is returned as the last element.
std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string stampOf(const SYSTEMTIME& t)
{
    char text[32];
    snprintf(text, sizeof text, "[%04d-%02d-%02d %02d:%02d:%02d] ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond);
    return text;
}

bool isStamp(const std::string& line)
{
    static const char pattern[] = "[dddd-dd-dd dd:dd:dd] ";
    if (line.size() < sizeof pattern - 1) {
        return false;
    }
    for (size_t i = 0; i + 1 < sizeof pattern; ++i) {
        const bool digitWanted = pattern[i] == 'd';
        const bool isDigit = line[i] >= '0' && line[i] <= '9';
        if (digitWanted ? !isDigit : line[i] != pattern[i]) {
            return false;
        }
    }
    return true;
}

constexpr size_t stampLength = 22;  // "[2026-01-02 03:04:05] "

// Each test gets its own LOCALAPPDATA folder and a fresh ErrorLog::init, as a new process would.
class ErrorLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        base = uniqueTempDir();
        ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
        folder = base + L"\\ScriptRecorder";
        logFile = folder + L"\\error.log";
        useBase(base);
    }

    void TearDown() override
    {
        DeleteFileW(logFile.c_str());
        RemoveDirectoryW(folder.c_str());
        RemoveDirectoryW(base.c_str());
        SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
        ErrorLog::init();
    }

    static void useBase(const std::wstring& value)
    {
        SetEnvironmentVariableW(L"LOCALAPPDATA", value.c_str());
        ErrorLog::init();
    }

    std::vector<std::string> linesAfterBom()
    {
        const std::string bytes = readFileBytes(logFile);
        EXPECT_EQ(bytes.compare(0, 3, bom), 0) << "log must start with the UTF-8 byte-order mark";
        EXPECT_GE(bytes.size(), 2u);
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << "last line must be complete";
        return splitLines(bytes.size() >= 3 ? bytes.substr(3) : std::string());
    }

    std::wstring base;
    std::wstring folder;
    std::wstring logFile;
};

TEST_F(ErrorLogTest, NewFileStartsWithBomAndEveryLineIsStampedAndEndsWithCrLf)
{
    EXPECT_FALSE(fileExists(logFile)) << "Init must not create the file";
    SYSTEMTIME before;
    GetLocalTime(&before);
    ErrorLog::write(L"启动 v2.0 (C++ 原生版)");
    ErrorLog::write(L"注册窗口类失败 err=%lu", 1410ul);
    ErrorLog::write(L"%ls|%d|%08X", L"宽字符 ok", -7, 0xBEEFu);
    SYSTEMTIME after;
    GetLocalTime(&after);

    const std::string bytes = readFileBytes(logFile);
    ASSERT_GE(bytes.size(), 3u);
    EXPECT_EQ(bytes.substr(0, 3), bom);
    EXPECT_EQ(bytes.find(bom, 3), std::string::npos) << "exactly one byte-order mark";
    // No bare LF: every LF is preceded by CR.
    for (size_t i = bytes.find('\n'); i != std::string::npos; i = bytes.find('\n', i + 1)) {
        ASSERT_GT(i, 0u);
        EXPECT_EQ(bytes[i - 1], '\r') << "bare line feed at byte " << i;
    }

    const std::vector<std::string> lines = linesAfterBom();
    const char* const messages[] = {
        "启动 v2.0 (C++ 原生版)",
        "注册窗口类失败 err=1410",
        "宽字符 ok|-7|0000BEEF",
    };
    ASSERT_EQ(lines.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(isStamp(lines[i])) << lines[i];
        const std::string stamp = lines[i].substr(0, stampLength);
        EXPECT_GE(stamp, stampOf(before));
        EXPECT_LE(stamp, stampOf(after));
        EXPECT_EQ(lines[i].substr(stampLength), messages[i]);
    }
}

TEST_F(ErrorLogTest, LaterRunsAppendWithoutAnotherBom)
{
    ErrorLog::write(L"first run");
    useBase(base);  // a second process start
    ErrorLog::write(L"second run");
    useBase(base);
    ErrorLog::write(L"third run %d", 3);

    const std::string bytes = readFileBytes(logFile);
    EXPECT_EQ(bytes.find(bom, 1), std::string::npos);
    const std::vector<std::string> lines = linesAfterBom();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(stampLength), "first run");
    EXPECT_EQ(lines[1].substr(stampLength), "second run");
    EXPECT_EQ(lines[2].substr(stampLength), "third run 3");
}

TEST_F(ErrorLogTest, LongMessagesAreCutTo1023CharactersAndKeepTheLineEnd)
{
    const struct {
        size_t length;
        wchar_t fill;
        size_t expected;
    } cases[] = {
        {1022, L'x', 1022},  {1023, L'x', 1023},  {1024, L'x', 1023},  {5000, L'x', 1023},
        {1023, L'汉', 1023}, {1024, L'汉', 1023}, {3000, L'汉', 1023},
    };
    for (const auto& c : cases) {
        ErrorLog::write(L"%ls", std::wstring(c.length, c.fill).c_str());
    }
    ErrorLog::write(L"after");

    const std::vector<std::string> lines = linesAfterBom();
    ASSERT_EQ(lines.size(), std::size(cases) + 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(isStamp(lines[i]));
        EXPECT_EQ(utf8ToWide(lines[i].substr(stampLength)), std::wstring(cases[i].expected, cases[i].fill));
    }
    EXPECT_EQ(lines.back().substr(stampLength), "after");
}

TEST_F(ErrorLogTest, LiteralTextBeyondTheBufferIsCutToo)
{
    // The cut applies to the formatted text as a whole, also when the format itself is long.
    std::wstring format(1100, L'a');
    format += L"%d";
    ErrorLog::write(format.c_str(), 42);
    const std::vector<std::string> lines = linesAfterBom();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(stampLength), std::string(1023, 'a'));
}

TEST_F(ErrorLogTest, MissingVariableTurnsLoggingOff)
{
    ErrorLog::write(L"before");
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
    ErrorLog::init();
    ErrorLog::write(L"while off");
    ErrorLog::write(L"%ls", std::wstring(3000, L'y').c_str());

    const std::vector<std::string> lines = linesAfterBom();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(stampLength), "before");
}

TEST_F(ErrorLogTest, EmptyVariableTurnsLoggingOff)
{
    SetEnvironmentVariableW(L"LOCALAPPDATA", L"");
    ErrorLog::init();
    ErrorLog::write(L"nowhere");
    EXPECT_FALSE(fileExists(logFile));
    EXPECT_FALSE(fileExists(L"ScriptRecorder\\error.log"));
}

TEST_F(ErrorLogTest, OnlyTheLastFolderLevelIsCreated)
{
    const std::wstring missingParent = base + L"\\not\\there";
    useBase(missingParent);
    ErrorLog::write(L"dropped");
    EXPECT_FALSE(fileExists(base + L"\\not"));
}

TEST_F(ErrorLogTest, ExistingFolderIsFine)
{
    ASSERT_TRUE(fileExists(folder)) << "Init creates the folder";
    useBase(base);  // the next start finds it there
    ErrorLog::write(L"into an existing folder");
    const std::vector<std::string> lines = linesAfterBom();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(stampLength), "into an existing folder");
}

TEST_F(ErrorLogTest, LockedFileDropsTheLineSilently)
{
    ErrorLog::write(L"one");
    HANDLE exclusive = CreateFileW(logFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    ErrorLog::write(L"dropped while locked");
    CloseHandle(exclusive);
    ErrorLog::write(L"two");

    const std::vector<std::string> lines = linesAfterBom();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(stampLength), "one");
    EXPECT_EQ(lines[1].substr(stampLength), "two");
}

// Makes a folder whose full path is exactly `length` characters long, below `parent`.
std::wstring folderOfLength(const std::wstring& parent, size_t length)
{
    std::wstring path = parent;
    while (path.size() < length) {
        const size_t room = length - path.size() - 1;  // one for the backslash
        // Leave at least two characters for the last level, and keep each level well below 255.
        size_t part = room > 200 ? 150 : room;
        path += L"\\" + std::wstring(part, L'd');
        CreateDirectoryW(path.c_str(), nullptr);
    }
    return path;
}

void removeChain(const std::wstring& path, const std::wstring& stopAt)
{
    std::wstring current = path;
    while (current.size() > stopAt.size()) {
        RemoveDirectoryW(current.c_str());
        current.resize(current.rfind(L'\\'));
    }
}

TEST_F(ErrorLogTest, VariableOf259CharactersIsUsedAnd260TurnsLoggingOff)
{
    const struct {
        size_t length;
        bool used;
    } cases[] = {{258, true}, {259, true}, {260, false}, {300, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::wstring value = folderOfLength(base, c.length);
        ASSERT_EQ(value.size(), c.length);
        ASSERT_TRUE(fileExists(value)) << "the test needs the long folder itself";
        useBase(value);
        ErrorLog::write(L"long base %u", static_cast<unsigned>(c.length));
        const std::wstring target = value + L"\\ScriptRecorder\\error.log";
        const std::string bytes = readFileBytes(target);
        if (c.used) {
            EXPECT_EQ(bytes.substr(0, 3), bom);
            const std::vector<std::string> lines = splitLines(bytes.substr(bytes.size() >= 3 ? 3 : 0));
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_EQ(lines[0].substr(stampLength), "long base " + std::to_string(c.length));
        } else {
            EXPECT_TRUE(bytes.empty());
            EXPECT_FALSE(fileExists(value + L"\\ScriptRecorder"));
        }
        DeleteFileW(target.c_str());
        RemoveDirectoryW((value + L"\\ScriptRecorder").c_str());
        removeChain(value, base);
    }
}

TEST_F(ErrorLogTest, LinesFromManyThreadsAreAllCompleteAndNotInterleaved)
{
    constexpr int threads = 8;
    constexpr int perThread = 150;
    // Long lines (about 1.5 KB of UTF-8 each) make a torn or overlapping write easy to see.
    const std::wstring padding(500, L'满');
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
        writers.emplace_back([t, &padding] {
            for (int i = 0; i < perThread; ++i) {
                ErrorLog::write(L"thread %d line %d %ls end", t, i, padding.c_str());
            }
        });
    }
    for (std::thread& w : writers) {
        w.join();
    }

    const std::vector<std::string> lines = linesAfterBom();
    ASSERT_EQ(lines.size(), static_cast<size_t>(threads * perThread));
    const std::string paddingUtf8 = wideToUtf8(padding);
    std::vector<int> next(threads, 0);
    for (const std::string& line : lines) {
        ASSERT_TRUE(isStamp(line)) << line.substr(0, 60);
        int t = -1;
        int i = -1;
        int consumed = 0;
        ASSERT_EQ(sscanf(line.c_str() + stampLength, "thread %d line %d %n", &t, &i, &consumed), 2);
        ASSERT_GE(t, 0);
        ASSERT_LT(t, threads);
        EXPECT_EQ(line.substr(stampLength + consumed), paddingUtf8 + " end");
        // Lines of one thread keep their call order.
        EXPECT_EQ(i, next[t]) << "thread " << t;
        next[t] = i + 1;
    }
    for (int t = 0; t < threads; ++t) {
        EXPECT_EQ(next[t], perThread);
    }
}

}  // namespace
