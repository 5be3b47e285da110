// The records of a text step: one SendInput call per character, Unicode records for
// characters, Enter and Tab for line breaks and tabs, no modifier held while it types.
#include "player/text_typing.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_input.h"

namespace {

// "u4f60" and "u4f60^" for a Unicode unit's down and up, "vk13" and "vk13^" for a key's; a
// record that is neither shows as "bad".
std::string recordText(const InputRecord& r)
{
    char text[32];
    const bool up = (r.keyFlags & kKeyFlagUp) != 0;
    if (r.type == kInputTypeKeyboard && (r.keyFlags & ~kKeyFlagUp) == kKeyFlagUnicode && r.virtualKey == 0) {
        std::snprintf(text, sizeof text, "u%x%s", r.scanCode, up ? "^" : "");
    } else if (r.type == kInputTypeKeyboard && (r.keyFlags & kKeyFlagUnicode) == 0 &&
               r.scanCode == r.virtualKey + 0x1000) {
        std::snprintf(text, sizeof text, "vk%u%s%s", r.virtualKey, (r.keyFlags & kKeyFlagExtended) != 0 ? "e" : "",
                      up ? "^" : "");
    } else {
        return "bad";
    }
    return text;
}

// The records of each SendInput call, one string per call.
std::vector<std::string> callsOf(const FakeInput& fake)
{
    std::vector<std::string> out;
    size_t next = 0;
    for (const uint32_t size : fake.batchSizes) {
        std::string call;
        for (uint32_t i = 0; i < size; ++i, ++next) {
            call += (i == 0 ? "" : " ") + recordText(fake.calls[next].record);
        }
        out.push_back(call);
    }
    return out;
}

using Calls = std::vector<std::string>;

void holdKeys(HeldInput& held, const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        MacroEvent down;
        down.kind = EventKind::KeyDown;
        down.keyOrText = name;
        trackHeld(held, down);
    }
}

}  // namespace

TEST(TextTyping, OneCallPerCharacter)
{
    const struct {
        std::string text;
        Calls calls;
    } cases[] = {
        {"", {}},
        {"A", {"u41 u41^"}},
        {"\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8C", {"u4f60 u4f60^", "u597d u597d^", "uff0c uff0c^"}},
        {"\xF0\x9F\x98\x80", {"ud83d ud83d^ ude00 ude00^"}},
        {"a\r\nb", {"u61 u61^", "vk13 vk13^", "u62 u62^"}},
        {"\n\r\r\n", {"vk13 vk13^", "vk13 vk13^", "vk13 vk13^"}},
        {"\r\n\r\n", {"vk13 vk13^", "vk13 vk13^"}},
        {"\n\n\r", {"vk13 vk13^", "vk13 vk13^", "vk13 vk13^"}},
        {"\t", {"vk9 vk9^"}},
        {"\"\\ ", {"u22 u22^", "u5c u5c^", "u20 u20^"}},
        {std::string("\0\x01\x1B\x7F\xC2\x85x", 7), {"u78 u78^"}},
        {"\xC2\xA0", {"ua0 ua0^"}},
        {"\xED\xA0\xBD", {"ufffd ufffd^"}},
    };
    for (const auto& c : cases) {
        FakeInput fake;
        HeldInput held;
        const std::atomic<bool> stop{false};
        const TypingResult result = typeText(fake.seam(), held, c.text, stop);
        EXPECT_FALSE(result.sent.refused);
        EXPECT_FALSE(result.stopped);
        EXPECT_EQ(callsOf(fake), c.calls) << c.text;
        EXPECT_TRUE(held.heldKeys.empty() && held.heldButtons.empty()) << "nothing stays pressed";
    }
}

TEST(TextTyping, ModifiersOfThePlaybackAreReleasedBeforeAndPressedAgainAfter)
{
    const struct {
        std::vector<std::string> held;
        Calls calls;
        std::string text = "x";
    } cases[] = {
        {{}, {"u78 u78^"}},
        {{"A", "F1"}, {"u78 u78^"}},
        {{"Ctrl"}, {"vk162^", "u78 u78^", "vk162"}},
        {{"Ctrl"}, {}, ""},  // nothing to type: the modifier stays as it is
        {{"Ctrl"}, {}, "\x01\x02"},
        {{"Shift", "A", "Ctrl_R", "Win"}, {"vk160^", "vk163e^", "vk91e^", "u78 u78^", "vk160", "vk163e", "vk91e"}},
        {{"VK:16", "VK:18", "Alt_R"}, {"vk16^", "vk18^", "vk165e^", "u78 u78^", "vk16", "vk18", "vk165e"}},
    };
    for (const auto& c : cases) {
        FakeInput fake;
        HeldInput held;
        holdKeys(held, c.held);
        const std::atomic<bool> stop{false};
        EXPECT_FALSE(typeText(fake.seam(), held, c.text, stop).sent.refused);
        EXPECT_EQ(callsOf(fake), c.calls);
        std::vector<std::string> before = c.held;
        std::vector<std::string> after = held.heldKeys;
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, before) << "the same keys are held as before the step";
    }
}

TEST(TextTyping, AStopEndsTheStepBetweenCharactersAndPressesNothingAgain)
{
    const Calls characters = {"u61 u61^", "u62 u62^", "ud83d ud83d^ ude00 ude00^"};
    // The stop is asked for while call n goes out: call 0 releases Shift, call n > 0 types
    // character n.
    for (size_t n = 0; n <= characters.size(); ++n) {
        FakeInput fake;
        HeldInput held;
        holdKeys(held, {"Shift"});
        std::atomic<bool> stop{false};
        fake.refuses = [&](const InputRecord&) {
            if (fake.batchSizes.size() == n) {
                stop = true;
            }
            return false;
        };
        const TypingResult result = typeText(fake.seam(), held, "ab\xF0\x9F\x98\x80", stop);
        const bool whole = n == characters.size();
        EXPECT_EQ(result.stopped, !whole) << n;
        Calls expected = {"vk160^"};
        expected.insert(expected.end(), characters.begin(), characters.begin() + static_cast<long>(n));
        if (whole) {
            expected.push_back("vk160");
        }
        EXPECT_EQ(callsOf(fake), expected) << n;
        EXPECT_EQ(held.heldKeys.size(), whole ? 1u : 0u) << "a released modifier is no longer held";
    }
}

TEST(TextTyping, ARefusalEndsTheStepAndTheHeldListsTellWhatIsDown)
{
    const struct {
        const char* refusedRecord;
        Calls calls;
        size_t stillHeld;
    } cases[] = {
        {"vk162^", {"vk162^"}, 2},                                 // the first release: nothing more is sent
        {"u62", {"vk162^", "vk160^", "u61 u61^", "u62 u62^"}, 0},  // a character: modifiers stay up
        {"vk160", {"vk162^", "vk160^", "u61 u61^", "u62 u62^", "vk162", "vk160"}, 1},
    };
    for (const auto& c : cases) {
        FakeInput fake;
        HeldInput held;
        holdKeys(held, {"Ctrl", "Shift"});
        fake.refuses = [&](const InputRecord& record) { return recordText(record) == c.refusedRecord; };
        const std::atomic<bool> stop{false};
        const TypingResult result = typeText(fake.seam(), held, "ab", stop);
        EXPECT_TRUE(result.sent.refused) << c.refusedRecord;
        EXPECT_EQ(result.sent.error, 5u);
        EXPECT_FALSE(result.stopped);
        EXPECT_EQ(callsOf(fake), c.calls) << c.refusedRecord;
        EXPECT_EQ(held.heldKeys.size(), c.stillHeld) << c.refusedRecord;
    }
}
