// library.json on a real file system: a save that reads back, and files that cannot be used set
// aside under names that never replace one another.
#include <string>

#include <windows.h>
#include <gtest/gtest.h>

#include "library/library_file.h"
#include "library/library_store.h"
#include "support/file_bytes.h"
#include "support/test_log.h"

namespace {

void writeBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

TEST(LibraryStore, SavesReadBackAndBadFilesAreSetAsideUnderNewNames)
{
    TestErrorLog log;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring appData = std::wstring(temp) + L"lr_library_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(appData.c_str(), nullptr);
    wchar_t previous[MAX_PATH] = {};
    const bool hadAppData = GetEnvironmentVariableW(L"APPDATA", previous, MAX_PATH) > 0;
    SetEnvironmentVariableW(L"APPDATA", appData.c_str());
    const std::wstring path = libraryPath();
    ASSERT_EQ(path, appData + L"\\LorminRecorder\\library.json");

    EXPECT_TRUE(loadLibrary().library.entries.empty()) << "no file: an empty library";
    Library library;
    library.entries.resize(1);
    library.entries[0].name = "晨报";
    library.entries[0].file = "C:\\S\\f.json";
    std::wstring error;
    ASSERT_TRUE(saveLibrary(library, error)) << error.size();
    LibraryLoad load = loadLibrary();
    EXPECT_TRUE(load.setAside.empty());
    ASSERT_EQ(load.library.entries.size(), 1u);
    EXPECT_EQ(formatLibrary(load.library), readFileBytes(path));

    for (const wchar_t* expected : {L".bad", L".bad2", L".bad3"}) {
        const std::string broken = std::string("{\"entries\": [") + static_cast<char>('0' + *expected % 10);
        writeBytes(path, broken);
        load = loadLibrary();
        EXPECT_TRUE(load.library.entries.empty());
        EXPECT_EQ(load.setAside, path + expected);
        EXPECT_EQ(readFileBytes(path + expected), broken) << "kept as it was";
        EXPECT_FALSE(fileExists(path));
    }
    const std::string lines = log.newText();
    EXPECT_NE(lines.find("library.json 无法使用"), std::string::npos) << lines;
    EXPECT_NE(lines.find("library.json.bad2"), std::string::npos) << lines;
    SetEnvironmentVariableW(L"APPDATA", hadAppData ? previous : nullptr);
}

}  // namespace
