#include "player/player.h"

#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/thread.h"
#include "base/win_owners.h"
#include "input_hook_probe.h"
#include "player/player_messages.h"
#include "player/system_clock.h"
#include "player/system_seams.h"
#include "player/text_typing.h"
#include "support/message_pump.h"
#include "support/scoped_seam.h"
#include "support/test_log.h"

namespace {

// Collects what the player posts to "the main window": a message-only window of the test thread.
struct PostedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    size_t inputSeen;  // hook notifications seen when the message was handled
};
std::vector<PostedMessage> posted;

LRESULT CALLBACK receiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP_PLAYBACK_LOOP || message == WM_APP_PLAYBACK_ENDED) {
        posted.push_back({message, wParam, lParam, probedInput().size()});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window of the test thread with receiverProc as its procedure.
WindowHandle makeReceiver()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = &receiverProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PlayerTestReceiver";
    RegisterClassW(&wc);
    return WindowHandle(
        CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
}

class PlayerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(receiver_.get(), nullptr);
        player_.setMainWindow(receiver_.get());
        posted.clear();
        clearProbedInput();
    }
    void TearDown() override { player_.stopPlayback(); }

    bool waitForEnd(unsigned timeoutMs = 10000)
    {
        return pumpMessagesUntil([] { return !posted.empty() && posted.back().message == WM_APP_PLAYBACK_ENDED; },
                                 timeoutMs);
    }

    WindowHandle receiver_ = makeReceiver();
    Player player_;
};

MacroEvent event(EventKind kind, double delay = 0.0)
{
    MacroEvent e;
    e.kind = kind;
    e.delay = delay;
    return e;
}

MacroEvent click(MouseButton button, bool pressed, int32_t x, int32_t y, double delay = 0.0)
{
    MacroEvent e = event(EventKind::Click, delay);
    e.button = button;
    e.pressed = pressed;
    e.x = x;
    e.y = y;
    return e;
}

MacroEvent key(EventKind kind, const char* name, double delay = 0.0)
{
    MacroEvent e = event(kind, delay);
    e.keyOrText = name;
    return e;
}

ProbedInput mouseSeen(UINT message, LONG x, LONG y, short wheel = 0)
{
    ProbedInput p;
    p.message = message;
    p.point = {x, y};
    p.mouseData = static_cast<DWORD>(static_cast<WORD>(wheel)) << 16;
    p.flags = LLMHF_INJECTED;
    return p;
}

ProbedInput keySeen(bool up, DWORD virtualKey, bool extended)
{
    ProbedInput p;
    p.keyboard = true;
    p.message = up ? WM_KEYUP : WM_KEYDOWN;
    p.virtualKey = virtualKey;
    p.scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    p.flags = LLKHF_INJECTED | (up ? LLKHF_UP : 0) | (extended ? LLKHF_EXTENDED : 0);
    return p;
}

std::string describe(const ProbedInput& p)
{
    char text[160];
    if (p.keyboard) {
        snprintf(text, sizeof text, "key msg=%#x vk=%#lx scan=%#lx flags=%#lx", p.message, p.virtualKey, p.scanCode,
                 p.flags & (LLKHF_INJECTED | LLKHF_UP | LLKHF_EXTENDED));
    } else {
        snprintf(text, sizeof text, "mouse msg=%#x at %ld,%ld data=%#lx flags=%#lx", p.message, p.point.x, p.point.y,
                 p.mouseData, p.flags & LLMHF_INJECTED);
    }
    return text;
}

std::vector<std::string> describeAll(const std::vector<ProbedInput>& list)
{
    std::vector<std::string> out;
    for (const ProbedInput& p : list) {
        out.push_back(describe(p));
    }
    return out;
}

// The system's injection, except that a press of B is refused as the system refuses input while
// a program run as administrator has the focus.
bool refuseB(void*, const InputRecord& record, uint32_t& error)
{
    if (record.type == kInputTypeKeyboard && record.virtualKey == 'B' && (record.keyFlags & kKeyFlagUp) == 0) {
        error = ERROR_ACCESS_DENIED;
        return false;
    }
    return systemInputSeam().sendInput(nullptr, record, error);
}

