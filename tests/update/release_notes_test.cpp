#include "update/release_notes.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::wstring numberedLines(int count)
{
    std::wstring text;
    for (int i = 1; i <= count; ++i) {
        text += (i > 1 ? L"\n" : L"") + std::to_wstring(i);
    }
    return text;
}

TEST(notesForQuestion, ShortNotesStayWholeLongOnesAreCutWithAMark)
{
    const struct {
        const char* label;
        std::wstring notes;
        std::wstring shown;
    } cases[] = {
        {"empty", L"", L""},
        {"one line", L"修复若干问题", L"修复若干问题"},
        {"fifteen lines fit", numberedLines(15), numberedLines(15)},
        {"sixteen lines lose the last", numberedLines(16), numberedLines(15) + L"\n…"},
        {"3000 lines", numberedLines(3000), numberedLines(15) + L"\n…"},
        {"CR LF lines count once",
         L"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14\r\n15\r\n16",
         L"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14\r\n15\n…"},
        {"1000 characters fit", std::wstring(1000, L'字'), std::wstring(1000, L'字')},
        {"1001 characters are cut", std::wstring(1001, L'字'), std::wstring(1000, L'字') + L"\n…"},
        {"surrogate pair is not split", std::wstring(999, L'a') + L"\xD83D\xDE00" + L"b",
         std::wstring(999, L'a') + L"\n…"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(notesForQuestion(c.notes), c.shown) << c.label;
    }
}

TEST(notesForEditField, EveryLineBreakBecomesCrLf)
{
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"", L""},
        {L"a", L"a"},
        {L"a\nb", L"a\r\nb"},
        {L"a\r\nb", L"a\r\nb"},
        {L"a\rb", L"a\r\nb"},
        {L"\n\n", L"\r\n\r\n"},
        {L"a\r\n\nb\r", L"a\r\n\r\nb\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(notesForEditField(c.first), c.second);
    }
}

}  // namespace
