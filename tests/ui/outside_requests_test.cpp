// Scripts that reach the window from outside: dropped on it, named on the command line, played
// unattended.
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include "player/system_seams.h"
#include "recorder/recorder_messages.h"
#include "support/message_pump.h"
#include "support/scoped_seam.h"
#include "ui_test_support.h"

namespace {

// A real HDROP as the shell builds it: DROPFILES followed by the wide paths, each ending in a
// zero, and one more zero at the end.
HGLOBAL makeDrop(const std::vector<std::wstring>& paths)
{
    size_t chars = 1;
    for (const std::wstring& path : paths) {
        chars += path.size() + 1;
    }
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(header) + sizeof(DROPFILES));
    for (const std::wstring& path : paths) {
        std::memcpy(text, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        text += path.size() + 1;
    }
    *text = L'\0';
    GlobalUnlock(memory);
    return memory;
}

// The system refuses every key record, as it does when the program in front runs elevated.
bool refuseKeys(void*, const InputRecord& record, uint32_t& error)
{
    if (record.type == kInputTypeKeyboard) {
        error = 5;  // ERROR_ACCESS_DENIED
        return false;
    }
    return true;
}

MacroEvent keyPress(const char* key)
{
    MacroEvent event;
    event.kind = EventKind::KeyDown;
    event.keyOrText = key;
    event.delay = 0.01;
    return event;
}

class OutsideRequestsTest : public MainWindowTest {
protected:
    std::wstring scriptFile(const wchar_t* name, size_t events)
    {
        const std::wstring path = tempPath(name);
        std::wstring error;
        EXPECT_TRUE(saveScript(path, sampleEvents(events), error));
        files.push_back(path);
        return path;
    }
    void drop(const std::vector<std::wstring>& paths)
    {
        // The window gives the drop back (DragFinish frees the memory).
        SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop(paths)), 0);
    }
    void TearDown() override
    {
        for (const std::wstring& path : files) {
            DeleteFileW(path.c_str());
        }
        MainWindowTest::TearDown();
    }
    std::vector<std::wstring> files;
};

TEST_F(OutsideRequestsTest, ADroppedScriptIsLoadedAsTheLoadCommandLoadsIt)
{
    EXPECT_NE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0) << "the window takes dropped files";
    drop({scriptFile(L"lr_ui_drop_3.json", 3)});
    EXPECT_EQ(shownScript().eventCount(), 3u);
    EXPECT_EQ(listRows(), 3);
    EXPECT_EQ(listRow(2), L"  #0003  移动 (2,0)");
    EXPECT_EQ(controlText(IDC_EVENT_COUNT), L"(3)");
    EXPECT_EQ(status(), L"已加载脚本");
    EXPECT_FALSE(testWindow().isUnsaved());
    EXPECT_TRUE(messageBoxes.shown.empty()) << "a drop needs no confirmation box";
    expectIdle("after a drop", true);

    // Several files: the first is loaded and the status says that only it was.
    drop({scriptFile(L"lr_ui_drop_5.json", 5), scriptFile(L"lr_ui_drop_2.json", 2)});
    EXPECT_EQ(shownScript().eventCount(), 5u);
    EXPECT_EQ(status(), L"已加载脚本（只加载了第一个文件）");

    // A file that is no script: the Load command's error, the script kept.
    const std::wstring broken = tempPath(L"lr_ui_drop_broken.json");
    files.push_back(broken);
    FILE* file = _wfopen(broken.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    std::fputs("not json", file);
    std::fclose(file);
    drop({broken});
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].text.rfind(L"加载失败: ", 0), 0u);
    EXPECT_EQ(shownScript().eventCount(), 5u);
    EXPECT_EQ(listRows(), 5);
}

TEST_F(OutsideRequestsTest, ADropDuringARecordingIsRefusedAndSaysSo)
{
    startHooks();
    SendMessageW(window, WM_APP_RECORD_HOTKEY, 0, 0);
    ASSERT_TRUE(testRecorder().isRecording());
    drop({scriptFile(L"lr_ui_drop_refused.json", 4)});
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].text, L"录制 / 回放进行中，请先停止后再加载脚本。");
    EXPECT_TRUE(testRecorder().isRecording());
    EXPECT_EQ(shownScript().eventCount(), 0u);
    EXPECT_EQ(status(), L"● 录制中...");
}

