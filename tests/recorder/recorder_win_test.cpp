// The recorder with real hooks: hotkeys, recordings of real input, the own-window and foreground
// filters, the throttle, the lifecycle of the hook thread and its log lines.
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>
#include <process.h>

#include <windows.h>
#include <gtest/gtest.h>

#include "base/thread.h"
#include "recorder/hook_seam.h"
#include "recorder/now_seconds.h"
#include "recorder/recorder.h"
#include "recorder/recorder_messages.h"
#include "recorder/recorder_test_support.h"
#include "support/scoped_seam.h"

namespace {

// Somewhere on the virtual desktop where no window of this process is.
constexpr int kFreeX = 200;
constexpr int kFreeY = 200;

void sendKey(WORD vk, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void sendMouseMove(int dx, int dy)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
}

std::vector<MacroEvent> eventsOf(const Recorder& recorder)
{
    std::vector<MacroEvent> events;
    recorder.copyCapturedFrom(0, events);
    return events;
}

std::vector<MacroEvent> withoutMoves(const std::vector<MacroEvent>& events)
{
    std::vector<MacroEvent> rest;
    std::copy_if(events.begin(), events.end(), std::back_inserter(rest),
                 [](const MacroEvent& e) { return e.kind != EventKind::Move; });
    return rest;
}

bool isOwnForeground()
{
    HWND foreground = GetForegroundWindow();
    DWORD processId = 0;
    if (foreground != nullptr) {
        GetWindowThreadProcessId(foreground, &processId);
    }
    return processId == GetCurrentProcessId();
}

class RecorderTest : public testing::Test {
protected:
    void SetUp() override
    {
        clearReceived();
        ASSERT_TRUE(recorder.startHookThread(receiverWindow()));
        ASSERT_EQ(recorder.hookState(), HookState::Installed);
        // Park the pointer where no window of ours is, away from the last test's input.
        ASSERT_TRUE(sendRealInput(L"mousemove " + std::to_wstring(kFreeX) + L" " + std::to_wstring(kFreeY)));
        clearReceived();
    }
    void TearDown() override { recorder.stopHookThread(); }

    Recorder recorder;
};

TEST_F(RecorderTest, HooksAreInstalledAndLogged)
{
    EXPECT_GE(countInLog(u8"钩子已安装 tid="), 1u);
    // A second start with another window changes nothing: the hotkeys still go to the first.
    OwnWindow other(900, 900, 50, 50);
    EXPECT_TRUE(recorder.startHookThread(other.get()));
    EXPECT_EQ(recorder.hookState(), HookState::Installed);
    ASSERT_TRUE(sendRealInput(L"key F8"));
    EXPECT_EQ(countReceived(WM_APP_RECORD_HOTKEY), 1u);
}

TEST_F(RecorderTest, TheHookThreadRunsAtLeastAsHighAsAPlayback)
{
    const KernelHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, recorder.hookThreadId()));
    ASSERT_TRUE(thread);
    EXPECT_GE(GetThreadPriority(thread.get()), THREAD_PRIORITY_HIGHEST);
}

TEST_F(RecorderTest, HotkeyKeyDownsPostTheirMessagesAndKeyUpsNothing)
{
    const struct {
        const wchar_t* key;
        UINT message;
    } rows[] = {{L"F8", WM_APP_RECORD_HOTKEY}, {L"F7", WM_APP_RECORD_ALT_HOTKEY}, {L"F9", WM_APP_STOP_HOTKEY}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "key " << static_cast<unsigned>(row.message));
        clearReceived();
        ASSERT_TRUE(sendRealInput(std::wstring(L"keydown ") + row.key));
        EXPECT_EQ(countReceived(row.message), 1u);
        ASSERT_TRUE(sendRealInput(std::wstring(L"keyup ") + row.key));
        EXPECT_EQ(countReceived(row.message), 1u);
        EXPECT_EQ(receivedMessages().size(), 1u);
    }
}

