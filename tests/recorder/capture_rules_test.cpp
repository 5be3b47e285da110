#include "recorder/capture_rules.h"

#include <cmath>

#include <gtest/gtest.h>

#include "recorder/hotkey_rules.h"

namespace {

namespace M = HookMessage;

struct HotkeyRow {
    uint32_t message;
    uint32_t virtualKey;
    uint32_t flags;
    bool consumed;
    Hotkey post;
};

// The default hotkeys, each row on a keyboard the hook has seen nothing of yet.
TEST(HotkeyStep, DecidesByVirtualKeyMessageAndInjection)
{
    const HotkeyRow rows[] = {
        {M::kKeyDown, 0x77, 0, true, Hotkey::Record},        // F8
        {M::kKeyDown, 0x76, 0, true, Hotkey::RecordAlt},     // F7
        {M::kKeyDown, 0x78, 0, true, Hotkey::Stop},          // F9
        {M::kSysKeyDown, 0x77, 0x20, true, Hotkey::Record},  // with Alt held (LLKHF_ALTDOWN)
        {M::kKeyUp, 0x77, 0x80, true, Hotkey::None},
        {M::kSysKeyUp, 0x78, 0x80, true, Hotkey::None},
        {M::kKeyDown, 0x78, kKeyInjectedFlag, true, Hotkey::None},
        {M::kKeyUp, 0x76, kKeyInjectedFlag | 0x80, true, Hotkey::None},
        {M::kKeyDown, 0x75, 0, false, Hotkey::None},  // F6
        {M::kKeyDown, 0x79, 0, false, Hotkey::None},  // F10
        {M::kKeyDown, 0x41, kKeyInjectedFlag, false, Hotkey::None},
        {M::kKeyDown, 0x177, 0, false, Hotkey::None},  // only the exact code counts, not its low byte
    };
    for (const HotkeyRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "message " << row.message << " vk " << row.virtualKey);
        HotkeyTracker tracker;
        const HotkeyDecision decision =
            hotkeyStep(tracker, HotkeyChords{}, false, row.message, row.virtualKey, row.flags, 1000, 0);
        EXPECT_EQ(decision.consumed, row.consumed);
        EXPECT_EQ(decision.post, row.post);
    }
}

TEST(WheelNotches, TruncatesTheSignedHighWordTowardZero)
{
    const struct {
        int16_t delta;
        int32_t notches;
    } rows[] = {{240, 2}, {-120, -1}, {119, 0}, {-119, 0}, {-250, -2}, {120, 1}, {0, 0}, {32767, 273}, {-32768, -273}};
    for (const auto& row : rows) {
        // The low word carries nothing for the wheel; noise there must not leak into the result.
        const uint32_t mouseData = (static_cast<uint32_t>(static_cast<uint16_t>(row.delta)) << 16) | 0xBEEF;
        EXPECT_EQ(wheelNotches(mouseData), row.notches) << row.delta;
    }
}

TEST(OwnWindowLookup, OnlyPressesAndWheelTurnsNeedIt)
{
    for (uint32_t message = M::kMouseMove; message <= M::kMouseHWheel; ++message) {
        const bool expected = message == M::kLButtonDown || message == M::kRButtonDown || message == M::kMButtonDown ||
                              message == M::kMouseWheel || message == M::kMouseHWheel;
        EXPECT_EQ(mouseMessageNeedsOwnWindow(message), expected) << message;
    }
}

class CaptureTest : public testing::Test {
protected:
    void SetUp() override { resetCapture(state, 100.0); }

    bool mouse(uint32_t message, double now, bool ownWindow = false, uint32_t mouseData = 0, int32_t x = 10,
               int32_t y = 20)
    {
        return captureMouse(state, message, x, y, mouseData, ownWindow, now, event);
    }
    bool key(uint32_t message, uint32_t vk, double now, bool ownForeground = false)
    {
        return captureKey(state, message, vk, ownForeground, now, event);
    }

    CaptureState state;
    MacroEvent event;
};

