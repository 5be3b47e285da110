// The window's commands driven the way the buttons and hotkeys drive them, in every state, and
// with the state moving on while one of their dialogs is open.
#include <gtest/gtest.h>

#include "player/player_messages.h"
#include "recorder/recorder_messages.h"
#include "support/message_pump.h"
#include "ui_test_support.h"

namespace {

class WindowCommandsTest : public MainWindowTest {
protected:
    // A playback that waits 300 s before its first event stays "playing" for the test.
    void startLongPlayback(size_t events)
    {
        std::vector<MacroEvent> script = sampleEvents(events);
        script[0].delay = 300.0;
        loadThroughCommand(script, L"lr_ui_long.json");
        command(IDC_PLAY);
        ASSERT_TRUE(testPlayer().isPlaying());
        messageBoxes.shown.clear();
    }
};

void pressRecordHotkey()
{
    PostMessageW(testWindow().handle(), WM_APP_RECORD_HOTKEY, 0, 0);
    pumpMessagesFor(30);
}

TEST_F(WindowCommandsTest, LoadWhoseDialogEndsDuringARecordingIsRefusedAndTheRecordingGoesOn)
{
    startHooks();
    loadThroughCommand(sampleEvents(3), L"lr_ui_three.json");
    messageBoxes.shown.clear();
    // While the open dialog is up the user presses F8 and answers "No" to saving the three events.
    messageBoxes.answers = {IDNO};
    fileDialogs.onShow = &pressRecordHotkey;
    const std::wstring path = tempPath(L"lr_ui_five.json");
    std::wstring error;
    ASSERT_TRUE(saveScript(path, sampleEvents(5), error));
    fileDialogs.paths = {path};
    command(IDC_LOAD);
    fileDialogs.onShow = nullptr;
    DeleteFileW(path.c_str());

    ASSERT_TRUE(testRecorder().isRecording());
    ASSERT_EQ(messageBoxes.shown.size(), 2u);
    EXPECT_EQ(messageBoxes.shown[0].text, L"开始新录制会清空当前的 3 条事件。\n\n是否先保存当前脚本？");
    EXPECT_EQ(messageBoxes.shown[1].text, L"录制 / 回放进行中，已取消加载。");
    EXPECT_EQ(shownScript().eventCount(), 0u) << "the script chosen in the dialog must not replace the recording";
    EXPECT_EQ(listRows(), 0);
    EXPECT_EQ(status(), L"● 录制中...");
    expectButtons("recording", {{IDC_RECORD, false, L"● 录制中"},
                                {IDC_RECORD_STOP, true, nullptr},
                                {IDC_PLAY, false, L"▶ 回放"},
                                {IDC_SAVE, false, nullptr},
                                {IDC_LOAD, false, nullptr}});

    // The play command is refused during the recording, from the button's message as well.
    command(IDC_PLAY);
    EXPECT_FALSE(testPlayer().isPlaying());
    EXPECT_TRUE(testRecorder().isRecording());
    SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
    EXPECT_FALSE(testRecorder().isRecording());
    EXPECT_EQ(status(), L"已停止 (0条)");
}

TEST_F(WindowCommandsTest, RecordingStartedFromTheLoadedBoxIsWhatTheStatusSays)
{
    startHooks();
    // F8 while the "加载 5 条" box is open; the question about the five events (asked inside the
    // box, so answered first) is answered "No", then the box is closed.
    messageBoxes.answers = {IDNO, IDOK};
    messageBoxes.onShow = [] {
        if (messageBoxes.shown.back().text == L"加载 5 条") {
            pressRecordHotkey();
        }
    };
    loadThroughCommand(sampleEvents(5), L"lr_ui_box.json");
    messageBoxes.onShow = nullptr;

    ASSERT_TRUE(testRecorder().isRecording());
    EXPECT_EQ(status(), L"● 录制中...");
    EXPECT_FALSE(controlEnabled(IDC_PLAY));
    SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
    EXPECT_EQ(status(), L"已停止 (0条)");
    expectIdle("after the recording", false);
}

TEST_F(WindowCommandsTest, ScriptCommandsDuringAPlaybackLeaveTheEventsAlone)
{
    startHooks();
    startLongPlayback(4);
    fileDialogs.paths = {tempPath(L"lr_ui_never.json")};
    const int dialogsBefore = fileDialogs.shown;

    for (int id : {IDC_CLEAR, IDC_LOAD, IDC_SAVE, IDC_RECORD}) {
        command(id);
        EXPECT_TRUE(testPlayer().isPlaying()) << id;
        EXPECT_EQ(shownScript().eventCount(), 4u) << id;
        EXPECT_EQ(listRows(), 4) << id;
    }
    SendMessageW(window, WM_APP_RECORD_HOTKEY, 0, 0);
    EXPECT_FALSE(testRecorder().isRecording()) << "F8 while playing does nothing";
    EXPECT_EQ(fileDialogs.shown, dialogsBefore) << "no dialog opens during a playback";
    EXPECT_TRUE(messageBoxes.shown.empty());
    EXPECT_EQ(status(), L"▶ 回放中...");
}

TEST_F(WindowCommandsTest, APassAnnouncedJustBeforeAStopDoesNotOverwriteTheStop)
{
    startHooks();
    startLongPlayback(3);
    SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
    ASSERT_FALSE(testPlayer().isPlaying());
    EXPECT_EQ(status(), L"⏹ 停止");
    // The playback thread posted the start of a pass just before it saw the stop.
    SendMessageW(window, WM_APP_PLAYBACK_LOOP, 2, 3);
    EXPECT_EQ(status(), L"⏹ 停止") << "the window is idle and must keep saying so";
    expectIdle("after the stop", true);
}

TEST_F(WindowCommandsTest, ScriptCommandsDuringARecordingLeaveItAlone)
{
    startHooks();
    SendMessageW(window, WM_APP_RECORD_HOTKEY, 0, 0);
    ASSERT_TRUE(testRecorder().isRecording());
    captureMoves({{0, 0}, {1, 0}});
    SendMessageW(window, WM_APP_EVENT_ADDED, 0, 0);
    SendMessageW(window, WM_APP_EVENT_ADDED, 1, 0);
    fileDialogs.paths = {tempPath(L"lr_ui_never.json")};
    messageBoxes.shown.clear();
    for (int id : {IDC_CLEAR, IDC_LOAD, IDC_SAVE, IDC_PLAY, IDC_CHECK_UPDATE}) {
        command(id);
        EXPECT_TRUE(testRecorder().isRecording()) << id;
        EXPECT_FALSE(testPlayer().isPlaying()) << id;
        EXPECT_EQ(shownScript().eventCount(), 2u) << id;
    }
    EXPECT_EQ(fileDialogs.shown, 0) << "no dialog opens during a recording";
    ASSERT_EQ(messageBoxes.shown.size(), 1u) << "only the update button explains itself";
    EXPECT_EQ(messageBoxes.shown[0].text, L"录制 / 回放进行中，请先停止后再检查更新。");
    EXPECT_EQ(status(), L"● 录制中...");
}

TEST_F(WindowCommandsTest, ClearAnsweredAfterARecordingStartedClearsNothingMore)
{
    startHooks();
    loadThroughCommand(sampleEvents(2), L"lr_ui_two.json");
    messageBoxes.shown.clear();
    // F8 inside the clear question: the recording asks about the two events first ("No"), then
    // the clear question is answered "Yes" once the recording runs.
    messageBoxes.answers = {IDNO, IDYES};
    messageBoxes.onShow = [] {
        if (messageBoxes.shown.back().text == L"清空所有事件？") {
            pressRecordHotkey();
        }
    };
    command(IDC_CLEAR);
    messageBoxes.onShow = nullptr;
    ASSERT_TRUE(testRecorder().isRecording());
    EXPECT_EQ(status(), L"● 录制中...") << "the clear must not report itself over the recording";
}

}  // namespace