TEST_F(RecorderTest, HotkeyWithAltHeldStillPosts)
{
    ASSERT_TRUE(sendRealInput(L"keydown alt keydown F8 keyup F8 keyup alt"));
    EXPECT_EQ(countReceived(WM_APP_RECORD_HOTKEY), 1u);
    ASSERT_TRUE(sendRealInput(L"key ctrl+shift+F9"));
    EXPECT_EQ(countReceived(WM_APP_STOP_HOTKEY), 1u);
}

TEST_F(RecorderTest, AutoRepeatedKeyDownsPostNothingMore)
{
    // Held down for a second, a key repeats (X auto-repeat: 660 ms delay, then 25 a second), as
    // the recording of a held Q shows; the held F8 posts once all the same.
    ASSERT_TRUE(recorder.startRecording(false, true));
    clearReceived();
    ASSERT_TRUE(sendRealInput(L"keydown q sleep 1.2 keyup q keydown F8 sleep 1.2 keyup F8"));
    recorder.stopRecording();
    const std::vector<MacroEvent> events = eventsOf(recorder);
    const auto qPresses = std::count_if(events.begin(), events.end(), [](const MacroEvent& e) {
        return e.kind == EventKind::KeyDown && e.keyOrText == "Q";
    });
    EXPECT_GE(qPresses, 3) << "the key did not repeat";
    EXPECT_EQ(countReceived(WM_APP_RECORD_HOTKEY), 1u);
    EXPECT_EQ(countReceived(WM_APP_RECORD_HOTKEY), receivedMessages().size() - countReceived(WM_APP_EVENT_ADDED));
    EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const MacroEvent& e) { return e.keyOrText == "F8"; }), 0);
}

TEST_F(RecorderTest, InjectedInputTriggersNoHotkeyAndIsNotRecorded)
{
    ASSERT_TRUE(recorder.startRecording(true, true));
    clearReceived();
    sendKey(VK_F9, false);
    sendKey(VK_F9, true);
    sendKey('Q', false);
    sendKey('Q', true);
    sendMouseMove(15, 15);
    pumpFor(300);
    EXPECT_EQ(receivedMessages().size(), 0u);
    EXPECT_EQ(recorder.capturedCount(), 0u);
    // The same key from the keyboard stops.
    ASSERT_TRUE(sendRealInput(L"key F9"));
    EXPECT_EQ(countReceived(WM_APP_STOP_HOTKEY), 1u);
    EXPECT_EQ(recorder.capturedCount(), 0u);  // hotkeys never become events
    recorder.stopRecording();
}