// The thread priority of every record sent, and the records sent through the system.
std::vector<int> sendingPriorities;
bool notePriorityAndSend(void*, const InputRecord& record, uint32_t& error)
{
    sendingPriorities.push_back(GetThreadPriority(GetCurrentThread()));
    return systemInputSeam().sendInput(nullptr, record, error);
}

HANDLE refuseThread(unsigned(__stdcall*)(void*), void*, unsigned*)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

}  // namespace

TEST(InputInjectionWin, InjectedInputReachesTheHooksWithItsCodesAndFlags)
{
    const InputSeam seam = systemInputSeam();
    HeldInput held;
    MacroEvent wheelDown = event(EventKind::Scroll);
    wheelDown.dy = -2;
    MacroEvent wheelRight = event(EventKind::Scroll);
    wheelRight.dx = 1;
    const struct {
        const char* name;
        MacroEvent event;
        ProbedInput expected;
    } cases[] = {
        {"left press positions the cursor", click(MouseButton::Left, true, 100, 200),
         mouseSeen(WM_LBUTTONDOWN, 100, 200)},
        {"left release at its own point", click(MouseButton::Left, false, 130, 210), mouseSeen(WM_LBUTTONUP, 130, 210)},
        {"right press", click(MouseButton::Right, true, 300, 250), mouseSeen(WM_RBUTTONDOWN, 300, 250)},
        {"right release", click(MouseButton::Right, false, 300, 250), mouseSeen(WM_RBUTTONUP, 300, 250)},
        {"middle press", click(MouseButton::Middle, true, 320, 260), mouseSeen(WM_MBUTTONDOWN, 320, 260)},
        {"middle release", click(MouseButton::Middle, false, 330, 270), mouseSeen(WM_MBUTTONUP, 330, 270)},
        {"wheel down two notches", wheelDown, mouseSeen(WM_MOUSEWHEEL, 330, 270, -240)},
        {"horizontal wheel", wheelRight, mouseSeen(WM_MOUSEHWHEEL, 330, 270, 120)},
        {"key A down", key(EventKind::KeyDown, "A"), keySeen(false, 'A', false)},
        {"key A up", key(EventKind::KeyUp, "A"), keySeen(true, 'A', false)},
        {"Home is extended", key(EventKind::KeyDown, "Home"), keySeen(false, VK_HOME, true)},
        {"Home up", key(EventKind::KeyUp, "Home"), keySeen(true, VK_HOME, true)},
        {"right Ctrl is extended", key(EventKind::KeyDown, "Ctrl_R"), keySeen(false, VK_RCONTROL, true)},
        {"right Ctrl up", key(EventKind::KeyUp, "Ctrl_R"), keySeen(true, VK_RCONTROL, true)},
    };
    for (const auto& c : cases) {
        clearProbedInput();
        injectEvent(seam, held, c.event);
        ASSERT_TRUE(waitForProbedInput(1, 3000)) << c.name;
        const std::vector<ProbedInput> seen = probedInput();
        EXPECT_EQ(describeAll(seen), describeAll({c.expected})) << c.name;
    }
    EXPECT_TRUE(held.heldButtons.empty());
    EXPECT_TRUE(held.heldKeys.empty());
}

