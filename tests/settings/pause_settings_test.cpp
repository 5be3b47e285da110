// The settings of steering a playback: the pause key, the wait between passes and the
// notification-area icon, read with their bounds and written after the earlier settings.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/user_settings.h"

TEST(PauseSettings, ReadWithTheirBoundsAndDefaults)
{
    const struct {
        const char* content;
        const char* pause;
        int gap;
        bool tray;
        bool minimize;
        const char* problem;  // "" for none
    } rows[] = {
        {"", "F10", 0, true, false, ""},
        {"HOTKEY_PAUSE=Ctrl+F12\r\nPASS_GAP_SECONDS=3600\r\nTRAY_ICON=0\r\nMINIMIZE_TO_TRAY=1\r\n", "Ctrl+F12", 3600,
         false, true, ""},
        {"PASS_GAP_SECONDS=3601\r\n", "F10", 0, true, false, "设置 PASS_GAP_SECONDS=3601 无法使用，改用默认值 0"},
        {"PASS_GAP_SECONDS=1.5\r\n", "F10", 0, true, false, "设置 PASS_GAP_SECONDS=1.5 无法使用，改用默认值 0"},
        {"TRAY_ICON=off\r\n", "F10", 0, true, false, "设置 TRAY_ICON=off 无法使用，改用默认值 1"},
        {"HOTKEY_PAUSE=P\r\n", "F10", 0, true, false, "设置 HOTKEY_PAUSE=P 无法使用，改用默认值 F10"},
        {"HOTKEY_PAUSE=F9\r\n", "F10", 0, true, false, "设置 HOTKEY_PAUSE=F9 与 HOTKEY_STOP 相同，改用默认值 F10"},
        // A key chosen before there was a pause key keeps its place; the pause key gives way.
        {"HOTKEY_STOP=F10\r\n", "", 0, true, false, ""},
        {"HOTKEY_RECORD_ALT=F10\r\nHOTKEY_PAUSE=F10\r\n", "", 0, true, false,
         "设置 HOTKEY_PAUSE=F10 与其他热键相同，不设暂停键"},
        {"HOTKEY_PAUSE=\r\n", "", 0, true, false, ""},
    };
    for (const auto& row : rows) {
        std::vector<std::string> problems;
        const UserSettings settings = readUserSettings(row.content, problems);
        EXPECT_EQ(chordText(settings.pause), row.pause) << row.content;
        EXPECT_EQ(settings.passGapSeconds, row.gap) << row.content;
        EXPECT_EQ(settings.trayIcon, row.tray) << row.content;
        EXPECT_EQ(settings.minimizeToTray, row.minimize) << row.content;
        EXPECT_EQ(problems, *row.problem != 0 ? std::vector<std::string>{row.problem} : std::vector<std::string>{})
            << row.content;
    }
}

TEST(PauseSettings, ThePauseKeyFollowsTheRulesOfTheOtherKeys)
{
    UserSettings settings;
    EXPECT_EQ(checkHotkeys(settings).fault, HotkeyFault::None);
    settings.pause = settings.recordAlt;
    EXPECT_EQ(checkHotkeys(settings).fault, HotkeyFault::SameAs);
    EXPECT_EQ(checkHotkeys(settings).field, HotkeyField::Pause);
    EXPECT_EQ(checkHotkeys(settings).other, HotkeyField::RecordAlt);
    settings.pause = HotkeyChord{0x20, 0};  // Space
    EXPECT_EQ(checkHotkeys(settings).fault, HotkeyFault::PlainKey);
    settings.pause = HotkeyChord{};
    EXPECT_EQ(checkHotkeys(settings).fault, HotkeyFault::None) << "no pause key: the menus pause";
    EXPECT_EQ(hotkeyChordsOf(UserSettings{}).pause, kDefaultPauseChord);
}

TEST(PauseSettings, WrittenAfterTheEarlierLinesAndReadBack)
{
    UserSettings settings;
    settings.pause = HotkeyChord{0x13, kChordShift};
    settings.passGapSeconds = 15;
    settings.trayIcon = false;
    const std::string text = writeUserSettings(settings);
    EXPECT_NE(text.find("WINDOW_WAIT_SECONDS=10\r\nHOTKEY_PAUSE=Shift+Pause\r\nTRAY_ICON=0\r\nMINIMIZE_TO_TRAY=0\r\n"
                        "PASS_GAP_SECONDS=15\r\n"),
              std::string::npos)
        << text;
    std::vector<std::string> problems;
    const UserSettings read = readUserSettings(text, problems);
    EXPECT_EQ(read.pause, settings.pause);
    EXPECT_EQ(read.passGapSeconds, 15);
    EXPECT_FALSE(read.trayIcon);
    EXPECT_TRUE(problems.empty());
}
