// The recovery journal's shells on real files under wine: the writer thread, the lock that tells
// a running instance's journal from an orphan, the discarded folder, and the window's follower.
#include <atomic>
#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "recorder/recorder.h"
#include "recovery/journal_files.h"
#include "recovery/journal_folder_win.h"
#include "recovery/journal_records.h"
#include "recovery/journal_writer_win.h"
#include "script/script_document.h"
#include "ui/recovery_journal.h"

namespace {

std::wstring freshFolder(const wchar_t* name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* pattern : {L"\\*.*", L"\\discarded\\*.*"}) {
        const std::wstring within = folder + (pattern[1] == L'd' ? L"\\discarded" : L"");
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((folder + pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            DeleteFileW((within + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return folder;
}

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

JournalReading readBack(const std::wstring& path)
{
    std::string bytes;
    EXPECT_TRUE(readJournalBytes(path, bytes));
    return readJournal(bytes);
}

MacroEvent move(int x)
{
    MacroEvent event;
    event.x = x;
    return event;
}

// A recording that captured `captured` moves so far, in one window.
std::atomic<int> captured{0};
void pullMoves(void*, size_t firstEvent, size_t firstWindow, std::vector<MacroEvent>& events,
               std::vector<WindowIdentity>& windows)
{
    for (int i = static_cast<int>(firstEvent); i < captured.load(); ++i) {
        MacroEvent event = move(i);
        event.window.index = 0;
        events.push_back(event);
    }
    if (firstWindow == 0 && !events.empty()) {
        windows.push_back({"target.exe", "Target", "标题"});
    }
}

TEST(JournalWriter, ARecordingIsAppendedEverySecondAndItsJournalIsAnOrphanOnlyOnceTheInstanceIsGone)
{
    const std::wstring folder = freshFolder(L"lr_recovery_writer");
    std::wstring path;
    {
        JournalWriter writer(folder, "20261210-120000-000-00000001");
        path = writer.path();
        captured = 3;
        writer.beginRecording(RecordingSource{nullptr, &pullMoves});
        ASSERT_TRUE(writer.waitUntilDone(5000));
        Sleep(1500);
        EXPECT_EQ(3u, readBack(path).contents.events.size());
        captured = 5;
        Sleep(1500);
        const JournalReading reading = readBack(path);
        EXPECT_EQ(JournalEnd::Clean, reading.end);
        ASSERT_EQ(5u, reading.contents.events.size());
        EXPECT_EQ(4, reading.contents.events[4].x);
        ASSERT_EQ(1u, reading.contents.windows.size());
        // Its instance runs: nobody else may take it.
        EXPECT_TRUE(findOrphanJournals(folder).empty());
    }
    // The instance ended without removing it (as a crash would): the next start finds it.
    const std::vector<OrphanJournal> orphans = findOrphanJournals(folder);
    ASSERT_EQ(1u, orphans.size());
    EXPECT_EQ(path, orphans[0].path);
    EXPECT_EQ(5u, readBack(path).contents.events.size());
}

TEST(JournalWriter, ASnapshotReplacesTheJournalAndRemoveDeletesItWithTheRecoveredOne)
{
    const std::wstring folder = freshFolder(L"lr_recovery_snapshot");
    const std::wstring old = folder + L"\\20261201-000000-000-00000002.journal";
    ASSERT_TRUE(CloseHandle(CreateFileW(old.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)));
    JournalWriter writer(folder, "20261210-120000-000-00000003");
    writer.writeSnapshot(snapshotBody("C:\\a.json", ScriptContents{{move(1), move(2)}, {}}));
    writer.writeSnapshot(snapshotBody("C:\\b.json", ScriptContents{{move(7)}, {}}), old);
    ASSERT_TRUE(writer.waitUntilDone(5000));
    const JournalReading reading = readBack(writer.path());
    EXPECT_EQ("C:\\b.json", reading.sourceFile);
    ASSERT_EQ(1u, reading.contents.events.size());
    EXPECT_FALSE(exists(old));
    writer.remove();
    ASSERT_TRUE(writer.waitUntilDone(5000));
    EXPECT_FALSE(exists(writer.path()));
}

TEST(JournalFolder, DiscardingKeepsTheNewestTen)
{
    const std::wstring folder = freshFolder(L"lr_recovery_discard");
    CreateDirectoryW((folder + L"\\discarded").c_str(), nullptr);
    for (int i = 0; i < 10; ++i) {
        const std::string stem = journalStem(JournalInstance{2026, 1, 1, 0, i, 0, 0, 9});
        const std::wstring name = folder + L"\\discarded\\" + std::wstring(stem.begin(), stem.end()) + L".journal";
        CloseHandle(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    const std::string stem = journalStem(JournalInstance{2026, 12, 10, 0, 0, 0, 0, 9});
    const OrphanJournal orphan{folder + L"\\" + std::wstring(stem.begin(), stem.end()) + L".journal", stem};
    CloseHandle(CreateFileW(orphan.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(discardJournal(folder, orphan));
    EXPECT_FALSE(exists(orphan.path));
    EXPECT_TRUE(exists(folder + L"\\discarded\\" + std::wstring(stem.begin(), stem.end()) + L".journal"));
    const std::string oldest = journalStem(JournalInstance{2026, 1, 1, 0, 0, 0, 0, 9});
    EXPECT_FALSE(exists(folder + L"\\discarded\\" + std::wstring(oldest.begin(), oldest.end()) + L".journal"));
    const std::string second = journalStem(JournalInstance{2026, 1, 1, 0, 1, 0, 0, 9});
    EXPECT_TRUE(exists(folder + L"\\discarded\\" + std::wstring(second.begin(), second.end()) + L".journal"));
}

TEST(DocumentJournal, FollowsTheDocumentWritesItAfterAChangeAndRemovesItWhenSaved)
{
    const std::wstring folder = freshFolder(L"lr_recovery_document");
    Recorder recorder;
    ScriptDocument document;
    DocumentJournal journal(document, recorder);
    journal.follow(false);
    EXPECT_TRUE(journal.path().empty()) << "off until enabled";
    journal.enable(folder, "20261210-120000-000-00000004");

    std::vector<MacroEvent> events;
    for (int i = 0; i < 200000; ++i) {
        events.push_back(move(i));
    }
    document.replace(ScriptContents{events, {}});
    document.setSourceFile("C:\\big.json");
    journal.follow(false);
    EXPECT_TRUE(journal.path().empty()) << "nothing unsaved, nothing journalled";
    ASSERT_TRUE(document.deleteRanges({{0, 1}}));
    journal.follow(false);
    ASSERT_TRUE(journal.waitUntilWritten(20000));
    const JournalReading reading = readBack(journal.path());
    EXPECT_EQ(JournalEnd::Clean, reading.end);
    EXPECT_EQ("C:\\big.json", reading.sourceFile);
    ASSERT_EQ(events.size() - 1, reading.contents.events.size());
    EXPECT_EQ(1, reading.contents.events.front().x);

    ASSERT_TRUE(document.markSaved(document.generation()));
    journal.follow(false);
    ASSERT_TRUE(journal.waitUntilWritten(5000));
    EXPECT_FALSE(exists(journal.path()));

    // Unsaved again, then the window closes without keeping it.
    ASSERT_TRUE(document.trimFirstDelay() || document.deleteRanges({{0, 1}}));
    journal.follow(false);
    ASSERT_TRUE(journal.waitUntilWritten(20000));
    const std::wstring path = journal.path();
    EXPECT_TRUE(exists(path));
    journal.closeWithoutKeeping();
    EXPECT_FALSE(exists(path));
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
