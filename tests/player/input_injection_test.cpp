#include "player/input_injection.h"

#include <gtest/gtest.h>

#include "fake_input.h"

namespace {

MacroEvent makeEvent(EventKind kind)
{
    MacroEvent e;
    e.kind = kind;
    return e;
}

// A value outside the vocabulary, as a hand-edited script could hold.
constexpr MouseButton kButton5 = static_cast<MouseButton>(5);

MacroEvent click(MouseButton button, bool pressed, int32_t x = 0, int32_t y = 0)
{
    MacroEvent e = makeEvent(EventKind::Click);
    e.button = button;
    e.pressed = pressed;
    e.x = x;
    e.y = y;
    return e;
}

MacroEvent scroll(int32_t dx, int32_t dy)
{
    MacroEvent e = makeEvent(EventKind::Scroll);
    e.dx = dx;
    e.dy = dy;
    e.x = 7;
    e.y = 8;
    return e;
}

MacroEvent keyEvent(EventKind kind, const char* name)
{
    MacroEvent e = makeEvent(kind);
    e.keyOrText = name;
    return e;
}

MacroEvent moveTo(int32_t x, int32_t y)
{
    MacroEvent e = makeEvent(EventKind::Move);
    e.x = x;
    e.y = y;
    return e;
}

}  // namespace

TEST(InputInjection, RecordsOfEachEvent)
{
    const struct {
        const char* name;
        MacroEvent event;
        std::vector<FakeInput::Call> expected;
    } cases[] = {
        {"move: cursor only", moveTo(300, 400), {cursorCall(300, 400)}},
        {"left press: cursor, then a button-down without coordinates",
         click(MouseButton::Left, true, 100, 200),
         {cursorCall(100, 200), recordCall(mouseRecord(kMouseFlagLeftDown))}},
        {"left release: at its own point, not where the last move left the cursor",
         click(MouseButton::Left, false, 100, 200),
         {cursorCall(100, 200), recordCall(mouseRecord(kMouseFlagLeftUp))}},
        {"right press",
         click(MouseButton::Right, true, 1, 2),
         {cursorCall(1, 2), recordCall(mouseRecord(kMouseFlagRightDown))}},
        {"right release",
         click(MouseButton::Right, false),
         {cursorCall(0, 0), recordCall(mouseRecord(kMouseFlagRightUp))}},
        {"middle press",
         click(MouseButton::Middle, true, 3, 4),
         {cursorCall(3, 4), recordCall(mouseRecord(kMouseFlagMiddleDown))}},
        {"middle release",
         click(MouseButton::Middle, false),
         {cursorCall(0, 0), recordCall(mouseRecord(kMouseFlagMiddleUp))}},
        {"button 5 acts as left",
         click(kButton5, true, 5, 6),
         {cursorCall(5, 6), recordCall(mouseRecord(kMouseFlagLeftDown))}},
        {"wheel down two notches", scroll(0, -2), {recordCall(mouseRecord(kMouseFlagWheel, -240))}},
        {"horizontal wheel", scroll(1, 0), {recordCall(mouseRecord(kMouseFlagHorizontalWheel, 120))}},
        {"both wheels: only the vertical one", scroll(3, 1), {recordCall(mouseRecord(kMouseFlagWheel, 120))}},
        {"no wheel at all", scroll(0, 0), {}},
        {"key down A", keyEvent(EventKind::KeyDown, "A"), {recordCall(keyboardRecord(0x41, 0))}},
        {"key up A", keyEvent(EventKind::KeyUp, "A"), {recordCall(keyboardRecord(0x41, kKeyFlagUp))}},
        {"Ctrl_R down is extended",
         keyEvent(EventKind::KeyDown, "Ctrl_R"),
         {recordCall(keyboardRecord(0xA3, kKeyFlagExtended))}},
        {"Home up is extended",
         keyEvent(EventKind::KeyUp, "Home"),
         {recordCall(keyboardRecord(0x24, kKeyFlagUp | kKeyFlagExtended))}},
        {"left Ctrl is not extended", keyEvent(EventKind::KeyDown, "Ctrl"), {recordCall(keyboardRecord(0xA2, 0))}},
        {"VK:186 by code", keyEvent(EventKind::KeyDown, "VK:186"), {recordCall(keyboardRecord(186, 0))}},
        {"unknown name sends nothing", keyEvent(EventKind::KeyDown, "NoSuchKey"), {}},
        {"VK: without a number sends nothing", keyEvent(EventKind::KeyDown, "VK:"), {}},
        {"VK:0 sends nothing", keyEvent(EventKind::KeyUp, "VK:0"), {}},
        {"a code beyond one byte is not cut down to another key", keyEvent(EventKind::KeyDown, "VK:321"), {}},
        {"a negative code sends nothing", keyEvent(EventKind::KeyDown, "VK:-65"), {}},
        {"unknown kind does nothing", makeEvent(static_cast<EventKind>(9)), {}},
    };
    for (const auto& c : cases) {
        FakeInput fake;
        HeldInput held;
        injectEvent(fake.seam(), held, c.event);
        EXPECT_EQ(describeAll(fake.calls), describeAll(c.expected)) << c.name;
    }
}

