#include "update/update_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <windows.h>

#include "test_files.h"

namespace {

std::wstring ownPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

TEST(getModuleDir, IsTheExecutablesFolderWithoutTrailingBackslash)
{
    const std::wstring path = ownPath();
    const std::wstring dir = getModuleDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), L'\\');
    EXPECT_EQ(path, dir + L"\\http_tests.exe");
}

TEST(getOwnVersion, ReadsTheFirstThreeNumbersOfTheFileVersion)
{
    // The test executable carries FILEVERSION 2,0,3,7 and a different product version.
    wchar_t version[64];
    wmemset(version, L'#', 64);
    EXPECT_TRUE(getOwnVersion(version, 64));
    EXPECT_STREQ(version, L"2.0.3");
}

TEST(getOwnVersion, TruncatesToTheCallersBuffer)
{
    wchar_t version[4];
    wmemset(version, L'#', 4);
    EXPECT_TRUE(getOwnVersion(version, 4));
    EXPECT_STREQ(version, L"2.0");
    wchar_t untouched = L'#';
    EXPECT_TRUE(getOwnVersion(&untouched, 0));
    EXPECT_EQ(untouched, L'#');
}

TEST(UpdateRulesOnWideStrings, PassNonAsciiTextThrough)
{
    EXPECT_EQ(manifestUrlFor(L"https://h/更新"), L"https://h/更新/version.json");
    EXPECT_EQ(resolveUrl(L"https://h/更新/version.json", L"程序.exe"), L"https://h/更新/程序.exe");
    EXPECT_EQ(compareVersions(L"v2.0.10", L"2.0.9"), 1);
    EXPECT_EQ(compareVersions(L"", L"2.0.0"), -1);
}

class ConfigFileTest : public testing::Test {
protected:
    void TearDown() override { DeleteFileW(configPath.c_str()); }
    void write(const std::string& content) { ASSERT_TRUE(writeWholeFile(configPath, content)); }

    const std::wstring configPath = getModuleDir() + L"\\LorminRecorder.cfg";
};

TEST_F(ConfigFileTest, MissingFileGivesTheDefault)
{
    DeleteFileW(configPath.c_str());
    EXPECT_EQ(readConfiguredUpdateUrl(), L"");
    EXPECT_EQ(selectUpdateBaseUrl(), kDefaultUpdateBaseUrl);
    EXPECT_EQ(std::wstring(kDefaultUpdateBaseUrl).rfind(L"https://", 0), 0u);
    EXPECT_EQ(std::wstring(kDefaultUpdateBaseUrl).back(), L'/');
}

TEST_F(ConfigFileTest, FileNextToTheExecutableIsRead)
{
    write("\xEF\xBB\xBF# UPDATE_URL=https://old/\r\n\t\tupdate_url =  \"https://h/\xE6\x9B\xB4\xE6\x96\xB0/\"  \r\n");
    EXPECT_EQ(readConfiguredUpdateUrl(), L"https://h/更新/");
    EXPECT_EQ(selectUpdateBaseUrl(), L"https://h/更新/");
}

TEST_F(ConfigFileTest, EmptyValueFallsBackToTheDefault)
{
    write("UPDATE_URL=\r\nUPDATE_URL=https://second/\r\n");
    EXPECT_EQ(readConfiguredUpdateUrl(), L"");
    EXPECT_EQ(selectUpdateBaseUrl(), kDefaultUpdateBaseUrl);
}

TEST_F(ConfigFileTest, LargeFileIsReadPastTheFirstChunks)
{
    std::string content(20000, '#');
    content += "\nUPDATE_URL=https://far/\n";
    write(content);
    EXPECT_EQ(readConfiguredUpdateUrl(), L"https://far/");
}

TEST_F(ConfigFileTest, EditedFileTakesEffectAtTheNextCall)
{
    write("UPDATE_URL=https://one/\n");
    EXPECT_EQ(selectUpdateBaseUrl(), L"https://one/");
    write("UPDATE_URL=https://two/\n");
    EXPECT_EQ(selectUpdateBaseUrl(), L"https://two/");
}

TEST_F(ConfigFileTest, Utf16FileIsNotUnderstood)
{
    write(std::string("\xFF\xFEU\0P\0D\0A\0T\0E\0_\0U\0R\0L\0=\0x\0", 26));
    EXPECT_EQ(readConfiguredUpdateUrl(), L"");
}

}  // namespace
