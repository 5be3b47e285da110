// The settings file on a real file system: where it lives, what a missing, bad or unreadable
// file gives, and saves that replace the file whole or leave it alone.
#include <string>
#include <vector>

#include <windows.h>
#include <gtest/gtest.h>

#include "settings/user_settings_file.h"
#include "support/file_bytes.h"
#include "support/test_log.h"

namespace {

// A fresh APPDATA for one test, put back afterwards.
class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        appData = std::wstring(temp) + L"lr_settings_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                  std::to_wstring(++counter);
        CreateDirectoryW(appData.c_str(), nullptr);
        wchar_t previous[MAX_PATH] = {};
        hadAppData = GetEnvironmentVariableW(L"APPDATA", previous, MAX_PATH) > 0;
        previousAppData = previous;
        SetEnvironmentVariableW(L"APPDATA", appData.c_str());
        folder = appData + L"\\LorminRecorder";
        path = folder + L"\\settings.cfg";
    }
    void TearDown() override { SetEnvironmentVariableW(L"APPDATA", hadAppData ? previousAppData.c_str() : nullptr); }

    void writeFile(const std::string& bytes)
    {
        CreateDirectoryW(folder.c_str(), nullptr);
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }

    std::vector<std::wstring> folderEntries() const
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (found.cFileName[0] != L'.') {
                    names.emplace_back(found.cFileName);
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        return names;
    }

    // How often text (UTF-8) stands in this test's error log.
    size_t countInLog(const std::string& text) const
    {
        const std::string bytes = log.bytes();
        size_t count = 0;
        for (size_t at = bytes.find(text); at != std::string::npos; at = bytes.find(text, at + text.size())) {
            ++count;
        }
        return count;
    }

    TestErrorLog log;
    std::wstring appData;
    std::wstring folder;
    std::wstring path;
    bool hadAppData = false;
    std::wstring previousAppData;
};

TEST_F(SettingsFileTest, TheFileLivesInAppDataUnderLorminRecorder)
{
    EXPECT_EQ(userSettingsPath(), appData + L"\\LorminRecorder\\settings.cfg");
    SetEnvironmentVariableW(L"APPDATA", nullptr);
    EXPECT_EQ(userSettingsPath(), L"");
    const UserSettings settings = loadUserSettings();
    EXPECT_EQ(chordText(settings.record), "F8") << "no APPDATA: the defaults";
    std::wstring error;
    EXPECT_FALSE(saveUserSettings(settings, error));
    EXPECT_NE(error.find(L"APPDATA"), std::wstring::npos);
}

TEST_F(SettingsFileTest, AMissingFileGivesTheDefaultsWithoutALogLine)
{
    const size_t lines = countInLog(u8"设置");
    const UserSettings settings = loadUserSettings();
    EXPECT_EQ(chordText(settings.record), "F8");
    EXPECT_EQ(chordText(settings.recordAlt), "F7");
    EXPECT_EQ(chordText(settings.stop), "F9");
    EXPECT_FALSE(settings.stopOnUserInput);
    EXPECT_EQ(countInLog(u8"设置"), lines);
}

TEST_F(SettingsFileTest, ABadValueGetsItsDefaultAndOneLogLine)
{
    writeFile("\xEF\xBB\xBFHOTKEY_RECORD=Ctrl+F11\r\nHOTKEY_STOP=Ctrl+\r\nSTOP_ON_USER_INPUT=1\r\nFOLLOW_WINDOWS="
              "0\r\nWINDOW_WAIT_SECONDS=10\r\nHOTKEY_PAUSE=F10\r\nTRAY_ICON=1\r\nMINIMIZE_TO_TRAY=0\r\nPASS_GAP_"
              "SECONDS=0\r\n");
    const size_t lines = countInLog(u8"设置 HOTKEY_STOP=Ctrl+ 无法使用，改用默认值 F9");
    const UserSettings settings = loadUserSettings();
    EXPECT_EQ(chordText(settings.record), "Ctrl+F11");
    EXPECT_EQ(chordText(settings.stop), "F9");
    EXPECT_TRUE(settings.stopOnUserInput);
    EXPECT_EQ(countInLog(u8"设置 HOTKEY_STOP=Ctrl+ 无法使用，改用默认值 F9"), lines + 1);
}