TEST_F(RecorderTest, RealInputBecomesEventsWithFieldsNamesAndDelays)
{
    ASSERT_FALSE(isOwnForeground());
    const double start = performanceSeconds();
    ASSERT_TRUE(recorder.startRecording(true, true));
    ASSERT_TRUE(sendRealInput(L"sleep 0.1 mousemove 300 310 sleep 0.1 click 1 sleep 0.1 click 3 sleep 0.1 click 2 "
                              L"sleep 0.1 click 4 click 5 click 6 click 7 sleep 0.1 key a sleep 0.1 key Return "
                              L"key 7 key shift"));
    const double end = performanceSeconds();
    recorder.stopRecording();

    const std::vector<MacroEvent> events = eventsOf(recorder);
    ASSERT_FALSE(events.empty());
    const std::vector<MacroEvent> rest = withoutMoves(events);
    const struct {
        EventKind kind;
        MouseButton button;
        bool pressed;
        int dx;
        int dy;
        const char* key;
    } expected[] = {
        {EventKind::Click, MouseButton::Left, true, 0, 0, ""},
        {EventKind::Click, MouseButton::Left, false, 0, 0, ""},
        {EventKind::Click, MouseButton::Right, true, 0, 0, ""},
        {EventKind::Click, MouseButton::Right, false, 0, 0, ""},
        {EventKind::Click, MouseButton::Middle, true, 0, 0, ""},
        {EventKind::Click, MouseButton::Middle, false, 0, 0, ""},
        {EventKind::Scroll, MouseButton::Left, false, 0, 1, ""},
        {EventKind::Scroll, MouseButton::Left, false, 0, -1, ""},
        {EventKind::Scroll, MouseButton::Left, false, -1, 0, ""},
        {EventKind::Scroll, MouseButton::Left, false, 1, 0, ""},
        {EventKind::KeyDown, MouseButton::Left, false, 0, 0, "A"},
        {EventKind::KeyUp, MouseButton::Left, false, 0, 0, "A"},
        {EventKind::KeyDown, MouseButton::Left, false, 0, 0, "Enter"},
        {EventKind::KeyUp, MouseButton::Left, false, 0, 0, "Enter"},
        {EventKind::KeyDown, MouseButton::Left, false, 0, 0, "7"},
        {EventKind::KeyUp, MouseButton::Left, false, 0, 0, "7"},
        {EventKind::KeyDown, MouseButton::Left, false, 0, 0, "Shift"},
        {EventKind::KeyUp, MouseButton::Left, false, 0, 0, "Shift"},
    };
    ASSERT_EQ(rest.size(), std::size(expected));
    for (size_t i = 0; i < rest.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "event " << i);
        EXPECT_EQ(rest[i].kind, expected[i].kind);
        EXPECT_EQ(rest[i].keyOrText, expected[i].key);
        EXPECT_EQ(rest[i].dx, expected[i].dx);
        EXPECT_EQ(rest[i].dy, expected[i].dy);
        if (rest[i].kind == EventKind::Click) {
            EXPECT_EQ(rest[i].button, expected[i].button);
            EXPECT_EQ(rest[i].pressed, expected[i].pressed);
        }
        if (rest[i].kind == EventKind::Click || rest[i].kind == EventKind::Scroll) {
            EXPECT_EQ(rest[i].x, 300);
            EXPECT_EQ(rest[i].y, 310);
        }
    }
    // The pointer's way to (300, 310) was recorded, ending there.
    auto lastMove =
        std::find_if(events.rbegin(), events.rend(), [](const MacroEvent& e) { return e.kind == EventKind::Move; });
    ASSERT_NE(lastMove, events.rend());
    EXPECT_EQ(lastMove->x, 300);
    EXPECT_EQ(lastMove->y, 310);

    // Delays are never negative and add up to the time from the start to the last event.
    double sum = 0.0;
    for (const MacroEvent& e : events) {
        EXPECT_GE(e.delay, 0.0);
        sum += e.delay;
    }
    EXPECT_GE(sum, 0.6);  // the sleeps between the first and the last input
    EXPECT_LE(sum, end - start);

    // One announcement per event, carrying its index.
    const std::vector<ReceivedMessage> messages = receivedMessages();
    std::vector<WPARAM> indexes;
    for (const ReceivedMessage& m : messages) {
        if (m.message == WM_APP_EVENT_ADDED) {
            indexes.push_back(m.wParam);
        }
    }
    ASSERT_EQ(indexes.size(), events.size());
    for (size_t i = 0; i < indexes.size(); ++i) {
        EXPECT_EQ(indexes[i], i);
    }
}

TEST_F(RecorderTest, PressOnOwnWindowIsSwallowedWithItsRelease)
{
    OwnWindow own(500, 500, 200, 200);
    ASSERT_TRUE(recorder.startRecording(true, false));
    ASSERT_TRUE(sendRealInput(L"mousemove 600 600 sleep 0.05 mousedown 1 sleep 0.05 mousemove 900 300 sleep 0.05 "
                              L"mouseup 1 sleep 0.05 click 3 sleep 0.05 mousemove 600 600 sleep 0.05 click 4"));
    recorder.stopRecording();
    const std::vector<MacroEvent> events = eventsOf(recorder);
    const std::vector<MacroEvent> rest = withoutMoves(events);
    // Only the right click away from our window remains; the wheel over it is dropped.
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].button, MouseButton::Right);
    EXPECT_TRUE(rest[0].pressed);
    EXPECT_EQ(rest[1].button, MouseButton::Right);
    EXPECT_FALSE(rest[1].pressed);
    EXPECT_EQ(rest[0].x, 900);
    // Moves over our window are recorded all the same.
    EXPECT_TRUE(std::any_of(events.begin(), events.end(),
                            [](const MacroEvent& e) { return e.kind == EventKind::Move && e.x == 600 && e.y == 600; }));
}