TEST_F(CaptureTest, ResetClearsEverythingAndStartsTheBaseline)
{
    state.lastMoveTime = 5.0;
    state.swallowedButtons[2] = true;
    state.swallowedKeys[255] = true;
    resetCapture(state, 42.5);
    EXPECT_EQ(state.lastEventTime, 42.5);
    EXPECT_EQ(state.lastMoveTime, 0.0);
    for (bool b : state.swallowedButtons) {
        EXPECT_FALSE(b);
    }
    for (bool k : state.swallowedKeys) {
        EXPECT_FALSE(k);
    }
}

TEST_F(CaptureTest, FirstEventDelayCountsFromTheStart)
{
    ASSERT_TRUE(mouse(M::kLButtonDown, 100.25));
    EXPECT_EQ(event.kind, EventKind::Click);
    EXPECT_NEAR(event.delay, 0.25, 1e-9);
    EXPECT_EQ(state.lastEventTime, 100.25);
}

TEST_F(CaptureTest, ClicksCarryButtonPressedAndPoint)
{
    const struct {
        uint32_t message;
        MouseButton button;
        bool pressed;
    } rows[] = {
        {M::kLButtonDown, MouseButton::Left, true},   {M::kLButtonUp, MouseButton::Left, false},
        {M::kRButtonDown, MouseButton::Right, true},  {M::kRButtonUp, MouseButton::Right, false},
        {M::kMButtonDown, MouseButton::Middle, true}, {M::kMButtonUp, MouseButton::Middle, false},
    };
    double now = 100.0;
    for (const auto& row : rows) {
        now += 0.5;
        ASSERT_TRUE(mouse(row.message, now, false, 0, -7, 1234)) << row.message;
        EXPECT_EQ(event.kind, EventKind::Click);
        EXPECT_EQ(event.button, row.button);
        EXPECT_EQ(event.pressed, row.pressed);
        EXPECT_EQ(event.x, -7);
        EXPECT_EQ(event.y, 1234);
        EXPECT_NEAR(event.delay, 0.5, 1e-9);
        EXPECT_EQ(event.dx, 0);
        EXPECT_EQ(event.dy, 0);
        EXPECT_TRUE(event.keyOrText.empty());
    }
}

TEST_F(CaptureTest, MoveThrottleComparesWithTheLastRecordedMove)
{
    // A move every 5 ms: one event per 20 ms, the dropped ones leave every time untouched.
    int recorded = 0;
    double lastRecorded = 0.0;
    for (int i = 0; i <= 40; ++i) {
        const double now = 100.001 + 0.005 * i;
        if (mouse(M::kMouseMove, now, false, 0, i, 0)) {
            EXPECT_EQ(event.kind, EventKind::Move);
            EXPECT_EQ(event.x, i);
            if (recorded > 0) {
                EXPECT_GE(now - lastRecorded, 0.02 - 1e-9);
                EXPECT_NEAR(event.delay, now - lastRecorded, 1e-9);
            } else {
                EXPECT_NEAR(event.delay, 0.001, 1e-9);  // the first move is always recorded
            }
            lastRecorded = now;
            ++recorded;
        } else {
            EXPECT_EQ(state.lastEventTime, lastRecorded);
            EXPECT_EQ(state.lastMoveTime, lastRecorded);
        }
    }
    // 200 ms of moves; floating-point steps may push one interval onto the next notification.
    EXPECT_GE(recorded, 8);
    EXPECT_LE(recorded, 11);
}

TEST_F(CaptureTest, AMoveExactlyTwentyMillisecondsAfterTheLastIsRecorded)
{
    // 0.02 and 0.04 are exact binary multiples: their difference is exactly the interval.
    const struct {
        double second;
        bool recorded;
    } rows[] = {{0.04, true}, {std::nextafter(0.04, 0.0), false}, {std::nextafter(0.04, 1.0), true}};
    for (const auto& row : rows) {
        resetCapture(state, 0.0);
        ASSERT_TRUE(mouse(M::kMouseMove, 0.02));
        EXPECT_EQ(mouse(M::kMouseMove, row.second), row.recorded) << row.second;
    }
}