TEST_F(SettingsFileTest, AnUnreadableFileGivesTheDefaultsAndALogLine)
{
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW(path.c_str(), nullptr);  // a folder where the file should be
    const size_t lines = countInLog(u8"无法读取设置文件");
    EXPECT_EQ(chordText(loadUserSettings().stop), "F9");
    EXPECT_EQ(countInLog(u8"无法读取设置文件"), lines + 1);
    RemoveDirectoryW(path.c_str());
}

TEST_F(SettingsFileTest, ASaveWritesTheWholeFileAndReplacesTheOldOne)
{
    UserSettings settings;
    settings.record = HotkeyChord{0x7A, kChordCtrl | kChordShift};
    settings.recordAlt = HotkeyChord{};
    settings.stop = HotkeyChord{0x13, 0};
    settings.stopOnUserInput = true;
    std::wstring error;
    ASSERT_TRUE(saveUserSettings(settings, error)) << "the folder is made on the way";
    EXPECT_EQ(readFileBytes(path), "HOTKEY_RECORD=Ctrl+Shift+F11\r\nHOTKEY_RECORD_ALT=\r\nHOTKEY_STOP=Pause\r\nSTOP_ON_"
                                   "USER_INPUT=1\r\nFOLLOW_WINDOWS=0\r\nWINDOW_WAIT_SECONDS=10\r\nHOTKEY_PAUSE="
                                   "F10\r\nTRAY_ICON=1\r\nMINIMIZE_TO_TRAY=0\r\nPASS_GAP_SECONDS=0\r\n");
    const UserSettings read = loadUserSettings();
    EXPECT_EQ(chordText(read.record), "Ctrl+Shift+F11");
    EXPECT_TRUE(read.recordAlt.empty());
    EXPECT_EQ(chordText(read.stop), "Pause");
    EXPECT_TRUE(read.stopOnUserInput);

    writeFile("# my own notes\r\nHOTKEY_STOP=F12\r\n");
    ASSERT_TRUE(saveUserSettings(UserSettings{}, error));
    EXPECT_EQ(readFileBytes(path), "HOTKEY_RECORD=F8\r\nHOTKEY_RECORD_ALT=F7\r\nHOTKEY_STOP=F9\r\nSTOP_ON_USER_INPUT="
                                   "0\r\nFOLLOW_WINDOWS=0\r\nWINDOW_WAIT_SECONDS=10\r\nHOTKEY_PAUSE=F10\r\nTRAY_ICON="
                                   "1\r\nMINIMIZE_TO_TRAY=0\r\nPASS_GAP_SECONDS=0\r\n");
    EXPECT_EQ(folderEntries(), std::vector<std::wstring>{L"settings.cfg"}) << "no temporary file is left";
}

TEST_F(SettingsFileTest, AFailedSaveSaysWhyAndLeavesNothingBehind)
{
    // A folder where the file should be: the new file cannot take its place.
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW(path.c_str(), nullptr);
    std::wstring error;
    EXPECT_FALSE(saveUserSettings(UserSettings{}, error));
    EXPECT_EQ(error.rfind(L"无法保存设置文件：\n" + path + L"（错误 ", 0), 0u);
    EXPECT_EQ(folderEntries(), std::vector<std::wstring>{L"settings.cfg"}) << "the temporary file is gone";
    RemoveDirectoryW(path.c_str());

    // A file where the folder should be: nothing can be written at all.
    RemoveDirectoryW(folder.c_str());
    writeFile("");
    MoveFileW(path.c_str(), (appData + L"\\elsewhere").c_str());
    RemoveDirectoryW(folder.c_str());
    MoveFileW((appData + L"\\elsewhere").c_str(), folder.c_str());
    EXPECT_FALSE(saveUserSettings(UserSettings{}, error));
    EXPECT_EQ(error.rfind(L"无法保存设置文件：", 0), 0u);
    DeleteFileW(folder.c_str());
}

}  // namespace