TEST_F(RecorderTest, KeyInOwnForegroundIsSwallowedWithItsKeyUp)
{
    {
        OwnWindow own(500, 500, 200, 200);
        ASSERT_TRUE(isOwnForeground());
        ASSERT_TRUE(recorder.startRecording(false, true));
        ASSERT_TRUE(sendRealInput(L"key b keydown c"));
    }
    // Our window is gone, the foreground is no longer ours: the release of c is still dropped.
    ASSERT_FALSE(isOwnForeground());
    ASSERT_TRUE(sendRealInput(L"keyup c key d"));
    recorder.stopRecording();
    const std::vector<MacroEvent> events = eventsOf(recorder);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, EventKind::KeyDown);
    EXPECT_EQ(events[0].keyOrText, "D");
    EXPECT_EQ(events[1].kind, EventKind::KeyUp);
    EXPECT_EQ(events[1].keyOrText, "D");
}

TEST_F(RecorderTest, FastMovesAreThinnedToOnePer20Milliseconds)
{
    std::wstring script;
    for (int i = 0; i < 60; ++i) {
        script += L"mousemove " + std::to_wstring(300 + 3 * i) + L" 400 sleep 0.005 ";
    }
    ASSERT_TRUE(recorder.startRecording(true, true));
    const double start = performanceSeconds();
    ASSERT_TRUE(sendRealInput(script));
    const double elapsed = performanceSeconds() - start;
    recorder.stopRecording();
    const std::vector<MacroEvent> events = eventsOf(recorder);
    ASSERT_GE(events.size(), 3u);
    EXPECT_LT(events.size(), 60u);
    EXPECT_LE(static_cast<double>(events.size()), elapsed / 0.02 + 1.0);
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].kind, EventKind::Move);
        if (i > 0) {
            // Only moves were recorded, so each delay is the gap between two recorded moves.
            EXPECT_GE(events[i].delay, 0.02 - 1e-9) << i;
        }
    }
    EXPECT_EQ(events.front().x, 300);  // the first move is always recorded
}

TEST_F(RecorderTest, KeyboardOnlyRecordingIgnoresTheMouseAndTheOtherWayRound)
{
    ASSERT_TRUE(recorder.startRecording(false, true));
    ASSERT_TRUE(sendRealInput(L"mousemove 350 350 click 1 key x"));
    recorder.stopRecording();
    std::vector<MacroEvent> events = eventsOf(recorder);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].keyOrText, "X");

    ASSERT_TRUE(recorder.startRecording(true, false));
    ASSERT_TRUE(sendRealInput(L"key x click 1"));
    recorder.stopRecording();
    events = eventsOf(recorder);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, EventKind::Click);
    EXPECT_EQ(events[1].kind, EventKind::Click);
}

