// The window's start-up question about a journal left by an instance that ended without closing,
// with its box and the save dialog answered by the test.
#include <string>
#include <windows.h>

#include "base/text_encoding.h"
#include "recovery/journal_records.h"
#include "recovery/journal_writer_win.h"
#include "support/message_pump.h"
#include "ui_test_support.h"

namespace {

constexpr char kOrphanStem[] = "20261201-080000-000-00000abc";

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class RecoveryCommandsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        wchar_t saved[MAX_PATH] = L"";
        GetEnvironmentVariableW(L"LOCALAPPDATA", saved, MAX_PATH);
        savedAppData = saved;
        const std::wstring appData = tempPath(L"recovery_appdata");
        CreateDirectoryW(appData.c_str(), nullptr);
        SetEnvironmentVariableW(L"LOCALAPPDATA", appData.c_str());
        folder = appData + L"\\LorminRecorder\\recovery";
        orphan = folder + L"\\" + std::wstring(kOrphanStem, kOrphanStem + sizeof kOrphanStem - 1) + L".journal";
        discarded = folder + L"\\discarded\\" + orphan.substr(folder.size() + 1);
        DeleteFileW(discarded.c_str());
        // Nothing left by an earlier run: the test's journal is the only one.
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((folder + L"\\*.journal").c_str(), &found);
        while (search != INVALID_HANDLE_VALUE) {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
            if (!FindNextFileW(search, &found)) {
                FindClose(search);
                break;
            }
        }
        // An instance that wrote a journal and ended without removing it.
        JournalWriter writer(folder, kOrphanStem);
        writer.writeSnapshot(snapshotBody("C:\\scripts\\from.json", ScriptContents{sampleEvents(3), {}}));
        ASSERT_TRUE(writer.waitUntilDone(5000));
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        SetEnvironmentVariableW(L"LOCALAPPDATA", savedAppData.c_str());
    }

    std::wstring savedAppData;
    std::wstring folder;
    std::wstring orphan;
    std::wstring discarded;
};

TEST_F(RecoveryCommandsTest, YesShowsTheEventsUnsavedJournalsThemAgainAndProposesTheirFile)
{
    messageBoxes.answers = {IDYES};
    testWindow().recoverUnsavedWork();
    ASSERT_EQ(1u, messageBoxes.shown.size());
    EXPECT_TRUE(messageBoxes.shown[0].text == L"上次未保存的 3 条事件已找回。是否恢复？")
        << wideToUtf8(messageBoxes.shown[0].text);
    EXPECT_TRUE(messageBoxes.shown[0].caption == L"确认");
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), messageBoxes.shown[0].type);
    EXPECT_EQ(3, listRows());
    EXPECT_TRUE(shownScript().isUnsaved());
    // Written again under this instance's name; the old journal goes once the new one holds them.
    EXPECT_TRUE(pumpMessagesUntil([&] { return !exists(orphan); }, 10000));
    EXPECT_TRUE(exists(testWindow().journal().path()));

    command(IDC_SAVE);
    ASSERT_EQ(1, fileDialogs.shown);
    EXPECT_TRUE(fileDialogs.proposed == L"C:\\scripts\\from.json") << wideToUtf8(fileDialogs.proposed);
}

TEST_F(RecoveryCommandsTest, NoSetsTheJournalAsideAndShowsNothing)
{
    messageBoxes.answers = {IDNO};
    testWindow().recoverUnsavedWork();
    ASSERT_EQ(1u, messageBoxes.shown.size());
    EXPECT_EQ(0, listRows());
    EXPECT_FALSE(shownScript().isUnsaved());
    EXPECT_FALSE(exists(orphan));
    EXPECT_TRUE(exists(discarded));
}

}  // namespace