TEST(InputInjectionWin, TextStepsReachTheHooksAsCharactersEnterAndTab)
{
    const auto unit = [](bool up, DWORD value) {
        ProbedInput p;
        p.keyboard = true;
        p.message = up ? WM_KEYUP : WM_KEYDOWN;
        p.virtualKey = VK_PACKET;
        p.scanCode = value;
        p.flags = LLKHF_INJECTED;
        return p;
    };
    // The message tells a release; wine leaves LLKHF_UP off the release of a Unicode record.
    const auto withoutUpFlag = [](std::vector<ProbedInput> seen) {
        for (ProbedInput& p : seen) {
            p.flags &= ~static_cast<DWORD>(p.virtualKey == VK_PACKET ? LLKHF_UP : 0);
        }
        return describeAll(seen);
    };
    const struct {
        const char* text;
        std::vector<ProbedInput> expected;
    } cases[] = {
        {"a", {unit(false, 'a'), unit(true, 'a')}},
        {"\xE4\xBD\xA0", {unit(false, 0x4F60), unit(true, 0x4F60)}},
        {"\xF0\x9F\x98\x80", {unit(false, 0xD83D), unit(true, 0xD83D), unit(false, 0xDE00), unit(true, 0xDE00)}},
        {"\r\n", {keySeen(false, VK_RETURN, false), keySeen(true, VK_RETURN, false)}},
        {"\t\x01", {keySeen(false, VK_TAB, false), keySeen(true, VK_TAB, false)}},
    };
    for (const auto& c : cases) {
        clearProbedInput();
        HeldInput held;
        const std::atomic<bool> stop{false};
        const TypingResult result = typeText(systemInputSeam(), held, c.text, stop);
        EXPECT_FALSE(result.sent.refused) << c.text;
        ASSERT_TRUE(waitForProbedInput(c.expected.size(), 3000)) << c.text;
        Sleep(30);
        EXPECT_EQ(withoutUpFlag(probedInput()), describeAll(c.expected)) << c.text;
    }
}

TEST(InputInjectionWin, MoveSetsTheCursorAndSendsNothing)
{
    HeldInput held;
    MacroEvent move = event(EventKind::Move);
    move.x = 400;
    move.y = 350;
    clearProbedInput();
    injectEvent(systemInputSeam(), held, move);
    POINT cursor{};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 400);
    EXPECT_EQ(cursor.y, 350);
    Sleep(50);
    EXPECT_TRUE(probedInput().empty());
}

TEST_F(PlayerTest, ThreePassesThenTheEnd)
{
    ASSERT_TRUE(player_.startPlayback({event(EventKind::Move, 0.001)}, 1.0, false, 3, false));
    ASSERT_TRUE(waitForEnd());
    ASSERT_EQ(posted.size(), 4u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(posted[i].message, WM_APP_PLAYBACK_LOOP);
        EXPECT_EQ(posted[i].wParam, i + 1);
        EXPECT_EQ(posted[i].lParam, 3);
    }
    EXPECT_EQ(posted[3].wParam, 0u) << "all passes completed";
    EXPECT_EQ(posted[3].lParam, 0);
    EXPECT_FALSE(player_.isPlaying());
}

TEST_F(PlayerTest, EndlessUntilStopped)
{
    ASSERT_TRUE(player_.startPlayback({event(EventKind::Move, 0.005)}, 1.0, true, 1, false));
    ASSERT_TRUE(pumpMessagesUntil([] { return posted.size() >= 3; }, 10000));
    EXPECT_TRUE(player_.isPlaying());
    EXPECT_FALSE(player_.startPlayback({event(EventKind::Move)}, 1.0, false, 1, false)) << "one playback at a time";
    EXPECT_FALSE(player_.startPlayback({}, 1.0, false, 1, false));
    const ULONGLONG before = GetTickCount64();
    player_.stopPlayback();
    // The thread notices a stop within 20 ms; the bound is generous for a loaded machine.
    EXPECT_LT(GetTickCount64() - before, 1000u);
    EXPECT_FALSE(player_.isPlaying());
    ASSERT_TRUE(waitForEnd(2000));
    for (size_t i = 0; i + 1 < posted.size(); ++i) {
        EXPECT_EQ(posted[i].message, WM_APP_PLAYBACK_LOOP);
        EXPECT_EQ(posted[i].wParam, i + 1);
        EXPECT_EQ(posted[i].lParam, 0) << "endless";
    }
    EXPECT_EQ(posted.back().wParam, 1u) << "ended on a stop";
}