TEST_F(RecorderTest, SynthesisedNotificationsFollowTheRules)
{
    OwnWindow own(500, 500, 200, 200);
    ASSERT_TRUE(recorder.startRecording(true, true));
    clearReceived();
    MSLLHOOKSTRUCT mouse{};
    mouse.pt = {600, 600};  // over our window
    recorder.onMouseHook(WM_LBUTTONDOWN, mouse);
    mouse.pt = {-5000, -5000};                  // over nothing at all
    recorder.onMouseHook(WM_LBUTTONUP, mouse);  // swallowed with its press
    mouse.mouseData = static_cast<DWORD>(-240) << 16;
    recorder.onMouseHook(WM_MOUSEWHEEL, mouse);  // no window there: recorded
    mouse.pt = {600, 600};
    recorder.onMouseHook(WM_MOUSEHWHEEL, mouse);  // over ours: dropped
    mouse.pt = {kFreeX, kFreeY};
    recorder.onMouseHook(WM_XBUTTONDOWN, mouse);
    recorder.onMouseHook(WM_LBUTTONDBLCLK, mouse);
    mouse.flags = LLMHF_INJECTED;
    recorder.onMouseHook(WM_RBUTTONDOWN, mouse);
    KBDLLHOOKSTRUCT key{};
    key.vkCode = 'K';
    key.flags = LLKHF_INJECTED;
    recorder.onKeyboardHook(WM_KEYDOWN, key);
    key.flags = 0;
    recorder.onKeyboardHook(WM_KEYDOWN, key);  // our window has the foreground
    recorder.onKeyboardHook(WM_KEYUP, key);
    pumpFor(100);

    std::vector<MacroEvent> events = eventsOf(recorder);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::Scroll);
    EXPECT_EQ(events[0].dy, -2);
    EXPECT_EQ(events[0].x, -5000);
    ASSERT_EQ(countReceived(WM_APP_EVENT_ADDED), 1u);
    EXPECT_EQ(receivedMessages()[0].wParam, 0u);

    // Outside a recording nothing is captured, even when called directly.
    recorder.stopRecording();
    mouse.flags = 0;
    mouse.pt = {kFreeX, kFreeY};
    recorder.onMouseHook(WM_LBUTTONDOWN, mouse);
    recorder.onKeyboardHook(WM_KEYDOWN, key);
    EXPECT_EQ(recorder.capturedCount(), 1u);
}

TEST_F(RecorderTest, StartRecordingTwiceFailsAndKeepsTheList)
{
    ASSERT_TRUE(recorder.startRecording(false, true));
    ASSERT_TRUE(sendRealInput(L"key m"));
    ASSERT_EQ(recorder.capturedCount(), 2u);
    EXPECT_FALSE(recorder.startRecording(true, true));
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_EQ(recorder.capturedCount(), 2u);
    recorder.stopRecording();
    // A new recording starts empty.
    ASSERT_TRUE(recorder.startRecording(false, true));
    EXPECT_EQ(recorder.capturedCount(), 0u);
    recorder.stopRecording();
}

TEST_F(RecorderTest, StopLinesAreWrittenOncePerRecording)
{
    const size_t startLines = countInLog(u8"开始录制 鼠标=1 键盘=0");
    const size_t stopLines = countInLog(u8"停止录制，共 0 条");
    ASSERT_TRUE(recorder.startRecording(true, false));
    EXPECT_EQ(countInLog(u8"开始录制 鼠标=1 键盘=0"), startLines + 1);
    recorder.stopRecording();
    recorder.stopRecording();
    EXPECT_EQ(countInLog(u8"停止录制，共 0 条"), stopLines + 1);
}

TEST_F(RecorderTest, StopHookThreadDuringRecordingLogsAndKeepsTheList)
{
    ASSERT_TRUE(recorder.startRecording(false, true));
    ASSERT_TRUE(sendRealInput(L"key n key o"));
    ASSERT_EQ(recorder.capturedCount(), 4u);
    const size_t lines = countInLog(u8"停止录制，共 4 条");
    recorder.stopHookThread();
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(countInLog(u8"停止录制，共 4 条"), lines + 1);
    EXPECT_EQ(recorder.capturedCount(), 4u);
    // The hooks are gone with the thread: no hotkeys, no recording.
    ASSERT_TRUE(sendRealInput(L"key F8"));
    EXPECT_EQ(countReceived(WM_APP_RECORD_HOTKEY), 0u);
    EXPECT_FALSE(recorder.startRecording(true, true));
    // A second stop does nothing.
    recorder.stopHookThread();
    EXPECT_EQ(countInLog(u8"停止录制，共 4 条"), lines + 1);
    EXPECT_EQ(recorder.capturedCount(), 4u);
}

