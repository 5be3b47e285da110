#include "update/config_scan.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ScanCase {
    const char* name;
    std::string content;
    bool found;
    std::string value;
};

class ConfigScanTest : public testing::TestWithParam<ScanCase> {};

TEST_P(ConfigScanTest, FindsTheFirstUpdateUrlLine)
{
    const ScanCase& c = GetParam();
    std::string value = "stale";
    EXPECT_EQ(findUpdateUrlSetting(c.content, value), c.found);
    EXPECT_EQ(value, c.value);
}

const std::string bom = "\xEF\xBB\xBF";

INSTANTIATE_TEST_SUITE_P(
    Lines, ConfigScanTest,
    testing::Values(
        ScanCase{"plain", "UPDATE_URL=https://h/r/", true, "https://h/r/"},
        ScanCase{"everything_at_once",
                 bom + "# UPDATE_URL=https://commented/\r\n\t\tupdate_url \t=  \"https://h/r/\"  \r\n", true,
                 "https://h/r/"},
        ScanCase{"bom_then_key", bom + "UPDATE_URL=x", true, "x"}, ScanCase{"bom_only", bom, false, ""},
        ScanCase{"bom_in_the_middle_is_not_removed", "\n" + bom + "UPDATE_URL=x", false, ""},
        ScanCase{"semicolon_comment", ";UPDATE_URL=a\nUPDATE_URL=b", true, "b"},
        ScanCase{"indented_comment", "  \t# UPDATE_URL=a\nUPDATE_URL=b", true, "b"},
        ScanCase{"mixed_case_key", "UpDaTe_UrL=v", true, "v"},
        ScanCase{"first_match_wins", "UPDATE_URL=one\nUPDATE_URL=two", true, "one"},
        ScanCase{"first_match_wins_even_when_empty", "UPDATE_URL=\nUPDATE_URL=two", true, ""},
        ScanCase{"blank_value_is_empty", "UPDATE_URL=  \t \nUPDATE_URL=two", true, ""},
        ScanCase{"key_alone_is_skipped", "UPDATE_URL\nUPDATE_URL=two", true, "two"},
        ScanCase{"key_without_equals_is_skipped", "UPDATE_URL https://h/\nUPDATE_URL=two", true, "two"},
        ScanCase{"nine_letter_key_is_skipped", "UPDATE_UR=https://h/\nUPDATE_URL=two", true, "two"},
        ScanCase{"longer_key_matches", "UPDATE_URLX=https://x/", true, "https://x/"},
        ScanCase{"equals_inside_the_key_run", "UPDATE_URL_OLD=a=b", true, "a=b"},
        ScanCase{"short_line", "UPDATE=", false, ""}, ScanCase{"single_quote_char_kept", "UPDATE_URL=\"", true, "\""},
        ScanCase{"only_outer_quotes_removed", "UPDATE_URL=\"a\"b\"", true, "a\"b"},
        ScanCase{"blanks_inside_quotes_kept", "UPDATE_URL=\" a \"", true, " a "},
        ScanCase{"empty_quotes", "UPDATE_URL=\"\"", true, ""},
        ScanCase{"hash_after_value_is_part_of_it", "UPDATE_URL=https://h/#x ;y", true, "https://h/#x ;y"},
        ScanCase{"one_cr_dropped_only", "UPDATE_URL=v\r\r\n", true, "v\r"},
        ScanCase{"cr_alone_is_no_line_break", "# c\rUPDATE_URL=v", false, ""},
        ScanCase{"cr_alone_line_with_key_first", "UPDATE_URL=v\rother", true, "v\rother"},
        ScanCase{"other_keys_ignored", "LANG=zh\nUPDATE_URL=v\n", true, "v"},
        ScanCase{"utf8_value_untouched", "UPDATE_URL=https://h/\xE4\xB8\xAD/", true, "https://h/\xE4\xB8\xAD/"},
        ScanCase{"utf16_file_does_not_match", std::string("U\0P\0D\0A\0T\0E\0_\0U\0R\0L\0=\0x\0", 24), false, ""},
        ScanCase{"empty_file", "", false, ""},
        ScanCase{"nul_bytes_before_the_line", std::string("\0\0\nUPDATE_URL=v", 15), true, "v"}),
    [](const testing::TestParamInfo<ScanCase>& scanCase) { return std::string(scanCase.param.name); });

}  // namespace