TEST_F(PlayerTest, StopInADragReleasesHeldInputBeforeTheEnd)
{
    // Press at (200, 300), drag to (260, 320), press the right Ctrl, then a long wait the stop cuts short.
    MacroEvent drag = event(EventKind::Move, 0.01);
    drag.x = 260;
    drag.y = 320;
    ASSERT_TRUE(player_.startPlayback({click(MouseButton::Left, true, 200, 300), drag,
                                       key(EventKind::KeyDown, "Ctrl_R", 0.01), event(EventKind::Move, 30.0)},
                                      1.0, false, 1, false));
    // Nothing is down at the start, so nothing is released then: the press and the key come first.
    ASSERT_TRUE(waitForProbedInput(2, 5000));
    player_.stopPlayback();
    ASSERT_TRUE(waitForEnd(2000));
    ASSERT_EQ(posted.back().wParam, 1u);

    // The held button and key, in that order, each released once, and nothing else.
    const std::vector<ProbedInput> expected = {
        mouseSeen(WM_LBUTTONDOWN, 200, 300),
        keySeen(false, VK_RCONTROL, true),
        mouseSeen(WM_LBUTTONUP, 260, 320),
        keySeen(true, VK_RCONTROL, true),
    };
    EXPECT_EQ(describeAll(probedInput()), describeAll(expected));
    EXPECT_EQ(posted.back().inputSeen, expected.size()) << "every release comes before the end message";
}

TEST_F(PlayerTest, WhatTheUserReleasedDuringThePlaybackIsNotReleasedAgain)
{
    // The playback presses the middle button and A; the user lets go of the button, then stops.
    ASSERT_TRUE(player_.startPlayback(
        {click(MouseButton::Middle, true, 210, 310), key(EventKind::KeyDown, "A", 0.01), event(EventKind::Move, 30.0)},
        1.0, false, 1, false));
    ASSERT_TRUE(waitForProbedInput(2, 5000));
    INPUT release{};
    release.type = INPUT_MOUSE;
    release.mi.dwFlags = MOUSEEVENTF_MIDDLEUP;
    ASSERT_EQ(SendInput(1, &release, sizeof release), 1u);
    ASSERT_TRUE(waitForProbedInput(3, 5000));
    player_.stopPlayback();
    ASSERT_TRUE(waitForEnd(2000));

    const std::vector<ProbedInput> expected = {
        mouseSeen(WM_MBUTTONDOWN, 210, 310), keySeen(false, 'A', false),
        mouseSeen(WM_MBUTTONUP, 210, 310),  // the user's
        keySeen(true, 'A', false),          // the playback's only release
    };
    waitForProbedInput(expected.size() + 1, 300);
    EXPECT_EQ(describeAll(probedInput()), describeAll(expected));
}

TEST_F(PlayerTest, NoThreadMeansNoPlayback)
{
    bool started = true;
    {
        ScopedSeam noThreads(startThreadSeam, &refuseThread);
        started = player_.startPlayback({event(EventKind::Move)}, 1.0, false, 1, false);
    }
    EXPECT_FALSE(started);
    EXPECT_FALSE(player_.isPlaying()) << "a playback without a thread must not stay playing";
    // The player is usable again at once.
    ASSERT_TRUE(player_.startPlayback({event(EventKind::Move)}, 1.0, false, 1, false));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(posted.back().wParam, 0u);
}

TEST_F(PlayerTest, RefusedInputStopsThePlaybackReleasesHeldInputAndSaysWhy)
{
    TestErrorLog log;
    InputSeam refusing = systemInputSeam();
    refusing.sendInput = &refuseB;
    ScopedSeam guard(playbackInputSeam, refusing);
    // A drag's press, a typed A, then a B that the system refuses, and more that must not follow.
    ASSERT_TRUE(player_.startPlayback({click(MouseButton::Left, true, 220, 330), key(EventKind::KeyDown, "A", 0.01),
                                       key(EventKind::KeyUp, "A"), key(EventKind::KeyDown, "Shift", 0.01),
                                       key(EventKind::KeyDown, "B", 0.01), key(EventKind::KeyDown, "C", 0.01)},
                                      1.0, false, 3, false));
    ASSERT_TRUE(waitForEnd());
    EXPECT_FALSE(player_.isPlaying());
    ASSERT_EQ(posted.size(), 2u) << "the first pass only";
    EXPECT_EQ(posted.back().wParam, 2u) << "refused by the system";
    EXPECT_EQ(posted.back().lParam, ERROR_ACCESS_DENIED);

    const std::vector<ProbedInput> expected = {
        mouseSeen(WM_LBUTTONDOWN, 220, 330), keySeen(false, 'A', false),        keySeen(true, 'A', false),
        keySeen(false, VK_LSHIFT, false),    mouseSeen(WM_LBUTTONUP, 220, 330), keySeen(true, VK_LSHIFT, false),
    };
    waitForProbedInput(expected.size(), 2000);
    EXPECT_EQ(describeAll(probedInput()), describeAll(expected));
    EXPECT_EQ(posted.back().inputSeen, expected.size()) << "every release comes before the end message";
    EXPECT_NE(log.newText().find(u8"回放被系统拒绝，已停止 err=5"), std::string::npos) << log.bytes();
}

