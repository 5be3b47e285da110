#include "settings/user_settings.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

const char* fieldName(HotkeyField field)
{
    switch (field) {
    case HotkeyField::RecordAlt: return "alt";
    case HotkeyField::Stop: return "stop";
    default: return "record";
    }
}

const char* faultName(HotkeyFault fault)
{
    switch (fault) {
    case HotkeyFault::Missing: return "missing";
    case HotkeyFault::PlainKey: return "plain";
    case HotkeyFault::SameAs: return "same";
    default: return "none";
    }
}

TEST(CheckHotkeys, FirstFaultFieldByField)
{
    const HotkeyChord f8{0x77, 0};
    const HotkeyChord f7{0x76, 0};
    const HotkeyChord f9{0x78, 0};
    const HotkeyChord ctrlF8{0x77, kChordCtrl};
    const HotkeyChord letter{'Q', kChordShift};
    const struct {
        HotkeyChord record;
        HotkeyChord alt;
        HotkeyChord stop;
        const char* fault;
        const char* field;
        const char* other;
    } rows[] = {
        {f8, f7, f9, "none", "record", "record"},
        {f8, HotkeyChord{}, f9, "none", "record", "record"},
        {ctrlF8, f8, f9, "none", "record", "record"},  // same key, other modifiers
        {HotkeyChord{}, f7, f9, "missing", "record", "record"},
        {f8, f7, HotkeyChord{}, "missing", "stop", "record"},
        {letter, f7, f9, "plain", "record", "record"},
        {f8, letter, f9, "plain", "alt", "record"},
        {f8, f8, f9, "same", "alt", "record"},
        {f8, f7, f8, "same", "stop", "record"},
        {f8, f7, f7, "same", "stop", "alt"},
        {f8, HotkeyChord{}, f8, "same", "stop", "record"},
    };
    for (const auto& row : rows) {
        UserSettings settings;
        settings.record = row.record;
        settings.recordAlt = row.alt;
        settings.stop = row.stop;
        const HotkeyCheck check = checkHotkeys(settings);
        const std::string what = chordText(row.record) + " / " + chordText(row.alt) + " / " + chordText(row.stop);
        EXPECT_STREQ(faultName(check.fault), row.fault) << what;
        if (check.fault != HotkeyFault::None) {
            EXPECT_STREQ(fieldName(check.field), row.field) << what;
        }
        if (check.fault == HotkeyFault::SameAs) {
            EXPECT_STREQ(fieldName(check.other), row.other) << what;
        }
    }
}