TEST_F(CaptureTest, DroppedMoveDoesNotMoveTheDelayBaseline)
{
    ASSERT_TRUE(mouse(M::kMouseMove, 101.0));
    ASSERT_FALSE(mouse(M::kMouseMove, 101.01));
    EXPECT_FALSE(mouse(M::kKeyDown, 101.012));  // a keyboard message is no mouse event
    ASSERT_TRUE(mouse(M::kLButtonDown, 101.015));
    EXPECT_NEAR(event.delay, 0.015, 1e-9);
    // A click does not reset the move throttle, which looks at moves only.
    EXPECT_FALSE(mouse(M::kMouseMove, 101.019));
    EXPECT_TRUE(mouse(M::kMouseMove, 101.021));
    EXPECT_NEAR(event.delay, 0.006, 1e-9);
}

TEST_F(CaptureTest, MovesOverOwnWindowsAreRecorded)
{
    EXPECT_TRUE(mouse(M::kMouseMove, 101.0, true));
}

TEST_F(CaptureTest, PressOnOwnWindowIsSwallowedWithItsRelease)
{
    EXPECT_FALSE(mouse(M::kLButtonDown, 101.0, true));
    EXPECT_TRUE(state.swallowedButtons[0]);
    EXPECT_EQ(state.lastEventTime, 100.0);
    // The release elsewhere is dropped too, without asking where it happened.
    EXPECT_FALSE(mouse(M::kLButtonUp, 101.1, false));
    EXPECT_FALSE(state.swallowedButtons[0]);
    EXPECT_EQ(state.lastEventTime, 100.0);
    // The next press outside is recorded again, and so is its release.
    EXPECT_TRUE(mouse(M::kLButtonDown, 101.2, false));
    EXPECT_NEAR(event.delay, 1.2, 1e-9);
    EXPECT_TRUE(mouse(M::kLButtonUp, 101.3, true));
    EXPECT_FALSE(event.pressed);
}

TEST_F(CaptureTest, SwallowedButtonsAreKeptApart)
{
    EXPECT_FALSE(mouse(M::kRButtonDown, 101.0, true));
    EXPECT_TRUE(mouse(M::kLButtonUp, 101.1));  // a release whose press came before the recording
    EXPECT_FALSE(event.pressed);
    EXPECT_EQ(event.button, MouseButton::Left);
    EXPECT_TRUE(mouse(M::kMButtonDown, 101.2));
    EXPECT_TRUE(mouse(M::kMButtonUp, 101.3));
    EXPECT_FALSE(mouse(M::kRButtonUp, 101.4));
}

TEST_F(CaptureTest, PressOutsideClearsAnEarlierSwallow)
{
    EXPECT_FALSE(mouse(M::kLButtonDown, 101.0, true));
    EXPECT_TRUE(mouse(M::kLButtonDown, 101.1, false));  // the release of the first never came
    EXPECT_TRUE(mouse(M::kLButtonUp, 101.2, false));
}

TEST_F(CaptureTest, WheelTurnsBecomeScrollsWithNotches)
{
    const struct {
        uint32_t message;
        int16_t delta;
        int32_t dx;
        int32_t dy;
    } rows[] = {
        {M::kMouseWheel, 240, 0, 2},
        {M::kMouseWheel, -120, 0, -1},
        {M::kMouseHWheel, 360, 3, 0},
        {M::kMouseHWheel, -250, -2, 0},
    };
    double now = 100.0;
    for (const auto& row : rows) {
        now += 0.1;
        const uint32_t data = static_cast<uint32_t>(static_cast<uint16_t>(row.delta)) << 16;
        ASSERT_TRUE(mouse(row.message, now, false, data, 3, 4)) << row.delta;
        EXPECT_EQ(event.kind, EventKind::Scroll);
        EXPECT_EQ(event.dx, row.dx);
        EXPECT_EQ(event.dy, row.dy);
        EXPECT_EQ(event.x, 3);
        EXPECT_EQ(event.y, 4);
        EXPECT_NEAR(event.delay, 0.1, 1e-9);
    }
}

TEST_F(CaptureTest, SubNotchWheelIsDroppedButMovesTheBaseline)
{
    EXPECT_FALSE(mouse(M::kMouseWheel, 100.5, false, 119u << 16));
    EXPECT_EQ(state.lastEventTime, 100.5);
    ASSERT_TRUE(mouse(M::kLButtonDown, 100.75));
    EXPECT_NEAR(event.delay, 0.25, 1e-9);
}