TEST_F(OutsideRequestsTest, FilesNamedOnTheCommandLineAreOpenedLikeADrop)
{
    testWindow().openScriptFiles({scriptFile(L"lr_ui_open.json", 2)});
    EXPECT_EQ(listRows(), 2);
    EXPECT_EQ(status(), L"已加载脚本");
    testWindow().openScriptFiles({tempPath(L"lr_ui_no_such_file.json")});
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].text, L"加载失败: 无法打开文件");
    EXPECT_EQ(shownScript().eventCount(), 2u);
}

TEST_F(OutsideRequestsTest, AnUnattendedPlaybackShowsItsValuesAndClosesTheWindowAtItsEnd)
{
    startHooks();
    MainWindow::UnattendedPlayback playback;
    playback.events = sampleEvents(3);
    for (MacroEvent& e : playback.events) {
        e.x = 600;
        e.y = 500;
    }
    playback.speed = 2.5;
    playback.loops = 2;
    playback.clickFidelity = false;
    ASSERT_TRUE(testWindow().startUnattendedPlayback(playback));
    EXPECT_EQ(controlText(IDC_SPEED), L"2.5");
    EXPECT_EQ(controlText(IDC_COUNT), L"2");
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_LOOP), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_CLICK_FIDELITY), BST_UNCHECKED);
    EXPECT_EQ(status(), L"▶ 回放中...（共 2 次）");
    EXPECT_EQ(listRows(), 3);
    ASSERT_TRUE(pumpMessagesUntil([this] { return !IsWindow(window); }, 10000)) << "the window closes itself";
    EXPECT_EQ(testWindow().unattendedOutcome(), MainWindow::PlaybackOutcome::Completed);
    EXPECT_TRUE(messageBoxes.shown.empty()) << "nothing may wait for a person";
}

TEST_F(OutsideRequestsTest, AnUnattendedPlaybackStoppedWithTheStopKeyEndsAsStopped)
{
    startHooks();
    MainWindow::UnattendedPlayback playback;
    playback.events = sampleEvents(2);
    playback.events[0].delay = 300.0;
    playback.endless = true;
    ASSERT_TRUE(testWindow().startUnattendedPlayback(playback));
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_LOOP), BST_CHECKED);
    EXPECT_EQ(status(), L"▶ 回放中...（无限循环）");
    PostMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
    ASSERT_TRUE(pumpMessagesUntil([this] { return !IsWindow(window); }, 5000));
    EXPECT_EQ(testWindow().unattendedOutcome(), MainWindow::PlaybackOutcome::Stopped);
}

TEST_F(OutsideRequestsTest, APlaybackTheSystemRefusesSaysSoAndAnUnattendedOneEndsAsRefused)
{
    startHooks();
    InputSeam refusing = systemInputSeam();
    refusing.sendInput = &refuseKeys;
    ScopedSeam guard(playbackInputSeam, refusing);

    replaceShownEvents({keyPress("A"), keyPress("B")});
    testWindow().showEventRows();
    command(IDC_PLAY);
    ASSERT_TRUE(pumpMessagesUntil([] { return !testPlayer().isPlaying(); }, 5000));
    pumpMessagesFor(50);
    EXPECT_EQ(status(), L"⚠ 回放被系统拒绝（目标程序可能以管理员身份运行）");
    expectIdle("after a refused playback", true);

    MainWindow::UnattendedPlayback playback;
    playback.events = {keyPress("A")};
    ASSERT_TRUE(testWindow().startUnattendedPlayback(playback));
    ASSERT_TRUE(pumpMessagesUntil([this] { return !IsWindow(window); }, 5000));
    EXPECT_EQ(testWindow().unattendedOutcome(), MainWindow::PlaybackOutcome::Refused) << "exit code 5";
    EXPECT_TRUE(messageBoxes.shown.empty());
}

}  // namespace
