// The recovery journal of the whole program: a recording whose program was killed comes back at
// the next start when the user answers 是, and goes to the discarded journals on 否.
#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "e2e/e2e_app.h"

namespace {

std::vector<std::wstring> journalsIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*.journal").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.emplace_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// Records clicks and keys into a target window, waits until the journal has had time to take
// them, and kills the program; returns the rows the window showed.
std::vector<std::wstring> recordAndKill(App& app, const std::wstring& logName, const RECT& place)
{
    TargetWindow target;
    EXPECT_TRUE(target.start(outputFolder() + L"\\" + logName, place));
    const POINT a = target.pointAt(0.3, 0.3);
    const POINT b = target.pointAt(0.6, 0.6);
    EXPECT_TRUE(beginRecordingAt(app, a));
    Sleep(kLeadTimeMs);
    clickAt(a.x, a.y);
    Sleep(150);
    typeText(L"ok", 60);
    Sleep(150);
    clickAt(b.x, b.y, 3);
    // The journal takes new events every second; the list shows them at once.
    waitUntil([&] { return app.rows().size() >= 6; }, 5000);
    Sleep(2500);
    std::vector<std::wstring> rows = app.rows();
    EXPECT_TRUE(app.kill());
    return rows;
}

}  // namespace

TEST_F(E2e, AKilledRecordingComesBackOnYesAndIsSetAsideOnNo)
{
    const std::wstring appData = folderFor(L"appdata_recovery");
    const std::wstring recovery = App::recoveryFolderOf(appData);
    App::removeRecoveryJournals(appData);
    const size_t discardedBefore = journalsIn(recovery + L"\\discarded").size();

    App first;
    ASSERT_TRUE(first.start(appData));
    ASSERT_TRUE(first.waitStatus(readyStatus, 10000));
    const std::vector<std::wstring> recorded = recordAndKill(first, L"recovery_target.log", besideOf(first.window));
    ASSERT_GE(recorded.size(), 6u);
    const std::vector<std::wstring> killed = journalsIn(recovery);
    ASSERT_EQ(1u, killed.size());

    // 是: the rows are back, unsaved, and journalled by the new instance.
    App second;
    second.keepRecoveryJournals = true;
    ASSERT_TRUE(second.start(appData));
    MessageBoxSeen question;
    ASSERT_TRUE(waitForMessageBox(second.processId(), L"确认", question, 10000));
    wchar_t expected[96];
    std::swprintf(expected, 96, L"上次未保存的 %u 条事件已找回。是否恢复？", static_cast<unsigned>(recorded.size()));
    EXPECT_TRUE(question.text == expected) << wideToUtf8(question.text);
    ASSERT_TRUE(answerMessageBox(question, IDYES));
    EXPECT_TRUE(second.rows() == recorded) << second.rows().size() << " rows back of " << recorded.size();
    // The old journal goes once the new one holds the events.
    EXPECT_TRUE(waitUntil(
        [&] {
            const std::vector<std::wstring> now = journalsIn(recovery);
            return now.size() == 1 && now != killed;
        },
        10000));
    const std::vector<std::wstring> adopted = journalsIn(recovery);

    // Killed again with the recovered events unsaved: they come back once more, and 否 sets them aside.
    ASSERT_TRUE(second.kill());
    App third;
    third.keepRecoveryJournals = true;
    ASSERT_TRUE(third.start(appData));
    ASSERT_TRUE(waitForMessageBox(third.processId(), L"确认", question, 10000));
    EXPECT_TRUE(question.text == expected) << wideToUtf8(question.text);
    ASSERT_TRUE(answerMessageBox(question, IDNO));
    EXPECT_TRUE(third.rows().empty());
    EXPECT_TRUE(journalsIn(recovery).empty());
    const std::vector<std::wstring> discarded = journalsIn(recovery + L"\\discarded");
    EXPECT_EQ(std::min<size_t>(discardedBefore + 1, 10), discarded.size());
    ASSERT_FALSE(adopted.empty());
    EXPECT_TRUE(std::find(discarded.begin(), discarded.end(), adopted.front()) != discarded.end());
    ASSERT_TRUE(third.closeWithKeyboard());
    DWORD code = 1234;
    EXPECT_TRUE(third.waitForExit(10000, code));
}