TEST_F(PlayerTest, APlaybackTellsWhereItPutsTheCursor)
{
    PlaybackPointer pointer;
    player_.setPlaybackPointer(&pointer);
    SetCursorPos(50, 60);
    MacroEvent first = event(EventKind::Move);
    first.x = 410;
    first.y = 420;
    MacroEvent second = event(EventKind::Move, 0.01);
    second.x = 430;
    second.y = 440;
    // The press and the release of a click place the cursor too; the long wait keeps the playback running.
    ASSERT_TRUE(player_.startPlayback({first, second, click(MouseButton::Right, true, 450, 460, 0.01),
                                       click(MouseButton::Right, false, 470, 480), event(EventKind::Move, 30.0)},
                                      1.0, false, 1, false));
    ASSERT_TRUE(pumpMessagesUntil([&] { return pointer.read().lastX == 470; }, 5000));
    const PlaybackPointer::Places places = pointer.read();
    EXPECT_TRUE(places.active);
    EXPECT_EQ(places.lastY, 480);
    EXPECT_EQ(places.previousX, 450);
    EXPECT_EQ(places.previousY, 460);
    player_.stopPlayback();
    EXPECT_FALSE(pointer.read().active) << "the playback has ended";

    // The next playback starts from the cursor's place.
    SetCursorPos(70, 80);
    ASSERT_TRUE(player_.startPlayback({event(EventKind::Move, 30.0)}, 1.0, false, 1, false));
    ASSERT_TRUE(pumpMessagesUntil([&] { return pointer.read().active; }, 5000));
    EXPECT_EQ(pointer.read().lastX, 70);
    EXPECT_EQ(pointer.read().previousY, 80);
    player_.stopPlayback();
    player_.setPlaybackPointer(nullptr);
}

TEST_F(PlayerTest, ThePlaybackThreadRunsRaisedWithoutRaisingTheProcess)
{
    InputSeam noting = systemInputSeam();
    noting.sendInput = &notePriorityAndSend;
    ScopedSeam guard(playbackInputSeam, noting);
    sendingPriorities.clear();
    ASSERT_TRUE(
        player_.startPlayback({key(EventKind::KeyDown, "A"), key(EventKind::KeyUp, "A", 0.01)}, 1.0, false, 1, false));
    ASSERT_TRUE(waitForEnd());
    ASSERT_EQ(sendingPriorities.size(), 2u);
    for (int priority : sendingPriorities) {
        EXPECT_EQ(priority, THREAD_PRIORITY_HIGHEST);
    }
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
}

// The system's clock for a playback thread: its coarse waits last what they are asked to, and its
// priority goes back to what it was.
TEST(SystemClock, WaitsAsAskedAndRestoresThePriority)
{
    SystemClock clock;
    EXPECT_EQ(clock.coarseWait(), CoarseWait::HighResolutionTimer) << "wine and Windows 10 1803 on make the timer";
    const PlaybackClockSeam seam = clock.seam();
    const double before = seam.now(seam.context);
    seam.sleepMilliseconds(seam.context, 5);
    // Never short by more than the timer's granularity; the upper bound allows a loaded machine.
    EXPECT_GE(seam.now(seam.context) - before, 0.0044);
    EXPECT_LT(seam.now(seam.context) - before, 0.5);
    const int normal = GetThreadPriority(GetCurrentThread());
    seam.setPriority(seam.context, PlaybackPriority::Raised);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_HIGHEST);
    seam.setPriority(seam.context, PlaybackPriority::Raised);
    seam.setPriority(seam.context, PlaybackPriority::Normal);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), normal) << "back to what it was";
}
