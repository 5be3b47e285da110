#pragma once
// A main window of the test process, with message boxes and file dialogs answered by the test.

#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "player/player.h"
#include "recorder/recorder.h"
#include "recorder/recorder_messages.h"
#include "script/macro_event.h"
#include "script/script_file.h"
#include "ui/control_ids.h"
#include "ui/main_window.h"

struct ShownMessage {
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
};

// Message boxes: each call is recorded; the answer comes from the queue, IDOK when it is empty.
// onShow, when set, runs inside the box (as a modal loop would let posted messages run).
struct MessageBoxScript {
    std::vector<ShownMessage> shown;
    std::deque<int> answers;
    void (*onShow)() = nullptr;
};
extern MessageBoxScript messageBoxes;

// File dialogs: the next chosen path, or cancel when empty.
struct FileDialogScript {
    std::deque<std::wstring> paths;
    int shown = 0;
    std::wstring proposed;       // the path the last dialog was opened with
    void (*onShow)() = nullptr;  // runs inside the dialog, before it is answered
};
extern FileDialogScript fileDialogs;

// Creates the main window (class registered once) at the given DPI with the seams above, shown.
HWND openMainWindow(int dpi = 96);
// The window object of the test process, and the recorder and the player it drives.
MainWindow& testWindow();
Recorder& testRecorder();
Player& testPlayer();
// The script the window shows.
inline ScriptDocument& shownScript()
{
    return testWindow().document();
}
// Replaces the events shown (the rows follow only when the test shows them).
inline void replaceShownEvents(std::vector<MacroEvent> events)
{
    shownScript().replace(ScriptContents{std::move(events), {}});
}
// Changes the events shown in place, as a new script.
void editShownEvents(void (*edit)(std::vector<MacroEvent>& events));
// Real mouse moves as the input hook hands them to the recorder, far enough apart in time for the
// capture to keep each one; the recorder posts WM_APP_EVENT_ADDED for each.
void captureMoves(std::initializer_list<POINT> places);
// Destroys the main window if it still exists and drops the quit message its destruction posts.
void closeMainWindow();

std::wstring controlText(int id);
bool controlEnabled(int id);
std::vector<MacroEvent> sampleEvents(size_t count);
std::wstring tempPath(const wchar_t* name);

// A main window for each test, with the recorder and the player reset around it.
class MainWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        window = openMainWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(shownScript().empty());
    }
    void TearDown() override
    {
        if (testPlayer().isPlaying()) {
            testPlayer().stopPlayback();
        }
        if (testRecorder().isRecording()) {
            testRecorder().stopRecording();
        }
        testRecorder().stopHookThread();
        testPlayer().setMainWindow(nullptr);
        closeMainWindow();
    }

    void command(int id, int code = BN_CLICKED)
    {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    }
    LRESULT spin(int id, int delta)
    {
        NMUPDOWN change{};
        change.hdr.hwndFrom = GetDlgItem(window, id);
        change.hdr.idFrom = static_cast<UINT_PTR>(id);
        change.hdr.code = static_cast<UINT>(UDN_DELTAPOS);
        change.iDelta = delta;
        return SendMessageW(window, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&change));
    }
    LRESULT listRows() { return SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_GETCOUNT, 0, 0); }
    std::wstring listRow(LRESULT index)
    {
        wchar_t row[320] = L"";
        SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_GETTEXT, static_cast<WPARAM>(index),
                            reinterpret_cast<LPARAM>(row));
        return row;
    }
    std::wstring status() { return controlText(IDC_STATUS); }
    // Loads events through the Load command, answering its dialog and its confirmation.
    void loadThroughCommand(const std::vector<MacroEvent>& events, const wchar_t* name)
    {
        const std::wstring path = tempPath(name);
        std::wstring error;
        ASSERT_TRUE(saveScript(path, events, error));
        fileDialogs.paths.push_back(path);
        command(IDC_LOAD);
        DeleteFileW(path.c_str());
    }
    void startHooks()
    {
        ASSERT_TRUE(testRecorder().startHookThread(window));
        ASSERT_EQ(testRecorder().hookState(), HookState::Installed);
        testPlayer().setMainWindow(window);
    }
    // A recording of real mouse moves, from the record hotkey to the stop hotkey: the script
    // shown is then unsaved.
    void recordMoves(std::initializer_list<POINT> places)
    {
        startHooks();
        SendMessageW(window, WM_APP_RECORD_HOTKEY, 0, 0);
        ASSERT_TRUE(testRecorder().isRecording());
        captureMoves(places);
        SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
        ASSERT_EQ(shownScript().eventCount(), places.size());
    }

    HWND window = nullptr;
};

struct ButtonState {
    int id;
    bool enabled;
    const wchar_t* caption;  // null: not checked
};

inline void expectButtons(const char* state, std::initializer_list<ButtonState> expected)
{
    for (const ButtonState& e : expected) {
        EXPECT_EQ(controlEnabled(e.id), e.enabled) << state << ": id " << e.id;
        if (e.caption != nullptr) {
            EXPECT_EQ(controlText(e.id), e.caption) << state << ": id " << e.id;
        }
    }
}

inline void expectIdle(const char* state, bool withEvents)
{
    expectButtons(state, {{IDC_RECORD, true, L"● 录制"},
                          {IDC_RECORD_STOP, false, nullptr},
                          {IDC_PLAY, withEvents, L"▶ 回放"},
                          {IDC_PLAY_STOP, false, nullptr},
                          {IDC_SAVE, true, nullptr},
                          {IDC_LOAD, true, nullptr},
                          {IDC_CLEAR, true, nullptr},
                          {IDC_CHECK_UPDATE, true, nullptr}});
}