TEST_F(RecorderTest, RestartAfterStopInstallsAnew)
{
    recorder.stopHookThread();
    const size_t installed = countInLog(u8"钩子已安装 tid=");
    ASSERT_TRUE(recorder.startHookThread(receiverWindow()));
    EXPECT_EQ(recorder.hookState(), HookState::Installed);
    EXPECT_EQ(countInLog(u8"钩子已安装 tid="), installed + 1);
    ASSERT_TRUE(sendRealInput(L"key F7"));
    EXPECT_EQ(countReceived(WM_APP_RECORD_ALT_HOTKEY), 1u);
    // Every recording reinstalls the hooks and says so.
    ASSERT_TRUE(recorder.startRecording(true, true));
    EXPECT_EQ(countInLog(u8"钩子已安装 tid="), installed + 2);
    recorder.stopRecording();
}

int keyboardInstallsRefused = 0;

HHOOK WINAPI refuseKeyboardHook(int idHook, HOOKPROC procedure, HINSTANCE module, DWORD threadId)
{
    if (idHook == WH_KEYBOARD_LL) {
        ++keyboardInstallsRefused;
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return SetWindowsHookExW(idHook, procedure, module, threadId);
}

TEST(RecorderHookFailure, FailedInstallationIsReportedAndBlocksRecording)
{
    clearReceived();
    const size_t failures = countInLog(u8"钩子安装失败 mouse=");
    Recorder recorder;
    {
        ScopedSeam refusing(installHookSeam, &refuseKeyboardHook);
        EXPECT_TRUE(recorder.startHookThread(receiverWindow()));
        EXPECT_EQ(recorder.hookState(), HookState::Failed);
        const std::string log = readTestLog();
        EXPECT_EQ(countInLog(u8"钩子安装失败 mouse="), failures + 1);
        // The mouse hook stayed, the keyboard hook is null, and the error is the refusal's.
        EXPECT_NE(log.find(u8" key=0000000000000000 err=5"), std::string::npos);
        EXPECT_EQ(log.find(u8"钩子安装失败 mouse=0000000000000000"), std::string::npos);

        EXPECT_FALSE(recorder.startRecording(true, true));
        EXPECT_FALSE(recorder.isRecording());
        EXPECT_EQ(keyboardInstallsRefused, 2);
    }
    // The real call is back: the missing hook is installed at the next request.
    EXPECT_TRUE(recorder.startRecording(false, true));
    EXPECT_EQ(recorder.hookState(), HookState::Installed);
    recorder.stopHookThread();
}

TEST(RecorderWithoutThread, StartRecordingFailsAndStopDoesNothing)
{
    Recorder recorder;
    EXPECT_FALSE(recorder.startRecording(true, true));
    recorder.stopHookThread();
    recorder.stopRecording();
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(recorder.capturedCount(), 0u);
    std::vector<MacroEvent> out(1);
    recorder.copyCapturedFrom(0, out);
    EXPECT_EQ(out.size(), 1u) << "nothing captured, nothing appended";
    EXPECT_TRUE(recorder.takeCaptured().empty());
}

TEST_F(RecorderTest, TheWindowCopiesNewEventsAndTakesThemAllAtTheEnd)
{
    ASSERT_TRUE(recorder.startRecording(true, false));
    MSLLHOOKSTRUCT wheel{};
    wheel.pt = {kFreeX, kFreeY};
    for (int notches = 1; notches <= 4; ++notches) {
        wheel.mouseData = static_cast<DWORD>(notches * 120) << 16;
        recorder.onMouseHook(WM_MOUSEWHEEL, wheel);
    }
    ASSERT_EQ(recorder.capturedCount(), 4u);
    const struct {
        size_t first;
        std::vector<int32_t> notches;
    } rows[] = {{0, {1, 2, 3, 4}}, {2, {3, 4}}, {3, {4}}, {4, {}}, {9, {}}};
    for (const auto& row : rows) {
        std::vector<MacroEvent> copied(1);  // what was there stays in front
        recorder.copyCapturedFrom(row.first, copied);
        std::vector<int32_t> notches;
        for (size_t i = 1; i < copied.size(); ++i) {
            notches.push_back(copied[i].dy);
        }
        EXPECT_EQ(notches, row.notches) << "from " << row.first;
    }
    EXPECT_EQ(recorder.capturedCount(), 4u) << "copies leave the buffer alone";
    recorder.stopRecording();
    EXPECT_EQ(recorder.takeCaptured().size(), 4u);
    EXPECT_EQ(recorder.capturedCount(), 0u) << "taken, not copied";
    recorder.onMouseHook(WM_MOUSEWHEEL, wheel);
    EXPECT_EQ(recorder.capturedCount(), 0u) << "nothing after the stop";
}

// A thread start that holds the new thread back until the test opens the gate, as a loaded system
// may start a thread late.
HANDLE lateThreadGate = nullptr;
HANDLE lateThread = nullptr;
unsigned(__stdcall* lateProcedure)(void*) = nullptr;
void* lateArgument = nullptr;

unsigned __stdcall runWhenGateOpens(void*)
{
    WaitForSingleObject(lateThreadGate, INFINITE);
    return lateProcedure(lateArgument);
}

HANDLE startLate(unsigned(__stdcall* procedure)(void*), void* argument, unsigned* threadId)
{
    lateProcedure = procedure;
    lateArgument = argument;
    HANDLE handle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &runWhenGateOpens, nullptr, 0, threadId));
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &lateThread, SYNCHRONIZE, FALSE, 0);
    return handle;
}