TEST_F(CaptureTest, WheelOverOwnWindowLeavesTheBaseline)
{
    EXPECT_FALSE(mouse(M::kMouseWheel, 100.5, true, 240u << 16));
    EXPECT_FALSE(mouse(M::kMouseHWheel, 100.6, true, 240u << 16));
    EXPECT_EQ(state.lastEventTime, 100.0);
}

TEST_F(CaptureTest, DoubleClicksAndXButtonsNeverBecomeEvents)
{
    const uint32_t ignored[] = {M::kLButtonDblClk,
                                M::kRButtonDblClk,
                                M::kMButtonDblClk,
                                M::kXButtonDown,
                                M::kXButtonUp,
                                M::kXButtonDblClk,
                                0x0000,
                                0x02A3};
    for (uint32_t message : ignored) {
        EXPECT_FALSE(mouse(message, 101.0, false, 0x00010000)) << message;
        EXPECT_EQ(state.lastEventTime, 100.0) << message;
    }
}

TEST_F(CaptureTest, KeysBecomeNamedDownAndUpEvents)
{
    const struct {
        uint32_t message;
        uint32_t vk;
        EventKind kind;
        const char* name;
    } rows[] = {
        {M::kKeyDown, 0x41, EventKind::KeyDown, "A"},       {M::kKeyUp, 0x41, EventKind::KeyUp, "A"},
        {M::kSysKeyDown, 0xA4, EventKind::KeyDown, "Alt"},  {M::kSysKeyUp, 0x12, EventKind::KeyUp, "Alt"},
        {M::kKeyDown, 0xA1, EventKind::KeyDown, "Shift_R"}, {M::kKeyDown, 0xBA, EventKind::KeyDown, "VK:186"},
        {M::kKeyDown, 0x0D, EventKind::KeyDown, "Enter"},   {M::kKeyUp, 0x31, EventKind::KeyUp, "1"},
    };
    double now = 100.0;
    for (const auto& row : rows) {
        now += 0.125;
        ASSERT_TRUE(key(row.message, row.vk, now)) << row.vk;
        EXPECT_EQ(event.kind, row.kind);
        EXPECT_EQ(event.keyOrText, row.name);
        EXPECT_NEAR(event.delay, 0.125, 1e-9);
        EXPECT_FALSE(event.pressed);
        EXPECT_EQ(event.x, 0);
    }
}

TEST_F(CaptureTest, KeyDownInOwnForegroundIsSwallowedWithItsKeyUp)
{
    EXPECT_FALSE(key(M::kKeyDown, 0x41, 101.0, true));
    EXPECT_FALSE(key(M::kKeyDown, 0x41, 101.03, true));  // auto-repeat while ours
    EXPECT_EQ(state.lastEventTime, 100.0);
    // The foreground changed before the release: still dropped, the foreground is not asked.
    EXPECT_FALSE(key(M::kKeyUp, 0x41, 101.1, false));
    EXPECT_TRUE(key(M::kKeyDown, 0x41, 101.2, false));
    EXPECT_TRUE(key(M::kKeyUp, 0x41, 101.3, true));
}

TEST_F(CaptureTest, KeyDownElsewhereClearsAnEarlierSwallow)
{
    EXPECT_FALSE(key(M::kKeyDown, 0x42, 101.0, true));
    EXPECT_TRUE(key(M::kKeyDown, 0x42, 101.1, false));
    EXPECT_TRUE(key(M::kKeyUp, 0x42, 101.2, false));
}

TEST_F(CaptureTest, SwallowedKeysAreIndexedByTheLowByte)
{
    // Codes above 255 share a slot with their low byte instead of running off the table.
    EXPECT_FALSE(key(M::kKeyDown, 0x141, 101.0, true));
    EXPECT_TRUE(state.swallowedKeys[0x41]);
    EXPECT_FALSE(key(M::kKeyUp, 0x41, 101.1, false));
    EXPECT_TRUE(key(M::kKeyDown, 0x1FF, 101.2, false));
    EXPECT_EQ(event.keyOrText, "VK:511");
}