TEST(InputInjection, TracksHeldButtonsAndKeys)
{
    FakeInput fake;
    HeldInput held;
    const InputSeam seam = fake.seam();
    injectEvent(seam, held, click(MouseButton::Right, true));
    injectEvent(seam, held, click(MouseButton::Left, true));
    injectEvent(seam, held, click(MouseButton::Right, true));  // already held: once only
    injectEvent(seam, held, click(kButton5, true));            // tracked under its own value
    injectEvent(seam, held, keyEvent(EventKind::KeyDown, "A"));
    injectEvent(seam, held, keyEvent(EventKind::KeyDown, "A"));
    injectEvent(seam, held, keyEvent(EventKind::KeyDown, "VK:65"));  // same key, other name: its own entry
    injectEvent(seam, held, keyEvent(EventKind::KeyDown, "Bogus"));  // nothing sent, nothing tracked
    EXPECT_EQ(held.heldButtons, (std::vector<MouseButton>{MouseButton::Right, MouseButton::Left, kButton5}));
    EXPECT_EQ(held.heldKeys, (std::vector<std::string>{"A", "VK:65"}));

    injectEvent(seam, held, click(MouseButton::Right, false));
    injectEvent(seam, held, click(MouseButton::Middle, false));  // never pressed: nothing to remove
    injectEvent(seam, held, keyEvent(EventKind::KeyUp, "A"));    // one key-up empties the double press
    EXPECT_EQ(held.heldButtons, (std::vector<MouseButton>{MouseButton::Left, kButton5}));
    EXPECT_EQ(held.heldKeys, (std::vector<std::string>{"VK:65"}));

    // Moves and scrolls do not touch the lists.
    injectEvent(seam, held, moveTo(1, 1));
    injectEvent(seam, held, scroll(0, 1));
    EXPECT_EQ(held.heldButtons.size(), 2u);
    EXPECT_EQ(held.heldKeys.size(), 1u);
}

TEST(InputInjection, ReleaseHeldReleasesListsThenWhatIsStillDown)
{
    FakeInput fake;
    HeldInput held;
    held.heldButtons = {MouseButton::Middle, kButton5};
    held.heldKeys = {"Home", "Bogus", "Shift"};
    // The system still reports the listed ones down, and the right button and Alt besides.
    fake.down = {kVirtualKeyMiddleButton, kVirtualKeyLeftButton, 0x24, 0xA0, kVirtualKeyRightButton, 0xA4};
    releaseHeld(fake.seam(), held);
    const std::vector<FakeInput::Call> expected = {
        recordCall(mouseRecord(kMouseFlagMiddleUp)),
        recordCall(mouseRecord(kMouseFlagLeftUp)),  // button 5 is released as the left button
        recordCall(keyboardRecord(0x24, kKeyFlagUp | kKeyFlagExtended)),
        recordCall(keyboardRecord(0xA0, kKeyFlagUp)),
        recordCall(mouseRecord(kMouseFlagRightUp)),    // still down, not in the lists
        recordCall(keyboardRecord(0xA4, kKeyFlagUp)),  // likewise
    };
    EXPECT_EQ(describeAll(fake.calls), describeAll(expected));
    EXPECT_TRUE(held.heldButtons.empty());
    EXPECT_TRUE(held.heldKeys.empty());

    // With nothing held and nothing down nothing is sent.
    fake.calls.clear();
    fake.down.clear();
    releaseHeld(fake.seam(), held);
    EXPECT_TRUE(fake.calls.empty()) << describeAll(fake.calls).size() << " records";
}

