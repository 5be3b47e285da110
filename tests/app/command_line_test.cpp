#include "app/command_line.h"

#include <cwchar>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, AcceptedCommandLines)
{
    const struct {
        std::vector<std::wstring> arguments;
        StartMode mode;
        std::vector<std::wstring> files;
        double speed;
        int loops;
        bool endless;
        bool fidelity;
    } cases[] = {
        {{}, StartMode::Window, {}, 1.0, 1, false, true},
        {{L"a.json"}, StartMode::Open, {L"a.json"}, 1.0, 1, false, true},
        {{L"C:\\My Scripts\\宏 脚本 1.json", L"D:\\b.json"},
         StartMode::Open,
         {L"C:\\My Scripts\\宏 脚本 1.json", L"D:\\b.json"},
         1.0,
         1,
         false,
         true},
        {{L"--play", L"x.json"}, StartMode::Play, {L"x.json"}, 1.0, 1, false, true},
        {{L"--play", L"C:\\带 空格\\\"引号\".json"},
         StartMode::Play,
         {L"C:\\带 空格\\\"引号\".json"},
         1.0,
         1,
         false,
         true},
        {{L"--play", L"x", L"--speed", L"2.5", L"--loops", L"3", L"--no-fidelity"},
         StartMode::Play,
         {L"x"},
         2.5,
         3,
         false,
         false},
        {{L"--speed", L"0.1", L"--loops", L"999", L"--play", L"x"}, StartMode::Play, {L"x"}, 0.1, 999, false, true},
        {{L"--play", L"x", L"--speed", L"10"}, StartMode::Play, {L"x"}, 10.0, 1, false, true},
        {{L"--play", L"x", L"--speed", L"1e1"}, StartMode::Play, {L"x"}, 10.0, 1, false, true},
        {{L"--play", L"x", L"--loops", L"007"}, StartMode::Play, {L"x"}, 1.0, 7, false, true},
        {{L"--play", L"x", L"--endless"}, StartMode::Play, {L"x"}, 1.0, 1, true, true},
        {{L"--help"}, StartMode::Help, {}, 1.0, 1, false, true},
        {{L"-h"}, StartMode::Help, {}, 1.0, 1, false, true},
        {{L"/?"}, StartMode::Help, {}, 1.0, 1, false, true},
        {{L"--play", L"x", L"--bogus", L"/?"}, StartMode::Invalid, {}, 1.0, 1, false, true},
        {{L"--play", L"x", L"/?"}, StartMode::Help, {}, 1.0, 1, false, true},
    };
    for (const auto& c : cases) {
        const StartRequest request = parseCommandLine(c.arguments);
        const std::string label = c.arguments.empty() ? "(none)" : std::to_string(c.arguments.size()) + " arguments";
        EXPECT_EQ(request.mode, c.mode) << label;
        if (request.mode == StartMode::Invalid) {
            continue;
        }
        EXPECT_EQ(request.files, c.files) << label;
        EXPECT_DOUBLE_EQ(request.speed, c.speed) << label;
        EXPECT_EQ(request.loops, c.loops) << label;
        EXPECT_EQ(request.endless, c.endless) << label;
        EXPECT_EQ(request.clickFidelity, c.fidelity) << label;
        EXPECT_TRUE(request.error.empty());
    }
}

TEST(CommandLine, RefusedCommandLinesSayWhatIsWrong)
{
    const struct {
        std::vector<std::wstring> arguments;
        const wchar_t* error;
    } cases[] = {
        {{L"--bogus"}, L"未知选项：--bogus"},
        {{L"-x"}, L"未知选项：-x"},
        {{L"--play"}, L"选项 --play 缺少值"},
        {{L"--play", L"--speed", L"2"}, L"选项 --play 缺少值"},
        {{L"--play", L"x", L"--speed"}, L"选项 --speed 缺少值"},
        {{L"--play", L"x", L"--loops", L"--endless"}, L"选项 --loops 缺少值"},
        {{L"--play", L"x", L"--play", L"y"}, L"选项重复：--play"},
        {{L"--play", L"x", L"--speed", L"2", L"--speed", L"3"}, L"选项重复：--speed"},
        {{L"--play", L"x", L"--endless", L"--endless"}, L"选项重复：--endless"},
        {{L"--play", L"x", L"--loops", L"0"}, L"次数须在 1 到 999 之间：0"},
        {{L"--play", L"x", L"--loops", L"1000"}, L"次数须在 1 到 999 之间：1000"},
        {{L"--play", L"x", L"--loops", L"99999999999999999999"}, L"次数须在 1 到 999 之间：99999999999999999999"},
        {{L"--play", L"x", L"--loops", L"-1"}, L"次数不是整数：-1"},
        {{L"--play", L"x", L"--loops", L"2.5"}, L"次数不是整数：2.5"},
        {{L"--play", L"x", L"--loops", L"abc"}, L"次数不是整数：abc"},
        {{L"--play", L"x", L"--speed", L"11"}, L"倍速须在 0.1 到 10 之间：11"},
        {{L"--play", L"x", L"--speed", L"0.05"}, L"倍速须在 0.1 到 10 之间：0.05"},
        {{L"--play", L"x", L"--speed", L"-2"}, L"倍速须在 0.1 到 10 之间：-2"},
        {{L"--play", L"x", L"--speed", L"abc"}, L"倍速不是数字：abc"},
        {{L"--play", L"x", L"--speed", L"1.5x"}, L"倍速不是数字：1.5x"},
        {{L"--play", L"x", L"--speed", L"0x2"}, L"倍速不是数字：0x2"},
        {{L"--play", L"x", L"--speed", L"inf"}, L"倍速不是数字：inf"},
        {{L"--play", L"x", L"--endless", L"--loops", L"2"}, L"--loops 与 --endless 不能同时使用"},
        {{L"--speed", L"2", L"x.json"}, L"--speed、--loops、--endless 和 --no-fidelity 只能与 --play 一起使用"},
        {{L"--no-fidelity"}, L"--speed、--loops、--endless 和 --no-fidelity 只能与 --play 一起使用"},
        {{L"--play", L"x", L"y"}, L"多余的参数：y"},
    };
    for (const auto& c : cases) {
        const StartRequest request = parseCommandLine(c.arguments);
        EXPECT_EQ(request.mode, StartMode::Invalid) << std::string(c.error, c.error + 0) << c.arguments.size();
        EXPECT_EQ(request.error, c.error);
    }
}