std::string settingsText(const UserSettings& s)
{
    return chordText(s.record) + "|" + chordText(s.recordAlt) + "|" + chordText(s.stop) + "|" +
           (s.stopOnUserInput ? "1" : "0");
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

TEST(ReadUserSettings, FileRulesAndDefaults)
{
    const struct {
        const char* what;
        std::string content;
        const char* settings;
    } rows[] = {
        {"empty file: defaults", "", "F8|F7|F9|0"},
        {"all four", "HOTKEY_RECORD=Ctrl+F11\r\nHOTKEY_RECORD_ALT=\r\nHOTKEY_STOP=F12\r\nSTOP_ON_USER_INPUT=1\r\n",
         "Ctrl+F11||F12|1"},
        {"byte-order mark, LF endings, no final line end", "\xEF\xBB\xBFHOTKEY_STOP=Pause\nSTOP_ON_USER_INPUT=1",
         "F8|F7|Pause|1"},
        {"keys in any case, blanks and quotes",
         "  hotkey_record =  \"ctrl + shift + f11\"  \r\nHotKey_Stop\t=\tf12\r\n", "Ctrl+Shift+F11|F7|F12|0"},
        {"the first line of a key counts", "HOTKEY_STOP=F12\r\nHOTKEY_STOP=F11\r\n", "F8|F7|F12|0"},
        {"comments are skipped", "# HOTKEY_STOP=F12\r\n ; HOTKEY_RECORD=F11\r\nHOTKEY_STOP=F10\r\n", "F8|F7|F10|0"},
        {"HOTKEY_RECORD is not HOTKEY_RECORD_ALT", "HOTKEY_RECORD_ALT=F6\r\n", "F8|F6|F9|0"},
        {"longer or shorter keys are other keys", "HOTKEY_RECORDS=F11\r\nHOTKEY_STO=F11\r\nHOTKEY_STOP2=F11\r\n",
         "F8|F7|F9|0"},
        {"unknown keys are ignored", "LANGUAGE=en\r\nHOTKEY_STOP=F12\r\n", "F8|F7|F12|0"},
        {"an empty alternate means none", "HOTKEY_RECORD_ALT=\"\"\r\n", "F8||F9|0"},
        {"a line without equals sign is no setting", "HOTKEY_STOP F12\r\n", "F8|F7|F9|0"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> problems;
        const UserSettings settings = readUserSettings(row.content, problems);
        EXPECT_EQ(settingsText(settings), row.settings) << row.what;
        EXPECT_TRUE(problems.empty()) << row.what << ": " << joined(problems);
    }
}

TEST(ReadUserSettings, ABadValueGetsItsDefaultAndOneLine)
{
    const struct {
        const char* what;
        std::string content;
        const char* settings;
        std::vector<std::string> problems;
    } rows[] = {
        {"unknown key name", "HOTKEY_STOP=F13\r\n", "F8|F7|F9|0", {"设置 HOTKEY_STOP=F13 无法使用，改用默认值 F9"}},
        {"an empty record key", "HOTKEY_RECORD=\r\n", "F8|F7|F9|0", {"设置 HOTKEY_RECORD= 无法使用，改用默认值 F8"}},
        {"a plain letter",
         "HOTKEY_RECORD_ALT=Shift+A\r\n",
         "F8|F7|F9|0",
         {"设置 HOTKEY_RECORD_ALT=Shift+A 无法使用，改用默认值 F7"}},
        {"a modifier twice",
         "HOTKEY_RECORD=Ctrl+Ctrl+F11\r\n",
         "F8|F7|F9|0",
         {"设置 HOTKEY_RECORD=Ctrl+Ctrl+F11 无法使用，改用默认值 F8"}},
        {"a flag that is not 0 or 1",
         "STOP_ON_USER_INPUT=yes\r\n",
         "F8|F7|F9|0",
         {"设置 STOP_ON_USER_INPUT=yes 无法使用，改用默认值 0"}},
        {"two bad values, two lines",
         "HOTKEY_STOP=Esc\r\nSTOP_ON_USER_INPUT=2\r\n",
         "F8|F7|F9|0",
         {"设置 HOTKEY_STOP=Esc 无法使用，改用默认值 F9", "设置 STOP_ON_USER_INPUT=2 无法使用，改用默认值 0"}},
        {"the stop key equal to the record key",
         "HOTKEY_RECORD=F11\r\nHOTKEY_STOP=f11\r\n",
         "F11|F7|F9|0",
         {"设置 HOTKEY_STOP=F11 与 HOTKEY_RECORD 相同，改用默认值 F9"}},
        {"the alternate equal to the record key",
         "HOTKEY_RECORD_ALT=F8\r\n",
         "F8|F7|F9|0",
         {"设置 HOTKEY_RECORD_ALT=F8 与 HOTKEY_RECORD 相同，改用默认值 F7"}},
        {"a default that meets a chosen chord: all three defaults",
         "HOTKEY_RECORD=F9\r\nHOTKEY_STOP=Tab\r\n",
         "F8|F7|F9|0",
         {"设置 HOTKEY_STOP=Tab 无法使用，改用默认值 F9", "热键设置相互冲突，各热键都改用默认值 F8、F7、F9、F10"}},
        {"a chosen chord equal to another's default: all three defaults",
         "HOTKEY_RECORD=F7\r\n",
         "F8|F7|F9|0",
         {"热键设置相互冲突，各热键都改用默认值 F8、F7、F9、F10"}},
        {"a long value is cut in the line",
         "HOTKEY_STOP=" + std::string(80, 'x') + "\r\n",
         "F8|F7|F9|0",
         {"设置 HOTKEY_STOP=" + std::string(64, 'x') + "... 无法使用，改用默认值 F9"}},
    };
    for (const auto& row : rows) {
        std::vector<std::string> problems;
        const UserSettings settings = readUserSettings(row.content, problems);
        EXPECT_EQ(settingsText(settings), row.settings) << row.what;
        EXPECT_EQ(joined(problems), joined(row.problems)) << row.what;
    }
}

TEST(WriteUserSettings, TheFourLinesReadBack)
{
    UserSettings settings;
    EXPECT_EQ(writeUserSettings(settings), "HOTKEY_RECORD=F8\r\nHOTKEY_RECORD_ALT=F7\r\nHOTKEY_STOP=F9\r\nSTOP_ON_USER_"
                                           "INPUT=0\r\nFOLLOW_WINDOWS=0\r\nWINDOW_WAIT_SECONDS=10\r\nHOTKEY_PAUSE="
                                           "F10\r\nTRAY_ICON=1\r\nMINIMIZE_TO_TRAY=0\r\nPASS_GAP_SECONDS=0\r\n");
    settings.record = HotkeyChord{0x7A, kChordCtrl};
    settings.recordAlt = HotkeyChord{};
    settings.stop = HotkeyChord{0x13, kChordShift | kChordAlt};
    settings.stopOnUserInput = true;
    const std::string text = writeUserSettings(settings);
    EXPECT_EQ(text, "HOTKEY_RECORD=Ctrl+F11\r\nHOTKEY_RECORD_ALT=\r\nHOTKEY_STOP=Alt+Shift+Pause\r\nSTOP_ON_USER_INPUT="
                    "1\r\nFOLLOW_WINDOWS=0\r\nWINDOW_WAIT_SECONDS=10\r\nHOTKEY_PAUSE=F10\r\nTRAY_ICON=1\r\nMINIMIZE_TO_"
                    "TRAY=0\r\nPASS_GAP_SECONDS=0\r\n");
    std::vector<std::string> problems;
    EXPECT_EQ(settingsText(readUserSettings(text, problems)), "Ctrl+F11||Alt+Shift+Pause|1");
    EXPECT_TRUE(problems.empty());
}

TEST(DefaultHotkeys, AreF8F7AndF9)
{
    const UserSettings settings;
    EXPECT_EQ(settings.record.key, 0x77);
    EXPECT_EQ(settings.recordAlt.key, 0x76);
    EXPECT_EQ(settings.stop.key, 0x78);
    EXPECT_EQ(settings.record.modifiers | settings.recordAlt.modifiers | settings.stop.modifiers, 0);
    EXPECT_FALSE(settings.stopOnUserInput);
}

TEST(HotkeyChordsOf, TheRecordersChordsAreTheSettingsChords)
{
    const HotkeyChord ctrlF11{0x7A, kChordCtrl};
    const HotkeyChord pause{0x13, 0};
    const struct {
        HotkeyChord record;
        HotkeyChord alt;
        HotkeyChord stop;
    } rows[] = {{ctrlF11, HotkeyChord{}, pause}, {pause, ctrlF11, HotkeyChord{0x77, 0}}};
    for (const auto& row : rows) {
        UserSettings settings;
        settings.record = row.record;
        settings.recordAlt = row.alt;
        settings.stop = row.stop;
        const HotkeyChords chords = hotkeyChordsOf(settings);
        EXPECT_EQ(chords.record, row.record);
        EXPECT_EQ(chords.recordAlt, row.alt);
        EXPECT_EQ(chords.stop, row.stop);
    }
}

}  // namespace
