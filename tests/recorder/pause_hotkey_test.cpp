// The pause key: in force only while a playback runs or is paused, swallowed from the program in
// front down to its release, its modifiers never swallowed.
#include "recorder/hotkey_rules.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "recorder/capture_rules.h"

namespace {

namespace M = HookMessage;

constexpr uint32_t kF10 = 0x79;
constexpr uint32_t kLCtrl = 0xA2;
constexpr uint32_t kInjected = 0x10;

struct Note {
    bool keyDown;
    uint32_t vk;
    uint32_t flags;
    bool replaying;  // a playback runs (or is paused) at this notification
    bool consumed;
    bool swallowed;
    Hotkey post;
};

}  // namespace

TEST(PauseHotkey, ActsAndIsSwallowedOnlyWhileAPlaybackRuns)
{
    const struct {
        const char* name;
        HotkeyChord pause;
        std::vector<Note> notes;
    } cases[] = {
        {"no playback: F10 is an ordinary key",
         {static_cast<uint8_t>(kF10), 0},
         {{true, kF10, 0, false, false, false, Hotkey::None}, {false, kF10, 0, false, false, false, Hotkey::None}}},
        {"during a playback: down, repeat and release swallowed, one post",
         {static_cast<uint8_t>(kF10), 0},
         {{true, kF10, 0, true, true, true, Hotkey::Pause},
          {true, kF10, 0, true, true, true, Hotkey::None},
          {false, kF10, 0, true, true, true, Hotkey::None}}},
        {"the playback ends while the key is down: its release is still swallowed",
         {static_cast<uint8_t>(kF10), 0},
         {{true, kF10, 0, true, true, true, Hotkey::Pause}, {false, kF10, 0, false, true, true, Hotkey::None}}},
        {"pressed before the playback: nothing to swallow at its release",
         {static_cast<uint8_t>(kF10), 0},
         {{true, kF10, 0, false, false, false, Hotkey::None}, {false, kF10, 0, true, true, false, Hotkey::None}}},
        {"injected F10 (the playback's own) is neither a hotkey nor swallowed",
         {static_cast<uint8_t>(kF10), 0},
         {{true, kF10, kInjected, true, true, false, Hotkey::None},
          {false, kF10, kInjected, true, true, false, Hotkey::None}}},
        {"Ctrl+F10: only the key is swallowed, Ctrl's press and release pass",
         {static_cast<uint8_t>(kF10), kChordCtrl},
         {{true, kLCtrl, 0, true, false, false, Hotkey::None},
          {true, kF10, 0, true, true, true, Hotkey::Pause},
          {false, kF10, 0, true, true, true, Hotkey::None},
          {false, kLCtrl, 0, true, true, false, Hotkey::None}}},
    };
    for (const auto& c : cases) {
        HotkeyTracker tracker;
        HotkeyChords settings;
        settings.pause = c.pause;
        uint32_t time = 1000;
        uint32_t modifiers = 0;
        for (size_t i = 0; i < c.notes.size(); ++i) {
            const Note& note = c.notes[i];
            time += 50;
            const HotkeyDecision decision = hotkeyStep(tracker, chordsInForce(settings, note.replaying), false,
                                                       note.keyDown ? M::kKeyDown : M::kKeyUp, note.vk,
                                                       note.flags | (note.keyDown ? 0 : 0x80), time, modifiers);
            if (note.vk == kLCtrl) {
                modifiers = note.keyDown ? modifierKeyBit(kLCtrl) : 0;
            }
            EXPECT_EQ(decision.consumed, note.consumed) << c.name << " note " << i;
            EXPECT_EQ(decision.swallowed, note.swallowed) << c.name << " note " << i;
            EXPECT_EQ(decision.post, note.post) << c.name << " note " << i;
        }
    }
}