// --speed and --loops values are read by the program's own number grammar: anything after a valid
// start, other notations and other scripts' digits are refused, whatever the C runtime would read.
TEST(CommandLine, NumberValuesFollowTheProgramsOwnGrammar)
{
    const struct {
        const wchar_t* option;
        const wchar_t* value;
        const wchar_t* error;  // empty: accepted
        double speed;
        int loops;
    } cases[] = {
        {L"--speed", L"2", L"", 2.0, 1},
        {L"--speed", L"2.", L"", 2.0, 1},
        {L"--speed", L".5", L"", 0.5, 1},
        {L"--speed", L"+2", L"", 2.0, 1},
        {L"--speed", L"1E1", L"", 10.0, 1},
        {L"--speed", L"250e-2", L"", 2.5, 1},
        {L"--speed", L"2e", L"倍速不是数字：2e", 0, 0},
        {L"--speed", L"1-2", L"倍速不是数字：1-2", 0, 0},
        {L"--speed", L"1.5.5", L"倍速不是数字：1.5.5", 0, 0},
        {L"--speed", L"+", L"倍速不是数字：+", 0, 0},
        {L"--speed", L".", L"倍速不是数字：.", 0, 0},
        {L"--speed", L"0x10", L"倍速不是数字：0x10", 0, 0},
        {L"--speed", L"", L"倍速不是数字：", 0, 0},
        {L"--speed", L"\uff12", L"倍速不是数字：\uff12", 0, 0},           // full-width 2
        {L"--speed", L"1.\u0665", L"倍速不是数字：1.\u0665", 0, 0},       // Arabic-Indic 5
        {L"--speed", L"\u0968", L"倍速不是数字：\u0968", 0, 0},           // Devanagari 2
        {L"--speed", L"1e400", L"倍速须在 0.1 到 10 之间：1e400", 0, 0},  // a number, beyond any double
        {L"--loops", L"3", L"", 1.0, 3},
        {L"--loops", L"2e", L"次数不是整数：2e", 0, 0},
        {L"--loops", L"1-2", L"次数不是整数：1-2", 0, 0},
        {L"--loops", L"1.5.5", L"次数不是整数：1.5.5", 0, 0},
        {L"--loops", L"+", L"次数不是整数：+", 0, 0},
        {L"--loops", L".", L"次数不是整数：.", 0, 0},
        {L"--loops", L"1e400", L"次数不是整数：1e400", 0, 0},
        {L"--loops", L"0x10", L"次数不是整数：0x10", 0, 0},
        {L"--loops", L"", L"次数不是整数：", 0, 0},
        {L"--loops", L"\uff13", L"次数不是整数：\uff13", 0, 0},    // full-width 3
        {L"--loops", L"1\u0663", L"次数不是整数：1\u0663", 0, 0},  // Arabic-Indic 3
    };
    for (const auto& c : cases) {
        const StartRequest request = parseCommandLine({L"--play", L"x", c.option, c.value});
        const std::string label = std::string(c.option, c.option + 7) + " value " +
                                  std::to_string(std::wcslen(c.value)) + " long, first unit " +
                                  std::to_string(c.value[0]);
        if (c.error[0] == L'\0') {
            EXPECT_EQ(request.mode, StartMode::Play) << label;
            EXPECT_DOUBLE_EQ(request.speed, c.speed) << label;
            EXPECT_EQ(request.loops, c.loops) << label;
        } else {
            EXPECT_EQ(request.mode, StartMode::Invalid) << label;
            EXPECT_EQ(request.error, c.error) << label;
        }
    }
}

TEST(CommandLine, UsageNamesEveryOptionAndExitCode)
{
    const std::wstring usage = usageText();
    for (const wchar_t* part : {L"--play", L"--speed", L"--loops", L"--endless", L"--no-fidelity", L"--help",
                                L"0.1 到 10", L"1 到 999", L"5 输入被系统拒绝"}) {
        EXPECT_NE(usage.find(part), std::wstring::npos) << std::wstring(part).size();
    }
}

}  // namespace
