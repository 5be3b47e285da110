// Which chords may be entry keys, and the schtasks line of an entry's schedule.
#include "library/key_clash.h"

#include <gtest/gtest.h>

#include "library/library_file.h"
#include "library/schtasks_line.h"

namespace {

HotkeyChord chord(const char* text)
{
    HotkeyChord parsed;
    EXPECT_TRUE(parseChord(text, parsed)) << text;
    return parsed;
}

LibraryEntry entryWithKey(const char* name, const char* key)
{
    LibraryEntry entry;
    entry.name = name;
    entry.key = chord(key);
    return entry;
}

TEST(KeyClash, RefusalsNameTheReason)
{
    HotkeyChords program;
    program.stop = chord("Ctrl+F9");
    program.pause = chord("Pause");
    const std::vector<OwnKey> own = ownKeysOf(program);
    const std::vector<LibraryEntry> entries = {entryWithKey("晨报", "Ctrl+Alt+1"), entryWithKey("周报", "F10")};
    struct Case {
        const char* key;
        size_t self;
        const char* reason;  // a part of the reason; empty: accepted
    } cases[] = {
        {"F8", 2, "与录制键（F8）冲突"},
        {"Ctrl+F8", 2, "与录制键（F8）冲突"},  // F8 fires with any modifiers
        {"Shift+F7", 2, "与备用录制键（F7）冲突"},
        {"F9", 2, "与停止键（Ctrl+F9）冲突"},  // a key without modifiers would take Ctrl+F9
        {"Alt+F9", 2, ""},
        {"Ctrl+Pause", 2, "与暂停键（Pause）冲突"},
        {"Ctrl+Alt+1", 2, "与脚本库中「晨报」的按键（Ctrl+Alt+1）冲突"},
        {"Ctrl+Alt+1", 0, ""},  // its own key
        {"Shift+F10", 2, "「周报」"},
        {"Ctrl+Shift+1", 2, ""},
        {"A", 2, "是打字用的键"},
        {"Shift+Space", 2, "是打字用的键"},
    };
    for (const Case& c : cases) {
        const std::string reason = keyRefusal(chord(c.key), c.self, entries, own);
        if (*c.reason == '\0') {
            EXPECT_EQ(reason, "") << c.key;
        } else {
            EXPECT_NE(reason.find(c.reason), std::string::npos) << c.key << ": " << reason;
        }
    }
}

TEST(KeyClash, KeysOfTheFileThatClashAreLeftOutAndTheEntriesStay)
{
    const std::vector<LibraryEntry> entries = {entryWithKey("a", "F8"), entryWithKey("b", "Ctrl+F11"),
                                               entryWithKey("c", "F11"), entryWithKey("d", "Alt+F11")};
    std::vector<std::string> problems;
    const std::vector<EntryKey> keys = entryKeysOf(entries, ownKeysOf(HotkeyChords{}), problems);
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_TRUE(keys[0].chord.empty());
    EXPECT_EQ(chordText(keys[1].chord), "Ctrl+F11");
    EXPECT_TRUE(keys[2].chord.empty());  // F11 would take Ctrl+F11 of the earlier entry
    EXPECT_EQ(chordText(keys[3].chord), "Alt+F11");
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("「a」"), std::string::npos);
    EXPECT_NE(problems[1].find("「c」"), std::string::npos);
}

TEST(SchtasksLine, SchedulesMapOneToOne)
{
    struct Case {
        const char* schedule;
        const char* options;
    } cases[] = {
        {"{\"kind\": \"daily\", \"at\": \"08:00:00\"}", "/sc daily /st 08:00"},
        {"{\"kind\": \"daily\", \"at\": \"08:00:30\", \"days\": [1, 3, 7]}", "/sc weekly /d MON,WED,SUN /st 08:00:30"},
        {"{\"kind\": \"every\", \"minutes\": 15}", "/sc minute /mo 15 /st 00:00"},
        {"{\"kind\": \"every\", \"minutes\": 30, \"from\": \"22:00:00\", \"to\": \"02:30:00\"}",
         "/sc daily /st 22:00 /ri 30 /du 0004:30"},
        {"{\"kind\": \"once\", \"at\": \"2026-12-24T08:00:00\"}", "/sc once /sd 2026/12/24 /st 08:00"},
    };
    for (const Case& c : cases) {
        const std::string text = std::string("{\"entries\": [{\"name\": \"晨报\", \"file\": \"C:\\\\S p\\\\f.json\", "
                                             "\"loops\": 3, \"speed\": 2, \"schedule\": ") +
                                 c.schedule + "}]}";
        Library library;
        std::string error;
        std::vector<std::string> problems;
        ASSERT_TRUE(parseLibrary(text, library, error, problems)) << error;
        EXPECT_EQ(schtasksLine(library.entries[0], "C:\\Tools\\LorminRecorder.exe"),
                  std::string("schtasks /create /tn \"晨报\" ") + c.options +
                      " /tr \"\\\"C:\\Tools\\LorminRecorder.exe\\\" --play \\\"C:\\S p\\f.json\\\" --speed 2 "
                      "--loops 3\"");
    }
    EXPECT_EQ(schtasksLine(LibraryEntry{}, "x.exe"), "");
}

}  // namespace
