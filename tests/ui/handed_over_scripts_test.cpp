// Later starts handing scripts to the window, the question before unsaved events are replaced, and
// the recording guard next to an unattended playback of another process (stood in for by a guard
// the test holds).
#include <string>
#include <vector>

#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include "base/session_guards.h"
#include "base/win_owners.h"
#include "recorder/recorder_messages.h"
#include "support/message_pump.h"
#include "support/scoped_seam.h"
#include "ui/hand_over_win.h"
#include "ui_test_support.h"

namespace {

struct FilterCall {
    HWND window;
    UINT message;
    DWORD action;
};
std::vector<FilterCall> filterCalls;
std::vector<HWND> broughtToFront;

BOOL WINAPI recordFilter(HWND window, UINT message, DWORD action, PCHANGEFILTERSTRUCT)
{
    filterCalls.push_back({window, message, action});
    return TRUE;
}

BOOL WINAPI recordForeground(HWND window)
{
    broughtToFront.push_back(window);
    return TRUE;
}

HWND windowUnderTest = nullptr;
std::wstring pathHandedInsideTheBox;

LRESULT handOver(HWND window, const std::vector<std::wstring>& files)
{
    const std::wstring data = encodeHandOverFiles(files);
    COPYDATASTRUCT request{};
    request.dwData = static_cast<ULONG_PTR>(files.empty() ? HandOverKind::Activate : HandOverKind::OpenScripts);
    request.cbData = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    request.lpData = const_cast<wchar_t*>(data.data());
    return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&request));
}

HGLOBAL makeDrop(const std::wstring& path)
{
    const size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(header + 1);
    path.copy(text, path.size());
    GlobalUnlock(memory);
    return memory;
}

class HandedOverScriptsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        windowUnderTest = window;
        filterCalls.clear();
        broughtToFront.clear();
    }
    void TearDown() override
    {
        for (const std::wstring& path : files) {
            DeleteFileW(path.c_str());
        }
        giveUpEverySessionGuard();
        MainWindowTest::TearDown();
    }
    std::wstring scriptFile(const wchar_t* name, size_t events)
    {
        const std::wstring path = tempPath(name);
        std::wstring error;
        EXPECT_TRUE(saveScript(path, sampleEvents(events), error));
        files.push_back(path);
        return path;
    }
    // Three events recorded: shown and unsaved.
    void showUnsavedEvents()
    {
        replaceShownEvents({});
        recordMoves({{10, 10}, {60, 60}, {110, 110}});
        ASSERT_TRUE(testWindow().isUnsaved());
    }
    ScopedSeam<HandOverSeam> seam{
        handOverSeam, HandOverSeam{&recordFilter, handOverSeam.allowSetForegroundWindow, &recordForeground}};
    std::vector<std::wstring> files;
};

TEST_F(HandedOverScriptsTest, OnlyTheWindowInstanceTakesRequestsAndLetsThemThroughTheFilter)
{
    const std::wstring script = scriptFile(L"lr_ui_handed_2.json", 2);
    EXPECT_EQ(handOver(window, {script}), 0) << "not the window instance (an unattended playback's window)";
    pumpMessagesFor(50);
    EXPECT_EQ(listRows(), 0);
    EXPECT_TRUE(filterCalls.empty());

    testWindow().takeHandOvers();
    ASSERT_EQ(filterCalls.size(), 1u);
    EXPECT_EQ(filterCalls[0].window, window);
    EXPECT_EQ(filterCalls[0].message, static_cast<UINT>(WM_COPYDATA));
    EXPECT_EQ(filterCalls[0].action, static_cast<DWORD>(MSGFLT_ALLOW));

    EXPECT_EQ(handOver(window, {script}), kHandOverAccepted);
    EXPECT_EQ(listRows(), 0) << "answered first, opened afterwards";
    pumpMessagesFor(50);
    EXPECT_EQ(listRows(), 2);
    EXPECT_EQ(status(), L"已加载脚本");
    EXPECT_EQ(broughtToFront, std::vector<HWND>{window});

    // Not this program's request: refused, nothing opened.
    COPYDATASTRUCT foreign{0x1234, 0, nullptr};
    EXPECT_EQ(SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&foreign)), 0);
}

TEST_F(HandedOverScriptsTest, AScriptHandedOverWhileABoxIsOpenOpensOnceTheBoxHasClosed)
{
    testWindow().takeHandOvers();
    pathHandedInsideTheBox = scriptFile(L"lr_ui_handed_box.json", 4);
    messageBoxes.onShow = [] {
        EXPECT_EQ(handOver(windowUnderTest, {pathHandedInsideTheBox}), kHandOverAccepted);
        pumpMessagesFor(100);  // the box's own loop runs the window's posted messages
        EXPECT_EQ(shownScript().eventCount(), 0u) << "nothing opens inside the box";
    };
    command(IDC_SAVE);  // nothing to save: a box says so
    messageBoxes.onShow = nullptr;
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].text, L"无事件");
    pumpMessagesFor(100);
    EXPECT_EQ(shownScript().eventCount(), 4u);
    EXPECT_EQ(status(), L"已加载脚本");
}