TEST(RecorderLifetime, AHookThreadThatOutlivesTheStopsWaitEndsBeforeTheRecorderGoes)
{
    const KernelHandle gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    lateThreadGate = gate.get();
    {
        Recorder recorder;
        {
            ScopedSeam late(startThreadSeam, &startLate);
            ASSERT_TRUE(recorder.startHookThread(receiverWindow()));
        }
        EXPECT_EQ(recorder.hookState(), HookState::Pending) << "the thread has not run yet";
        recorder.stopHookThread();  // waits its bounded time; the thread is still held back
        EXPECT_EQ(WaitForSingleObject(lateThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
        SetEvent(gate.get());  // the late thread runs now, on a recorder that is being stopped
    }
    // The recorder's end waited for its thread: it has ended, and never installed a hook.
    EXPECT_EQ(WaitForSingleObject(lateThread, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(lateThread);
    lateThread = nullptr;
}

// ---- chosen hotkeys ------------------------------------------------------------------------

HotkeyChords chosenChords(HotkeyChord record, HotkeyChord stop)
{
    HotkeyChords chords;
    chords.record = record;
    chords.recordAlt = HotkeyChord{};
    chords.stop = stop;
    return chords;
}

constexpr uint8_t kF11 = 0x7A;
constexpr uint8_t kF12 = 0x7B;

class ChosenHotkeysTest : public RecorderTest {
protected:
    void TearDown() override
    {
        recorder.setChords(HotkeyChords{});
        recorder.setStopOnUserInput(false);
        RecorderTest::TearDown();
    }
};

TEST_F(ChosenHotkeysTest, CtrlF11StartsF12StopsF8AndF7DoNothingAndOnlyTypedKeysAreRecorded)
{
    recorder.setChords(chosenChords(HotkeyChord{kF11, kChordCtrl}, HotkeyChord{kF12, 0}));
    // The chord, with Ctrl still down when the window starts the recording.
    ASSERT_TRUE(sendRealInput(L"keydown ctrl key F11"));
    EXPECT_EQ(countReceived(WM_APP_RECORD_HOTKEY), 1u);
    ASSERT_TRUE(recorder.startRecording(true, true));
    ASSERT_TRUE(sendRealInput(L"keyup ctrl sleep 0.05 type abc"));
    ASSERT_TRUE(sendRealInput(L"key F12"));
    EXPECT_EQ(countReceived(WM_APP_STOP_HOTKEY), 1u);
    recorder.stopRecording();
    clearReceived();
    ASSERT_TRUE(sendRealInput(L"key F8 key F7 key F9 key F11"));
    EXPECT_EQ(receivedMessages().size(), 0u) << "the old keys and F11 without Ctrl do nothing";

    std::string keys;
    for (const MacroEvent& e : withoutMoves(eventsOf(recorder))) {
        keys += (e.kind == EventKind::KeyDown ? "+" : "-") + e.keyOrText + " ";
    }
    EXPECT_EQ(keys, "+A -A +B -B +C -C ");
}

TEST_F(ChosenHotkeysTest, AStopChordWithModifiersLeavesNoneOfThemInTheRecording)
{
    recorder.setChords(chosenChords(HotkeyChord{kF11, 0}, HotkeyChord{kF12, kChordCtrl | kChordShift}));
    ASSERT_TRUE(recorder.startRecording(false, true));
    clearReceived();
    // Ctrl held long enough to repeat, then Shift, then F12: all of it is the chord.
    ASSERT_TRUE(sendRealInput(L"key x key y keydown ctrl sleep 1.0 keydown shift key F12 keyup shift keyup ctrl"));
    EXPECT_EQ(countReceived(WM_APP_STOP_HOTKEY), 1u);
    recorder.stopRecording();
    std::string keys;
    for (const MacroEvent& e : eventsOf(recorder)) {
        keys += (e.kind == EventKind::KeyDown ? "+" : "-") + e.keyOrText + " ";
    }
    EXPECT_EQ(keys, "+X -X +Y -Y ");
    EXPECT_GE(countReceived(WM_APP_EVENT_ADDED), 6u) << "the Ctrl presses were recorded before the chord came";
}

TEST_F(ChosenHotkeysTest, ChordsSetAtRunTimeApplyAtOnceAndPausedNothingFires)
{
    recorder.setChords(chosenChords(HotkeyChord{kF11, kChordAlt}, HotkeyChord{kF12, 0}));
    ASSERT_TRUE(sendRealInput(L"key alt+F11"));
    EXPECT_EQ(countReceived(WM_APP_RECORD_HOTKEY), 1u);
    recorder.pauseHotkeys(true);
    ASSERT_TRUE(sendRealInput(L"key alt+F11 key F12"));
    EXPECT_EQ(receivedMessages().size(), 1u) << "paused";
    recorder.pauseHotkeys(false);
    recorder.setChords(HotkeyChords{});
    ASSERT_TRUE(sendRealInput(L"key alt+F11 key F9"));
    EXPECT_EQ(countReceived(WM_APP_RECORD_HOTKEY), 1u);
    EXPECT_EQ(countReceived(WM_APP_STOP_HOTKEY), 1u) << "the defaults are back";
}

// ---- the user taking over a playback ---------------------------------------------------------

TEST_F(RecorderTest, ARealMoveAwayOrAPressDuringAPlaybackIsATakeoverWhenAskedFor)
{
    PlaybackPointer pointer;
    recorder.setPlaybackPointer(&pointer);
    recorder.setStopOnUserInput(true);

    pointer.begin(300, 300);  // a playback runs; it put the cursor at (300, 300)
    ASSERT_TRUE(sendRealInput(L"mousemove 304 303"));
    EXPECT_EQ(countReceived(WM_APP_USER_TAKEOVER), 0u) << "a few pixels are a trembling hand";
    ASSERT_TRUE(sendRealInput(L"mousemove 340 300 mousemove 400 300"));
    EXPECT_EQ(countReceived(WM_APP_USER_TAKEOVER), 1u) << "posted once per playback";
    pointer.end();

    pointer.begin(400, 300);
    ASSERT_TRUE(sendRealInput(L"click 1"));
    EXPECT_EQ(countReceived(WM_APP_USER_TAKEOVER), 2u) << "a real press";
    pointer.end();
    ASSERT_TRUE(sendRealInput(L"mousemove 600 600 click 1"));
    EXPECT_EQ(countReceived(WM_APP_USER_TAKEOVER), 2u) << "no playback, no takeover";

    recorder.setStopOnUserInput(false);
    pointer.begin(600, 600);
    ASSERT_TRUE(sendRealInput(L"mousemove 200 200 click 1"));
    EXPECT_EQ(countReceived(WM_APP_USER_TAKEOVER), 2u) << "the option is off";
    pointer.end();
    recorder.setPlaybackPointer(nullptr);
}

}  // namespace