TEST(InputInjection, EndOfPlaybackReleasesOnlyWhatIsDownEachOnce)
{
    const struct {
        const char* name;
        std::vector<MouseButton> heldButtons;
        std::vector<std::string> heldKeys;
        std::vector<uint32_t> down;
        std::vector<FakeInput::Call> expected;
    } cases[] = {
        {"nothing held, nothing down: nothing sent", {}, {}, {}, {}},
        {"a drag stopped midway: its button released exactly once",
         {MouseButton::Left},
         {},
         {kVirtualKeyLeftButton},
         {recordCall(mouseRecord(kMouseFlagLeftUp))}},
        {"a right Ctrl from the script: released with the extended flag, once",
         {},
         {"Ctrl_R"},
         {0xA3},
         {recordCall(keyboardRecord(0xA3, kKeyFlagUp | kKeyFlagExtended))}},
        {"a Ctrl pressed as VK:17 counts as the left Ctrl",
         {},
         {"VK:17"},
         {0xA2},
         {recordCall(keyboardRecord(0x11, kKeyFlagUp))}},
        {"held but released since by the user or the system: nothing sent (a stray right button-up opens menus)",
         {MouseButton::Right, MouseButton::Left},
         {"A", "Shift"},
         {},
         {}},
        {"of the held ones only those still down are released",
         {MouseButton::Left, MouseButton::Right},
         {"A", "Ctrl_R", "B"},
         {kVirtualKeyRightButton, 0x42, 0xA3},
         {recordCall(mouseRecord(kMouseFlagRightUp)), recordCall(keyboardRecord(0xA3, kKeyFlagUp | kKeyFlagExtended)),
          recordCall(keyboardRecord(0x42, kKeyFlagUp))}},
        {"a held button that is up while the user holds another: only the user's is released",
         {MouseButton::Left},
         {},
         {kVirtualKeyMiddleButton},
         {recordCall(mouseRecord(kMouseFlagMiddleUp))}},
        {"one key held under two names is released once",
         {},
         {"Shift", "VK:16", "VK:160"},
         {0xA0},
         {recordCall(keyboardRecord(0xA0, kKeyFlagUp))}},
        {"a Shift held as VK:16 that the user released is not released again", {}, {"VK:16"}, {}, {}},
        {"the user's buttons and modifiers still down",
         {},
         {},
         {kVirtualKeyMiddleButton, 0xA1, 0xA5, 0x5C, 0x41},
         {recordCall(mouseRecord(kMouseFlagMiddleUp)), recordCall(keyboardRecord(0xA1, kKeyFlagUp)),
          recordCall(keyboardRecord(0xA5, kKeyFlagUp | kKeyFlagExtended)),
          recordCall(keyboardRecord(0x5C, kKeyFlagUp | kKeyFlagExtended))}},
    };
    for (const auto& c : cases) {
        FakeInput fake;
        fake.down = c.down;
        HeldInput held;
        held.heldButtons = c.heldButtons;
        held.heldKeys = c.heldKeys;
        releaseHeld(fake.seam(), held);
        EXPECT_EQ(describeAll(fake.calls), describeAll(c.expected)) << c.name;
    }
}

