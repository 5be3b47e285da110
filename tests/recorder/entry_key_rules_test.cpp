// The library entries' keys in the hook: sequences of notifications and what each decides.
#include "recorder/entry_key_rules.h"

#include <gtest/gtest.h>

#include "recorder/capture_rules.h"
#include "recorder/hotkey_rules.h"

namespace {

namespace M = HookMessage;

constexpr uint32_t kInjected = 0x10;
constexpr uint32_t kCtrl = 0xA2;
constexpr uint32_t kAlt = 0xA4;
constexpr uint32_t kShift = 0xA0;
constexpr uint32_t kF10 = 0x79;
constexpr uint32_t kOne = '1';

enum class Kind { Down, Up, InjectedDown, InjectedUp, Repeat, LateDown };

struct Step {
    Kind kind;
    uint32_t vk;
    bool swallow;
    EntryKeyEvent event;
    int entry;
};

constexpr EntryKeyEvent kNone = EntryKeyEvent::None;
constexpr EntryKeyEvent kPressed = EntryKeyEvent::Pressed;
constexpr EntryKeyEvent kReleased = EntryKeyEvent::Released;

struct Sequence {
    const char* name;
    bool paused;
    std::vector<Step> steps;
};

HotkeyChord chord(const char* text)
{
    HotkeyChord parsed;
    EXPECT_TRUE(parseChord(text, parsed));
    return parsed;
}

TEST(EntryKeyRules, Sequences)
{
    // Entry 0: Ctrl+Alt+1 (toggle); entry 1: F10 held; entry 2: Ctrl+F10 toggle.
    const std::vector<EntryKey> keys = {{chord("Ctrl+Alt+1"), false}, {chord("F10"), true}, {chord("Ctrl+F10"), false}};
    const Sequence sequences[] = {
        {"toggle chord fires once, repeats and release swallowed, modifiers pass",
         false,
         {{Kind::Down, kCtrl, false, kNone, -1},
          {Kind::Down, kAlt, false, kNone, -1},
          {Kind::Down, kOne, true, kPressed, 0},
          {Kind::Repeat, kOne, true, kNone, -1},
          {Kind::Up, kOne, true, kNone, -1},
          {Kind::Up, kAlt, false, kNone, -1},
          {Kind::Up, kCtrl, false, kNone, -1}}},
        {"the chord's key with other modifiers is not the chord",
         false,
         {{Kind::Down, kCtrl, false, kNone, -1},
          {Kind::Down, kOne, false, kNone, -1},
          {Kind::Up, kOne, false, kNone, -1}}},
        {"the chord with modifiers wins over the one without",
         false,
         {{Kind::Down, kCtrl, false, kNone, -1},
          {Kind::Down, kF10, true, kPressed, 2},
          {Kind::Up, kF10, true, kNone, -1}}},
        {"held: auto-repeat does not restart, release stops",
         false,
         {{Kind::Down, kF10, true, kPressed, 1},
          {Kind::Repeat, kF10, true, kNone, -1},
          {Kind::Repeat, kF10, true, kNone, -1},
          {Kind::Up, kF10, true, kReleased, 1}}},
        {"held: the replay's own presses and releases of the key never count",
         false,
         {{Kind::Down, kF10, true, kPressed, 1},
          {Kind::InjectedUp, kF10, false, kNone, -1},
          {Kind::InjectedDown, kF10, false, kNone, -1},
          {Kind::Repeat, kF10, true, kNone, -1},
          {Kind::Up, kF10, true, kReleased, 1}}},
        {"held with Shift down: Shift's repeats are swallowed until its real release",
         false,
         {{Kind::Down, kShift, false, kNone, -1},
          {Kind::Down, kF10, true, kPressed, 1},
          {Kind::Repeat, kShift, true, kNone, -1},
          {Kind::InjectedDown, kShift, false, kNone, -1},
          {Kind::Up, kF10, true, kReleased, 1},
          {Kind::Repeat, kShift, false, kNone, -1},
          {Kind::Up, kShift, false, kNone, -1}}},
        {"injected chords fire nothing",
         false,
         {{Kind::InjectedDown, kF10, false, kNone, -1}, {Kind::InjectedUp, kF10, false, kNone, -1}}},
        {"a press long after a missed release is a new press",
         false,
         {{Kind::Down, kF10, true, kPressed, 1}, {Kind::LateDown, kF10, true, kPressed, 1}}},
        {"paused: nothing fires and nothing is swallowed",
         true,
         {{Kind::Down, kF10, false, kNone, -1}, {Kind::Up, kF10, false, kNone, -1}}},
    };
    for (const Sequence& sequence : sequences) {
        EntryKeyTracker tracker;
        uint32_t time = 10000;
        uint32_t modifiers = 0;
        for (size_t i = 0; i < sequence.steps.size(); ++i) {
            const Step& step = sequence.steps[i];
            const bool down = step.kind != Kind::Up && step.kind != Kind::InjectedUp;
            const bool injected = step.kind == Kind::InjectedDown || step.kind == Kind::InjectedUp;
            time += step.kind == Kind::LateDown ? 5000 : 40;
            const EntryKeyDecision decision =
                entryKeyStep(tracker, keys, sequence.paused, down ? M::kKeyDown : M::kKeyUp, step.vk,
                             (injected ? kInjected : 0) | (down ? 0 : 0x80), time, modifiers);
            if (!injected) {
                modifiers = down ? modifiers | modifierKeyBit(step.vk) : modifiers & ~modifierKeyBit(step.vk);
            }
            const std::string where = std::string(sequence.name) + ", step " + std::to_string(i + 1);
            EXPECT_EQ(decision.swallow, step.swallow) << where;
            EXPECT_EQ(decision.event, step.event) << where;
            EXPECT_EQ(decision.entry, step.entry) << where;
        }
    }
}

TEST(EntryKeyRules, HeldEntryReportsTheModifiersItLetsGo)
{
    const std::vector<EntryKey> keys = {{chord("Ctrl+F10"), true}};
    EntryKeyTracker tracker;
    const uint32_t ctrl = modifierKeyBit(kCtrl);
    EXPECT_FALSE(entryKeyStep(tracker, keys, false, M::kKeyDown, kCtrl, 0, 100, 0).swallow);
    const EntryKeyDecision pressed = entryKeyStep(tracker, keys, false, M::kKeyDown, kF10, 0, 140, ctrl);
    EXPECT_EQ(pressed.event, EntryKeyEvent::Pressed);
    EXPECT_EQ(pressed.modifierKeys, ctrl);
    // The user lets Ctrl go before the key: its release is swallowed (the replay let it go already),
    // and the entry goes on until its key is released.
    EXPECT_TRUE(entryKeyStep(tracker, keys, false, M::kKeyUp, kCtrl, 0x80, 180, ctrl).swallow);
    EXPECT_EQ(entryKeyStep(tracker, keys, false, M::kKeyUp, kF10, 0x80, 220, 0).event, EntryKeyEvent::Released);
    EXPECT_TRUE(isEntryKey(keys, kF10));
    EXPECT_FALSE(isEntryKey(keys, kCtrl));
}

}  // namespace
