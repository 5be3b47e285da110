#include "app/command_line.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

TEST(CommandLinePassGap, TheGapOfOnePlaybackWithItsBounds)
{
    const struct {
        std::vector<std::wstring> arguments;
        int gap;               // when accepted
        const wchar_t* error;  // when refused, else null
    } cases[] = {
        {{L"--play", L"x"}, -1, nullptr},
        {{L"--play", L"x", L"--pass-gap", L"0"}, 0, nullptr},
        {{L"--pass-gap", L"3600", L"--play", L"x", L"--loops", L"2"}, 3600, nullptr},
        {{L"--play", L"x", L"--pass-gap", L"3601"}, 0, L"间隔秒数须在 0 到 3600 之间：3601"},
        {{L"--play", L"x", L"--pass-gap", L"-1"}, 0, L"间隔秒数不是整数：-1"},
        {{L"--play", L"x", L"--pass-gap", L"2.5"}, 0, L"间隔秒数不是整数：2.5"},
        {{L"--play", L"x", L"--pass-gap"}, 0, L"选项 --pass-gap 缺少值"},
        {{L"--pass-gap", L"5", L"a.json"}, 0, L"--pass-gap 只能与 --play 一起使用"},
    };
    for (const auto& c : cases) {
        const StartRequest request = parseCommandLine(c.arguments);
        if (c.error == nullptr) {
            ASSERT_EQ(request.mode, StartMode::Play) << request.error;
            EXPECT_EQ(request.passGapSeconds, c.gap);
        } else {
            EXPECT_EQ(request.mode, StartMode::Invalid) << c.error;
            EXPECT_EQ(request.error, c.error);
        }
    }
    EXPECT_NE(usageText().find(L"--pass-gap 秒数"), std::wstring::npos);
}
