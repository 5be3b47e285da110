// The text step dialog's box: line breaks between the step and the box, and the refusals.
#include "ui/text_step_fields.h"

#include <string>

#include <gtest/gtest.h>

TEST(TextStepBox, LineBreaksBetweenTheStepAndTheBox)
{
    const struct {
        std::string step;
        std::wstring box;
        std::string back;  // the step text the unchanged box gives
    } cases[] = {
        {"", L"", ""},
        {"你好，Lormin 7😀", L"你好，Lormin 7\xD83D\xDE00", "你好，Lormin 7😀"},  // units on every platform
        {"a\nb", L"a\r\nb", "a\nb"},
        {"a\r\nb\rc\n", L"a\r\nb\r\nc\r\n", "a\nb\nc\n"},
        {"\n\n", L"\r\n\r\n", "\n\n"},
        {"\r\r\n", L"\r\n\r\n", "\n\n"},
        {"tab\t\"q\"\\", L"tab\t\"q\"\\", "tab\t\"q\"\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(boxTextOfStep(c.step), c.box) << c.step;
        EXPECT_EQ(stepTextOfBox(c.box), c.back) << c.step;
    }
    // A lone half of a pair (pasted from somewhere) is no character.
    EXPECT_EQ(stepTextOfBox(std::wstring(1, static_cast<wchar_t>(0xD83D)) + L"A"), "\xEF\xBF\xBD"
                                                                                   "A");
}

TEST(TextStepBox, RefusedTexts)
{
    const std::wstring control = L" 个字符是控制字符，无法输入。文字中只能有换行和制表符这两种控制字符。";
    const struct {
        std::wstring box;
        std::wstring refusal;
    } cases[] = {
        {L"", L"请输入要输入的文字。"},
        {L"a", L""},
        {L"\r\n", L""},
        {L"a\tb\r\nc\nd\re", L""},
        {L"\x00A0\x00AD\xFFFD", L""},
        {std::wstring(1, L'\0'), L"第 1" + control},
        {L"ab\x001B", L"第 3" + control},
        {L"\r\n\r\nx\x007F", L"第 4" + control},                 // a line break is one character
        {L"\xD83D\xDE00\xD83D\xDE00\x0085", L"第 3" + control},  // so is a pair
        {L"x\x009F", L"第 2" + control},
        {std::wstring(10000, L'x'), L""},
        {std::wstring(10001, L'x'), L"文字最多 10000 个字符，现在有 10001 个。"},
        {std::wstring(5000, L'x') + L"\r\n" + std::wstring(4999, L'x'), L"文字最多 10000 个字符，现在有 10001 个。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(textStepRefusal(c.box), c.refusal) << c.box.size();
    }
}
