#include "app/command_line.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(CommandLineFollow, FollowOptionsWinOverTheSettingsForOnePlayback)
{
    const struct {
        std::vector<std::wstring> arguments;
        FollowWindows follow;
        int waitSeconds;
    } cases[] = {
        {{L"--play", L"x"}, FollowWindows::FromSettings, 0},
        {{L"--play", L"x", L"--follow-windows"}, FollowWindows::On, 0},
        {{L"--no-follow-windows", L"--play", L"x"}, FollowWindows::Off, 0},
        {{L"--play", L"x", L"--window-wait", L"600"}, FollowWindows::FromSettings, 600},
        {{L"--play", L"x", L"--follow-windows", L"--window-wait", L"001"}, FollowWindows::On, 1},
    };
    for (const auto& c : cases) {
        const StartRequest request = parseCommandLine(c.arguments);
        ASSERT_EQ(request.mode, StartMode::Play) << c.arguments.size();
        EXPECT_EQ(request.followWindows, c.follow) << c.arguments.size();
        EXPECT_EQ(request.windowWaitSeconds, c.waitSeconds) << c.arguments.size();
    }
}

TEST(CommandLineFollow, BadFollowOptionsAreRefused)
{
    const struct {
        std::vector<std::wstring> arguments;
        const wchar_t* error;
    } cases[] = {
        {{L"--play", L"x", L"--window-wait", L"0"}, L"等待秒数须在 1 到 600 之间：0"},
        {{L"--play", L"x", L"--window-wait", L"601"}, L"等待秒数须在 1 到 600 之间：601"},
        {{L"--play", L"x", L"--window-wait", L"123456"}, L"等待秒数须在 1 到 600 之间：123456"},
        {{L"--play", L"x", L"--window-wait", L"1.5"}, L"等待秒数不是整数：1.5"},
        {{L"--play", L"x", L"--window-wait", L"-3"}, L"等待秒数不是整数：-3"},
        {{L"--play", L"x", L"--window-wait"}, L"选项 --window-wait 缺少值"},
        {{L"--play", L"x", L"--window-wait", L"5", L"--window-wait", L"6"}, L"选项重复：--window-wait"},
        {{L"--play", L"x", L"--follow-windows", L"--no-follow-windows"},
         L"--follow-windows 与 --no-follow-windows 不能同时使用"},
        {{L"--follow-windows", L"x.json"},
         L"--follow-windows、--no-follow-windows 和 --window-wait 只能与 --play 一起使用"},
        {{L"--window-wait", L"5"}, L"--follow-windows、--no-follow-windows 和 --window-wait 只能与 --play 一起使用"},
    };
    for (const auto& c : cases) {
        const StartRequest request = parseCommandLine(c.arguments);
        EXPECT_EQ(request.mode, StartMode::Invalid) << c.arguments.size();
        EXPECT_EQ(request.error, c.error);
    }
}

TEST(CommandLineFollow, UsageNamesTheFollowOptionsAndExitCodeSix)
{
    const std::wstring usage = usageText();
    for (const wchar_t* part :
         {L"--follow-windows", L"--no-follow-windows", L"--window-wait", L"1 到 600", L"6 找不到窗口"}) {
        EXPECT_NE(usage.find(part), std::wstring::npos) << std::wstring(part).size();
    }
    EXPECT_EQ(static_cast<int>(ExitCode::WindowMissing), 6);
}

}  // namespace