// Load, a drop and a hand-over ask before unsaved events go: Yes saves and then opens, No opens,
// Cancel keeps everything.
TEST_F(HandedOverScriptsTest, OpeningOverUnsavedEventsAsksFirst)
{
    enum class Way { Load, Drop, HandOver };
    const struct {
        Way way;
        int answer;
        size_t eventsAfter;
        bool saved;
    } cases[] = {
        {Way::Load, IDYES, 2, true},
        {Way::Load, IDNO, 2, false},
        {Way::Load, IDCANCEL, 3, false},
        {Way::Drop, IDYES, 2, true},
        {Way::Drop, IDNO, 2, false},
        {Way::Drop, IDCANCEL, 3, false},
        {Way::HandOver, IDYES, 2, true},
        {Way::HandOver, IDNO, 2, false},
        {Way::HandOver, IDCANCEL, 3, false},
        // Yes, then the save dialog cancelled: nothing is lost either.
        {Way::Drop, IDYES, 3, false},
    };
    testWindow().takeHandOvers();
    const std::wstring script = scriptFile(L"lr_ui_replacing.json", 2);
    const std::wstring savedPath = tempPath(L"lr_ui_saved_first.json");
    files.push_back(savedPath);
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        DeleteFileW(savedPath.c_str());
        showUnsavedEvents();
        messageBoxes = MessageBoxScript{};
        fileDialogs = FileDialogScript{};
        messageBoxes.answers = {c.answer};
        if (c.way == Way::Load) {
            fileDialogs.paths.push_back(script);
        }
        if (c.saved) {
            fileDialogs.paths.push_back(savedPath);
        }
        switch (c.way) {
        case Way::Load: command(IDC_LOAD); break;
        case Way::Drop: SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop(script)), 0); break;
        case Way::HandOver:
            ASSERT_EQ(handOver(window, {script}), kHandOverAccepted);
            pumpMessagesFor(50);
            break;
        }
        ASSERT_FALSE(messageBoxes.shown.empty());
        EXPECT_EQ(messageBoxes.shown[0].text, L"打开新脚本会替换当前未保存的 3 条事件。\n\n是否先保存当前脚本？");
        EXPECT_EQ(messageBoxes.shown[0].caption, L"确认");
        EXPECT_EQ(messageBoxes.shown[0].type, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
        EXPECT_EQ(shownScript().eventCount(), c.eventsAfter);
        EXPECT_EQ(listRows(), static_cast<LRESULT>(c.eventsAfter));
        EXPECT_EQ(GetFileAttributesW(savedPath.c_str()) != INVALID_FILE_ATTRIBUTES, c.saved);
        EXPECT_EQ(testWindow().isUnsaved(), c.eventsAfter == 3) << "the kept events are still unsaved";
    }

    // Saved events are replaced without a word.
    replaceShownEvents({});
    messageBoxes = MessageBoxScript{};
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop(script)), 0);
    EXPECT_TRUE(messageBoxes.shown.empty());
    EXPECT_EQ(shownScript().eventCount(), 2u);
}

TEST_F(HandedOverScriptsTest, NoRecordingWhileAnotherProcessPlaysAndTheGuardLastsAsLongAsTheRecording)
{
    startHooks();
    KernelHandle playbackElsewhere(CreateMutexW(nullptr, FALSE, sessionGuardName(SessionGuard::Playback)));
    ASSERT_TRUE(playbackElsewhere);
    for (int way : {0, 1}) {
        if (way == 0) {
            SendMessageW(window, WM_APP_RECORD_HOTKEY, 0, 0);
        } else {
            command(IDC_RECORD);
        }
        EXPECT_FALSE(testRecorder().isRecording()) << way;
        EXPECT_EQ(status(), L"另一个回放正在进行，暂不能录制。") << way;
        EXPECT_EQ(sessionGuardSeam.probe(SessionGuard::Recording), GuardState::Free) << way;
    }
    EXPECT_TRUE(messageBoxes.shown.empty());

    playbackElsewhere.reset();
    SendMessageW(window, WM_APP_RECORD_HOTKEY, 0, 0);
    ASSERT_TRUE(testRecorder().isRecording());
    EXPECT_EQ(status(), L"● 录制中...");
    EXPECT_EQ(sessionGuardSeam.probe(SessionGuard::Recording), GuardState::Held);
    SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
    ASSERT_FALSE(testRecorder().isRecording());
    EXPECT_EQ(sessionGuardSeam.probe(SessionGuard::Recording), GuardState::Free);
}

}  // namespace