TEST(InputInjection, StartOfPlaybackReleasesOnlyModifiersThatAreDown)
{
    const struct {
        const char* name;
        std::vector<uint32_t> down;
        std::vector<FakeInput::Call> expected;
    } cases[] = {
        {"nothing down: nothing sent", {}, {}},
        {"a Ctrl held by the user: its release", {0xA2}, {recordCall(keyboardRecord(0xA2, kKeyFlagUp))}},
        {"buttons and other keys are left alone", {kVirtualKeyLeftButton, 0x41, 0x24}, {}},
        {"every modifier, in a fixed order, right-hand ones extended",
         {0x5C, 0x5B, 0xA5, 0xA4, 0xA3, 0xA2, 0xA1, 0xA0},
         {recordCall(keyboardRecord(0xA0, kKeyFlagUp)), recordCall(keyboardRecord(0xA1, kKeyFlagUp)),
          recordCall(keyboardRecord(0xA2, kKeyFlagUp)), recordCall(keyboardRecord(0xA3, kKeyFlagUp | kKeyFlagExtended)),
          recordCall(keyboardRecord(0xA4, kKeyFlagUp)), recordCall(keyboardRecord(0xA5, kKeyFlagUp | kKeyFlagExtended)),
          recordCall(keyboardRecord(0x5B, kKeyFlagUp | kKeyFlagExtended)),
          recordCall(keyboardRecord(0x5C, kKeyFlagUp | kKeyFlagExtended))}},
    };
    for (const auto& c : cases) {
        FakeInput fake;
        fake.down = c.down;
        releaseModifiers(fake.seam());
        EXPECT_EQ(describeAll(fake.calls), describeAll(c.expected)) << c.name;
    }
}

TEST(InputInjection, RefusedRecordsAreReportedAndChangeNoHeldList)
{
    const struct {
        const char* name;
        std::vector<std::string> heldBefore;
        MacroEvent event;
        bool refused;
        std::vector<std::string> heldAfter;
    } cases[] = {
        {"a refused key press holds nothing", {}, keyEvent(EventKind::KeyDown, "A"), true, {}},
        {"a refused key release leaves the key held", {"A"}, keyEvent(EventKind::KeyUp, "A"), true, {"A"}},
        {"a refused wheel turn is reported", {}, scroll(0, 1), true, {}},
        {"a move is never refused: nothing is sent", {}, moveTo(5, 5), false, {}},
        {"an unknown key sends nothing to refuse", {}, keyEvent(EventKind::KeyDown, "Bogus"), false, {}},
    };
    for (const auto& c : cases) {
        FakeInput fake;
        fake.refuses = [](const InputRecord&) { return true; };
        HeldInput held;
        held.heldKeys = c.heldBefore;
        const SendResult result = injectEvent(fake.seam(), held, c.event);
        EXPECT_EQ(result.refused, c.refused) << c.name;
        EXPECT_EQ(result.error, c.refused ? 5u : 0u) << c.name;
        EXPECT_EQ(held.heldKeys, c.heldAfter) << c.name;
    }

    // Buttons alike: a refused press is not held, a refused release stays held.
    FakeInput fake;
    fake.refuses = [](const InputRecord& r) { return r.mouseFlags == kMouseFlagRightDown; };
    HeldInput held;
    EXPECT_FALSE(injectEvent(fake.seam(), held, click(MouseButton::Left, true)).refused);
    EXPECT_TRUE(injectEvent(fake.seam(), held, click(MouseButton::Right, true)).refused);
    EXPECT_EQ(held.heldButtons, (std::vector<MouseButton>{MouseButton::Left}));
    fake.refuses = [](const InputRecord&) { return true; };
    EXPECT_TRUE(injectEvent(fake.seam(), held, click(MouseButton::Left, false)).refused);
    EXPECT_EQ(held.heldButtons, (std::vector<MouseButton>{MouseButton::Left}));
}

TEST(InputInjection, StartReleasesStopAtTheFirstRefusal)
{
    FakeInput fake;
    fake.down = {0xA0, 0xA2};
    fake.refusalError = 1455;
    fake.refuses = [](const InputRecord& r) { return r.virtualKey == 0xA0; };
    const SendResult result = releaseModifiers(fake.seam());
    EXPECT_TRUE(result.refused);
    EXPECT_EQ(result.error, 1455u);
    EXPECT_EQ(describeAll(fake.calls), describeAll({refusedCall(keyboardRecord(0xA0, kKeyFlagUp))}));
}
