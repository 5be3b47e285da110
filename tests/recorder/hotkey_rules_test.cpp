#include "recorder/hotkey_rules.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "recorder/capture_rules.h"

namespace {

namespace M = HookMessage;

constexpr uint32_t kInjected = 0x10;  // LLKHF_INJECTED

// A keyboard as the hook sees it: each step is one notification 50 ms after the last, and the
// system reports down exactly the modifiers pressed (for real or by software) and not released.
struct Keyboard {
    HotkeyTracker tracker;
    HotkeyChords chords;
    bool paused = false;
    uint32_t time = 10000;
    uint32_t systemModifiers = 0;

    HotkeyDecision step(uint32_t message, uint32_t vk, uint32_t flags = 0, uint32_t gapMs = 50)
    {
        time += gapMs;
        const HotkeyDecision decision = hotkeyStep(tracker, chords, paused, message, vk, flags, time, systemModifiers);
        const uint32_t bit = modifierKeyBit(vk);
        if (isKeyDownMessage(message)) {
            systemModifiers |= bit;
        } else {
            systemModifiers &= ~bit;
        }
        return decision;
    }
    HotkeyDecision down(uint32_t vk, uint32_t flags = 0, uint32_t gapMs = 50)
    {
        return step(M::kKeyDown, vk, flags, gapMs);
    }
    HotkeyDecision up(uint32_t vk, uint32_t flags = 0) { return step(M::kKeyUp, vk, flags | 0x80); }
};

// One notification of a sequence and what it must decide.
struct Step {
    bool keyDown;
    uint32_t vk;
    uint32_t flags;
    bool consumed;
    Hotkey post;
};

std::string name(Hotkey hotkey)
{
    switch (hotkey) {
    case Hotkey::Record: return "Record";
    case Hotkey::RecordAlt: return "RecordAlt";
    case Hotkey::Stop: return "Stop";
    default: return "None";
    }
}

void expectSteps(Keyboard& keyboard, const std::vector<Step>& steps, const char* what)
{
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        const HotkeyDecision d = s.keyDown ? keyboard.down(s.vk, s.flags) : keyboard.up(s.vk, s.flags);
        EXPECT_EQ(d.consumed, s.consumed) << what << ", step " << i;
        EXPECT_EQ(name(d.post), name(s.post)) << what << ", step " << i;
    }
}

constexpr uint32_t kF11 = 0x7A;
constexpr uint32_t kF12 = 0x7B;
constexpr uint32_t kLCtrl = 0xA2;
constexpr uint32_t kRCtrl = 0xA3;
constexpr uint32_t kLShift = 0xA0;
constexpr uint32_t kLAlt = 0xA4;

HotkeyChords chosenChords()
{
    HotkeyChords chords;
    chords.record = HotkeyChord{kF11, kChordCtrl};
    chords.recordAlt = HotkeyChord{};
    chords.stop = HotkeyChord{kF12, 0};
    return chords;
}

TEST(HotkeyRules, ChordsFireOnlyWithTheirModifiers)
{
    const bool D = true;
    const bool U = false;
    const Hotkey N = Hotkey::None;
    const struct {
        const char* what;
        std::vector<Step> steps;
    } cases[] = {
        {"Ctrl+F11 fires record; its F11 and Ctrl releases belong to it",
         {{D, kLCtrl, 0, false, N},
          {D, kF11, 0, true, Hotkey::Record},
          {U, kF11, 0, true, N},
          {U, kLCtrl, 0, true, N}}},
        {"the right Ctrl counts as Ctrl",
         {{D, kRCtrl, 0, false, N},
          {D, kF11, 0, true, Hotkey::Record},
          {U, kRCtrl, 0, true, N},
          {U, kF11, 0, true, N}}},
        {"F11 alone is an ordinary key", {{D, kF11, 0, false, N}, {U, kF11, 0, false, N}}},
        {"Ctrl+Shift+F11 is not Ctrl+F11",
         {{D, kLCtrl, 0, false, N},
          {D, kLShift, 0, false, N},
          {D, kF11, 0, false, N},
          {U, kF11, 0, false, N},
          {U, kLShift, 0, false, N},
          {U, kLCtrl, 0, false, N}}},
        {"F12 without modifiers fires with any modifiers held, which stay ordinary keys",
         {{D, kF12, 0, true, Hotkey::Stop},
          {U, kF12, 0, true, N},
          {D, kLAlt, 0, false, N},
          {D, kF12, 0, true, Hotkey::Stop},
          {U, kF12, 0, true, N},
          {U, kLAlt, 0, false, N}}},
        {"F8 is no hotkey any more", {{D, 0x77, 0, false, N}, {U, 0x77, 0, false, N}}},
        {"injected Ctrl+F11 fires nothing and its chord key is no event",
         {{D, kLCtrl, kInjected, false, N},
          {D, kF11, kInjected, true, N},
          {U, kF11, kInjected, true, N},
          {U, kLCtrl, kInjected, false, N}}},
        {"a Ctrl held by software does not make a real F11 the chord",
         {{D, kLCtrl, kInjected, false, N}, {D, kF11, 0, false, N}, {U, kF11, 0, false, N}}},
    };
    for (const auto& c : cases) {
        Keyboard keyboard;
        keyboard.chords = chosenChords();
        expectSteps(keyboard, c.steps, c.what);
    }
}

