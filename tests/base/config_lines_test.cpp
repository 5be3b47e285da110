#include "base/config_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

struct LineCase {
    const char* name;
    const char* key;
    KeyMatch match;
    std::string content;
    bool found;
    std::string value;  // when found
};

class ConfigLinesTest : public testing::TestWithParam<LineCase> {};

TEST_P(ConfigLinesTest, FindsTheFirstLineThatSetsTheKey)
{
    const LineCase& c = GetParam();
    std::string value = "stale";
    EXPECT_EQ(findConfigValue(c.content, c.key, c.match, value), c.found);
    EXPECT_EQ(value, c.found ? c.value : std::string("stale")) << "a miss leaves the value alone";
}

const std::string bom = "\xEF\xBB\xBF";

// LorminRecorder.cfg's update address: the key is a prefix of whatever stands before "=".
LineCase url(const char* name, std::string content, bool found, std::string value)
{
    return LineCase{name, "UPDATE_URL", KeyMatch::Prefix, std::move(content), found, std::move(value)};
}

// A settings.cfg key, which must stand alone: HOTKEY_RECORD is the beginning of HOTKEY_RECORD_ALT.
LineCase exact(const char* name, std::string content, bool found, std::string value)
{
    return LineCase{name, "HOTKEY_RECORD", KeyMatch::Exact, std::move(content), found, std::move(value)};
}

INSTANTIATE_TEST_SUITE_P(
    Prefix, ConfigLinesTest,
    testing::Values(
        url("plain", "UPDATE_URL=https://h/r/", true, "https://h/r/"),
        url("everything_at_once", bom + "# UPDATE_URL=https://commented/\r\n\t\tupdate_url \t=  \"https://h/r/\"  \r\n",
            true, "https://h/r/"),
        url("bom_then_key", bom + "UPDATE_URL=x", true, "x"), url("bom_only", bom, false, ""),
        url("bom_in_the_middle_is_not_removed", "\n" + bom + "UPDATE_URL=x", false, ""),
        url("semicolon_comment", ";UPDATE_URL=a\nUPDATE_URL=b", true, "b"),
        url("indented_comment", "  \t# UPDATE_URL=a\nUPDATE_URL=b", true, "b"),
        url("mixed_case_key", "UpDaTe_UrL=v", true, "v"),
        url("first_match_wins", "UPDATE_URL=one\nUPDATE_URL=two", true, "one"),
        url("first_match_wins_even_when_empty", "UPDATE_URL=\nUPDATE_URL=two", true, ""),
        url("blank_value_is_empty", "UPDATE_URL=  \t \nUPDATE_URL=two", true, ""),
        url("key_alone_is_skipped", "UPDATE_URL\nUPDATE_URL=two", true, "two"),
        url("key_without_equals_is_skipped", "UPDATE_URL https://h/\nUPDATE_URL=two", true, "two"),
        url("nine_letter_key_is_skipped", "UPDATE_UR=https://h/\nUPDATE_URL=two", true, "two"),
        url("longer_key_matches", "UPDATE_URLX=https://x/", true, "https://x/"),
        url("equals_inside_the_key_run", "UPDATE_URL_OLD=a=b", true, "a=b"), url("short_line", "UPDATE=", false, ""),
        url("single_quote_char_kept", "UPDATE_URL=\"", true, "\""),
        url("only_outer_quotes_removed", "UPDATE_URL=\"a\"b\"", true, "a\"b"),
        url("blanks_inside_quotes_kept", "UPDATE_URL=\" a \"", true, " a "),
        url("empty_quotes", "UPDATE_URL=\"\"", true, ""),
        url("hash_after_value_is_part_of_it", "UPDATE_URL=https://h/#x ;y", true, "https://h/#x ;y"),
        url("one_cr_dropped_only", "UPDATE_URL=v\r\r\n", true, "v\r"),
        url("cr_alone_is_no_line_break", "# c\rUPDATE_URL=v", false, ""),
        url("cr_alone_line_with_key_first", "UPDATE_URL=v\rother", true, "v\rother"),
        url("other_keys_ignored", "LANG=zh\nUPDATE_URL=v\n", true, "v"),
        url("utf8_value_untouched", "UPDATE_URL=https://h/\xE4\xB8\xAD/", true, "https://h/\xE4\xB8\xAD/"),
        url("utf16_file_does_not_match", std::string("U\0P\0D\0A\0T\0E\0_\0U\0R\0L\0=\0x\0", 24), false, ""),
        url("empty_file", "", false, ""),
        url("nul_bytes_before_the_line", std::string("\0\0\nUPDATE_URL=v", 15), true, "v")),
    [](const testing::TestParamInfo<LineCase>& lineCase) { return std::string(lineCase.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Exact, ConfigLinesTest,
    testing::Values(exact("plain", "HOTKEY_RECORD=F8", true, "F8"),
                    exact("blanks_before_equals", "  hotkey_record \t= Ctrl+F8 \r\n", true, "Ctrl+F8"),
                    exact("longer_key_is_another_key", "HOTKEY_RECORD_ALT=F7\nHOTKEY_RECORD=F6", true, "F6"),
                    exact("longer_key_only", "HOTKEY_RECORD_ALT=F7\n", false, ""),
                    exact("shorter_key_is_another_key", "HOTKEY_RECOR=F7", false, ""),
                    exact("text_between_key_and_equals", "HOTKEY_RECORD X=F7", false, ""),
                    exact("first_match_wins_even_when_empty", "HOTKEY_RECORD=\nHOTKEY_RECORD=F6", true, ""),
                    exact("comment_skipped", "#HOTKEY_RECORD=F1\n;HOTKEY_RECORD=F2\nHOTKEY_RECORD=F3", true, "F3"),
                    exact("quoted", bom + "HOTKEY_RECORD=\" Pause \"", true, " Pause "),
                    exact("equals_in_value", "HOTKEY_RECORD==", true, "=")),
    [](const testing::TestParamInfo<LineCase>& lineCase) { return std::string(lineCase.param.name); });

}  // namespace