TEST_F(CaptureTest, KeyUpWithoutItsDownIsRecorded)
{
    ASSERT_TRUE(key(M::kKeyUp, 0x20, 100.5, true));
    EXPECT_EQ(event.kind, EventKind::KeyUp);
    EXPECT_EQ(event.keyOrText, "Space");
}

TEST_F(CaptureTest, DelaysAddUpToTheElapsedTime)
{
    double sum = 0.0;
    const double times[] = {100.3, 100.31, 100.5, 100.9, 101.7};
    int i = 0;
    for (double t : times) {
        const bool recorded = (i % 2 == 0) ? mouse(M::kLButtonUp, t) : key(M::kKeyDown, 0x41 + i, t);
        ASSERT_TRUE(recorded);
        sum += event.delay;
        ++i;
    }
    EXPECT_NEAR(sum, 1.7, 1e-9);
}

MacroEvent keyEvent(EventKind kind, const char* name, double delay)
{
    MacroEvent e;
    e.kind = kind;
    e.keyOrText = name;
    e.delay = delay;
    return e;
}

MacroEvent moveEvent(double delay)
{
    MacroEvent e;
    e.delay = delay;
    return e;
}

std::string describe(const std::vector<MacroEvent>& events)
{
    std::string text;
    for (const MacroEvent& e : events) {
        text += (e.kind == EventKind::KeyDown ? "d:"
                 : e.kind == EventKind::KeyUp ? "u:"
                                              : "m:") +
                e.keyOrText + "@" + std::to_string(e.delay) + " ";
    }
    return text;
}

TEST(RemoveUnreleasedPresses, DropsTheChordModifiersPressesAndKeepsTheTiming)
{
    using K = EventKind;
    const struct {
        const char* name;
        std::vector<MacroEvent> events;
        std::vector<std::string> keys;
        std::vector<MacroEvent> expected;
    } rows[] = {
        {"a trailing press with its auto-repeats",
         {keyEvent(K::KeyDown, "A", 0.5), keyEvent(K::KeyUp, "A", 0.1), keyEvent(K::KeyDown, "Ctrl", 0.2),
          keyEvent(K::KeyDown, "Ctrl", 0.5), keyEvent(K::KeyDown, "Ctrl", 0.03)},
         {"Ctrl"},
         {keyEvent(K::KeyDown, "A", 0.5), keyEvent(K::KeyUp, "A", 0.1)}},
        {"an earlier, released press stays; the delay of the removed one goes on to the next event",
         {keyEvent(K::KeyDown, "Ctrl", 0.1), keyEvent(K::KeyUp, "Ctrl", 0.1), keyEvent(K::KeyDown, "Ctrl", 0.25),
          moveEvent(0.5)},
         {"Ctrl"},
         {keyEvent(K::KeyDown, "Ctrl", 0.1), keyEvent(K::KeyUp, "Ctrl", 0.1), moveEvent(0.75)}},
        {"two modifiers, the other keys untouched",
         {keyEvent(K::KeyDown, "Shift", 0.1), keyEvent(K::KeyDown, "Alt_R", 0.1), keyEvent(K::KeyDown, "B", 0.1),
          keyEvent(K::KeyUp, "B", 0.1)},
         {"Shift", "Alt_R"},
         {keyEvent(K::KeyDown, "B", 0.30000000000000004), keyEvent(K::KeyUp, "B", 0.1)}},
        {"a key not named stays",
         {keyEvent(K::KeyDown, "Ctrl_R", 0.1)},
         {"Ctrl"},
         {keyEvent(K::KeyDown, "Ctrl_R", 0.1)}},
        {"nothing to remove", {}, {"Ctrl"}, {}},
    };
    for (const auto& row : rows) {
        std::vector<MacroEvent> events = row.events;
        const size_t removed = removeUnreleasedPresses(events, row.keys);
        EXPECT_EQ(describe(events), describe(row.expected)) << row.name;
        EXPECT_EQ(removed, row.events.size() - row.expected.size()) << row.name;
    }
}

}  // namespace