TEST(HotkeyRules, AChordWithModifiersWinsOverThePlainChordOfItsKey)
{
    Keyboard keyboard;
    keyboard.chords.record = HotkeyChord{kF11, kChordCtrl | kChordAlt};
    keyboard.chords.stop = HotkeyChord{kF11, 0};
    keyboard.down(kLCtrl);
    keyboard.down(kLAlt);
    EXPECT_EQ(name(keyboard.down(kF11).post), "Record");
    keyboard.up(kF11);
    keyboard.up(kLAlt);
    EXPECT_EQ(name(keyboard.down(kF11).post), "Stop") << "Ctrl alone is not the record chord's Ctrl+Alt";
}

TEST(HotkeyRules, AutoRepeatFiresNothing)
{
    Keyboard keyboard;
    EXPECT_EQ(name(keyboard.down(0x77).post), "Record");
    for (int i = 0; i < 5; ++i) {
        const HotkeyDecision repeat = keyboard.down(0x77, 0, i == 0 ? 500 : 33);
        EXPECT_EQ(name(repeat.post), "None") << i;
        EXPECT_TRUE(repeat.consumed) << i;
    }
    EXPECT_TRUE(keyboard.up(0x77).consumed);
    EXPECT_EQ(name(keyboard.down(0x77).post), "Record") << "a new press after the release fires again";
}

TEST(HotkeyRules, ADownLongAfterTheLastIsANewPressWhoseReleaseWasMissed)
{
    Keyboard keyboard;
    EXPECT_EQ(name(keyboard.down(0x78).post), "Stop");
    // No release reached the hook (the hooks were being installed anew).
    EXPECT_EQ(name(keyboard.down(0x78, 0, kRepeatWindowMs - 1).post), "None");
    EXPECT_EQ(name(keyboard.down(0x78, 0, kRepeatWindowMs).post), "Stop");
}

TEST(HotkeyRules, AModifierWhoseReleaseWasMissedDoesNotSpoilTheChord)
{
    Keyboard keyboard;
    keyboard.chords = chosenChords();
    keyboard.down(kLShift);
    keyboard.systemModifiers = 0;  // the system knows Shift is up; the hook missed its release
    keyboard.down(kLCtrl);
    EXPECT_EQ(name(keyboard.down(kF11).post), "Record");
}

TEST(HotkeyRules, PausedNothingFiresAndTheKeysStayOrdinary)
{
    Keyboard keyboard;
    keyboard.paused = true;
    const HotkeyDecision press = keyboard.down(0x77);
    EXPECT_EQ(name(press.post), "None");
    EXPECT_FALSE(press.consumed);
    keyboard.paused = false;
    keyboard.up(0x77);
    EXPECT_EQ(name(keyboard.down(0x77).post), "Record");
}

TEST(HotkeyRules, AChordReportsTheModifierKeysItUsed)
{
    Keyboard keyboard;
    keyboard.chords.stop = HotkeyChord{kF12, kChordCtrl | kChordShift};
    keyboard.down(kLShift);
    keyboard.down(kRCtrl);
    const HotkeyDecision chord = keyboard.down(kF12);
    EXPECT_EQ(name(chord.post), "Stop");
    EXPECT_EQ(chord.chordModifierKeys, 0x09u) << "left Shift (bit 0) and right Ctrl (bit 3)";
    // Their repeats and releases belong to the chord as well.
    EXPECT_TRUE(keyboard.down(kRCtrl, 0, 33).consumed);
    EXPECT_TRUE(keyboard.up(kLShift).consumed);
    EXPECT_TRUE(keyboard.up(kRCtrl).consumed);
    EXPECT_FALSE(keyboard.down(kRCtrl).consumed) << "the next press is an ordinary key again";

    // A chord without modifiers reports none.
    Keyboard plain;
    plain.down(kLAlt);
    EXPECT_EQ(plain.down(0x78).chordModifierKeys, 0u);
}

TEST(HotkeyRules, OnlyTheKeyOfAChordWithModifiersNeedsTheSystemsModifiers)
{
    const HotkeyChords chords = chosenChords();  // Ctrl+F11, none, F12
    const struct {
        uint32_t vk;
        bool needed;
    } rows[] = {{kF11, true}, {kF12, false}, {0x41, false}, {kLCtrl, false}, {0x77, false}};
    for (const auto& row : rows) {
        EXPECT_EQ(needsModifierState(chords, row.vk), row.needed) << row.vk;
    }
    EXPECT_FALSE(needsModifierState(HotkeyChords{}, 0x77)) << "the default chords have no modifiers";
}

TEST(HotkeyRules, ModifierBitsAndChordModifiers)
{
    const struct {
        uint32_t vk;
        uint32_t bit;
    } bits[] = {{0xA0, 0x01}, {0xA1, 0x02}, {0xA2, 0x04}, {0xA3, 0x08}, {0xA4, 0x10}, {0xA5, 0x20},
                {0x5B, 0x40}, {0x5C, 0x80}, {0x10, 0x01}, {0x11, 0x04}, {0x12, 0x10}, {0x41, 0x00}};
    for (const auto& b : bits) {
        EXPECT_EQ(modifierKeyBit(b.vk), b.bit) << b.vk;
    }
    EXPECT_EQ(chordModifiersOf(0x02), kChordShift);
    EXPECT_EQ(chordModifiersOf(0x0C), kChordCtrl);
    EXPECT_EQ(chordModifiersOf(0x10), kChordAlt);
    EXPECT_EQ(chordModifiersOf(0x80), kChordWin);
    EXPECT_EQ(chordModifiersOf(0xFF), kChordCtrl | kChordAlt | kChordShift | kChordWin);
}

}  // namespace
