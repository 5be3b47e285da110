#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/user_settings.h"

namespace {

TEST(FollowSettings, FollowWindowsAndTheWaitAreReadWithTheirBounds)
{
    const struct {
        const char* content;
        bool follow;
        int seconds;
        const char* problem;  // "" for none
    } rows[] = {
        {"", false, 10, ""},
        {"FOLLOW_WINDOWS=1\r\nWINDOW_WAIT_SECONDS=600\r\n", true, 600, ""},
        {"follow_windows = \"1\"\r\nwindow_wait_seconds=1\r\n", true, 1, ""},
        {"WINDOW_WAIT_SECONDS=007\r\n", false, 7, ""},
        {"FOLLOW_WINDOWS=yes\r\n", false, 10, "设置 FOLLOW_WINDOWS=yes 无法使用，改用默认值 0"},
        {"WINDOW_WAIT_SECONDS=0\r\n", false, 10, "设置 WINDOW_WAIT_SECONDS=0 无法使用，改用默认值 10"},
        {"WINDOW_WAIT_SECONDS=601\r\n", false, 10, "设置 WINDOW_WAIT_SECONDS=601 无法使用，改用默认值 10"},
        {"WINDOW_WAIT_SECONDS=2.5\r\n", false, 10, "设置 WINDOW_WAIT_SECONDS=2.5 无法使用，改用默认值 10"},
        {"WINDOW_WAIT_SECONDS=-5\r\n", false, 10, "设置 WINDOW_WAIT_SECONDS=-5 无法使用，改用默认值 10"},
        {"WINDOW_WAIT_SECONDS=99999999999\r\n", false, 10,
         "设置 WINDOW_WAIT_SECONDS=99999999999 无法使用，改用默认值 10"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> problems;
        const UserSettings settings = readUserSettings(row.content, problems);
        EXPECT_EQ(settings.followWindows, row.follow) << row.content;
        EXPECT_EQ(settings.windowWaitSeconds, row.seconds) << row.content;
        EXPECT_EQ(problems, *row.problem != 0 ? std::vector<std::string>{row.problem} : std::vector<std::string>{})
            << row.content;
    }
}

TEST(FollowSettings, WrittenAfterTheOtherSettingsAndReadBack)
{
    UserSettings settings;
    settings.followWindows = true;
    settings.windowWaitSeconds = 45;
    const std::string text = writeUserSettings(settings);
    EXPECT_NE(text.find("STOP_ON_USER_INPUT=0\r\nFOLLOW_WINDOWS=1\r\nWINDOW_WAIT_SECONDS=45\r\n"), std::string::npos);
    std::vector<std::string> problems;
    const UserSettings read = readUserSettings(text, problems);
    EXPECT_TRUE(read.followWindows);
    EXPECT_EQ(read.windowWaitSeconds, 45);
    EXPECT_TRUE(problems.empty());
}

}  // namespace
