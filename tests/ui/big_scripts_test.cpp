// The event list with scripts of any size: a million events loaded in the background and shown
// row for row, and rows that appear while a recording runs.
#include <algorithm>
#include <cstdio>
#include <cwchar>

#include <gtest/gtest.h>

#include "recorder/recorder_messages.h"
#include "support/message_pump.h"
#include "support/xdotool.h"
#include "ui_test_support.h"

namespace {

double secondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

TEST_F(MainWindowTest, AMillionEventsLoadInTheBackgroundAndEveryRowReadsRight)
{
    startHooks();
    const std::wstring path = tempPath(L"lr_ui_million.json");
    std::wstring error;
    ASSERT_TRUE(saveScript(path, sampleEvents(1000000), error));
    fileDialogs.paths = {path};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    command(IDC_LOAD);

    // The command returns at once: the window goes on answering while the worker reads.
    EXPECT_EQ(status(), L"正在加载…");
    expectButtons("loading", {{IDC_RECORD, false, nullptr},
                              {IDC_PLAY, false, nullptr},
                              {IDC_SAVE, false, nullptr},
                              {IDC_LOAD, false, nullptr},
                              {IDC_CLEAR, false, nullptr}});
    SendMessageW(window, WM_APP_RECORD_HOTKEY, 0, 0);
    EXPECT_FALSE(testRecorder().isRecording()) << "no recording over a script being loaded";
    double longestGap = 0;
    LARGE_INTEGER previous = start;
    std::vector<std::wstring> progress;
    ASSERT_TRUE(pumpMessagesUntil(
        [&] {
            longestGap = std::max(longestGap, secondsSince(previous));
            QueryPerformanceCounter(&previous);
            const std::wstring now = status();
            if (progress.empty() || progress.back() != now) {
                progress.push_back(now);
            }
            return now.rfind(L"正在加载…", 0) != 0;
        },
        120000));
    const double seconds = secondsSince(start);
    std::printf("1 000 000 events: loaded and shown %.2f s after the command, longest wait between messages "
                "%.3f s\n",
                seconds, longestGap);
    DeleteFileW(path.c_str());

    EXPECT_EQ(status(), L"已加载脚本");
    // The status line counted the load up in whole percents, never back.
    std::vector<int> percents;
    for (const std::wstring& text : progress) {
        int percent = -1;
        if (std::swscanf(text.c_str(), L"正在加载… %d%%", &percent) == 1) {
            percents.push_back(percent);
        }
    }
    ASSERT_FALSE(percents.empty()) << "no progress was shown";
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_GE(percents.front(), 0);
    EXPECT_LE(percents.back(), 100);
    ASSERT_FALSE(messageBoxes.shown.empty());
    EXPECT_EQ(messageBoxes.shown.back().text, L"加载 1000000 条");
    EXPECT_EQ(controlText(IDC_EVENT_COUNT), L"(1000000)");
    ASSERT_EQ(listRows(), 1000000);
    EXPECT_EQ(listRow(0), L"  #0001  移动 (0,0)");
    EXPECT_EQ(listRow(499999), L"  #500000  移动 (999,499)");
    EXPECT_EQ(listRow(999999), L"  #1000000  移动 (999,999)");
    EXPECT_EQ(listRow(1000000), L"") << "no row past the end";
    EXPECT_GT(SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_GETTOPINDEX, 0, 0), 999900) << "the end is in view";
    expectIdle("loaded", true);
    EXPECT_LT(longestGap, 5.0) << "generous: the window answers while the worker reads";
}

TEST_F(MainWindowTest, RowsAppearWhileARecordingRuns)
{
    startHooks();
    SendMessageW(window, WM_APP_RECORD_HOTKEY, 0, 0);
    ASSERT_TRUE(testRecorder().isRecording());
    // Real moves far from the window, each well beyond the 20 ms move throttle.
    for (const wchar_t* place : {L"1100 150", L"1150 200", L"1200 250"}) {
        ASSERT_TRUE(runXdotool(std::wstring(L"mousemove ") + place));
        pumpMessagesFor(80);
    }
    ASSERT_TRUE(pumpMessagesUntil([&] { return listRows() >= 3; }, 5000));
    const LRESULT rows = listRows();
    EXPECT_EQ(static_cast<size_t>(rows), shownScript().eventCount());
    EXPECT_EQ(controlText(IDC_EVENT_COUNT), L"(" + std::to_wstring(rows) + L")");
    // The last three rows are the three moves, numbered from where they stand.
    wchar_t expected[64];
    const int x[] = {1100, 1150, 1200};
    const int y[] = {150, 200, 250};
    for (int i = 0; i < 3; ++i) {
        const LRESULT index = rows - 3 + i;
        std::swprintf(expected, 64, L"  #%04d  移动 (%d,%d)", static_cast<int>(index + 1), x[i], y[i]);
        EXPECT_EQ(listRow(index), expected);
    }
    EXPECT_GE(SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_GETTOPINDEX, 0, 0), rows - 10)
        << "the newest row is in view";
    SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
}

}  // namespace

namespace {

double timedCommand(HWND window, int id)
{
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return secondsSince(start);
}

TEST_F(MainWindowTest, HalfOfAMillionRowsAreDeletedAndBroughtBackQuickly)
{
    replaceShownEvents(sampleEvents(1000000));
    testWindow().showEventRows();
    HWND list = GetDlgItem(window, IDC_EVENT_LIST);
    // The middle half, as a click and a Shift+click select it.
    SendMessageW(list, LB_SELITEMRANGEEX, 250000, 749999);
    ASSERT_EQ(SendMessageW(list, LB_GETSELCOUNT, 0, 0), 500000);
    const double deleting = timedCommand(window, IDM_EDIT_DELETE);
    ASSERT_EQ(listRows(), 500000);
    EXPECT_EQ(listRow(249999), L"  #250000  移动 (999,249)");
    EXPECT_EQ(listRow(250000), L"  #250001  移动 (0,750)") << "the rows after the deleted ones moved up";
    const double undoing = timedCommand(window, IDM_EDIT_UNDO);
    ASSERT_EQ(listRows(), 1000000);
    EXPECT_EQ(listRow(500000), L"  #500001  移动 (0,500)");
    EXPECT_EQ(SendMessageW(list, LB_GETSELCOUNT, 0, 0), 500000) << "what came back is selected";
    std::printf("1 000 000 events, 500 000 selected: delete %.3f s, undo %.3f s\n", deleting, undoing);
    EXPECT_LT(deleting, 10.0) << "generous bound; the figure above is the measurement";
    EXPECT_LT(undoing, 10.0);
}

}  // namespace
