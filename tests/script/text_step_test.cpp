// Text steps: the pieces their text is typed as, the one valid form it is held in, and how the
// script file writes and reads it.
#include "script/text_step.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "script/script_file.h"

namespace {

// "c4F60" for a character, "br" for a line break, "tab", "ctl1F" for a control character.
std::vector<std::string> piecesOf(const std::string& text)
{
    std::vector<std::string> out;
    for (size_t at = 0; at < text.size();) {
        const TextPiece piece = nextTextPiece(text, at);
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(piece.codePoint));
        switch (piece.kind) {
        case TextPieceKind::Character: out.push_back(std::string("c") + hex); break;
        case TextPieceKind::LineBreak: out.push_back("br"); break;
        case TextPieceKind::Tab: out.push_back("tab"); break;
        case TextPieceKind::Control: out.push_back(std::string("ctl") + hex); break;
        }
    }
    return out;
}

MacroEvent textStep(const std::string& text, double delay = 0.0)
{
    MacroEvent e;
    e.kind = EventKind::Text;
    e.delay = delay;
    e.keyOrText = text;
    return e;
}

std::vector<MacroEvent> loaded(const std::string& json)
{
    std::vector<MacroEvent> events;
    std::wstring error;
    EXPECT_TRUE(parseScriptText(json, events, error)) << json;
    return events;
}

using Pieces = std::vector<std::string>;

}  // namespace

TEST(TextStep, PiecesOfATextInOrder)
{
    const struct {
        std::string text;
        Pieces pieces;
    } cases[] = {
        {"", {}},
        {"a\xE4\xBD\xA0", {"c61", "c4F60"}},
        {"\xF0\x9F\x98\x80!", {"c1F600", "c21"}},
        {"a\r\nb", {"c61", "br", "c62"}},
        {"\n\r\r\n\n", {"br", "br", "br", "br"}},
        {"\r\r", {"br", "br"}},
        {"\n\r", {"br", "br"}},
        {"\t \t", {"tab", "c20", "tab"}},
        {std::string("\0\x1F\x7F", 3), {"ctl0", "ctl1F", "ctl7F"}},
        {"\x7E\xC2\x80\xC2\x9F\xC2\xA0", {"c7E", "ctl80", "ctl9F", "cA0"}},
        {"\xED\xA0\xBD"
         "A",
         {"cFFFD", "c41"}},
        {"\xED\xB8\x80\xED\xA0\xBD", {"cFFFD", "cFFFD"}},
        {"\xFF\xC3", {"cFFFD", "cFFFD"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(piecesOf(c.text), c.pieces) << c.text;
    }
}

TEST(TextStep, HeldTextIsValidUtf8WithOneReplacementPerLoneSurrogate)
{
    const struct {
        std::string text;
        std::string valid;
    } cases[] = {
        {"", ""},
        {"plain \xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8C\xF0\x9F\x98\x80",
         "plain \xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8C\xF0\x9F\x98\x80"},
        {"\xED\xA0\xBD", "\xEF\xBF\xBD"},                          // a lone high half
        {"a\xED\xB0\x80z", "a\xEF\xBF\xBDz"},                      // a lone low half
        {"\xED\xA0\xBD\xED\xB8\x80", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // a pair written half by half
        {"\xED\x9F\xBF", "\xED\x9F\xBF"},                          // U+D7FF is a character
        {"\xEF\xBF\xBD", "\xEF\xBF\xBD"},                          // so is U+FFFD itself
        {"\xC3(", "\xEF\xBF\xBD("},                                // broken sequences as utf8ToWide reads them
        {"x\xE0\x80\x80", "x\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xF0\x9F\x98", "\xEF\xBF\xBD"},
        {std::string("\0\x01", 2), std::string("\0\x01", 2)},  // control characters are valid text
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        makeValidText(text);
        EXPECT_EQ(text, c.valid) << c.text;
    }
}

TEST(TextStep, FileLinesAndTheirRoundTrip)
{
    const struct {
        std::string text;
        std::string line;  // what the writer writes
    } cases[] = {
        {"\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8CLormin", "\"\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8CLormin\""},
        {"7\xF0\x9F\x98\x80", "\"7\xF0\x9F\x98\x80\""},
        {"a\r\nb\tc\"d\\e/", "\"a\\r\\nb\\tc\\\"d\\\\e/\""},
        {std::string("\0\x1B\x7F", 3), "\"\\u0000\\u001b\x7F\""},
        {"", "\"\""},
    };
    for (const auto& c : cases) {
        const std::string file = formatScriptText({textStep(c.text, 0.1)});
        EXPECT_EQ(file,
                  "{\n  \"v\": 4,\n  \"events\": [\n    {\"t\": \"tx\", \"d\": 0.1, \"s\": " + c.line + "}\n  ]\n}\n");
        const std::vector<MacroEvent> back = loaded(file);
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].kind, EventKind::Text);
        EXPECT_EQ(back[0].keyOrText, c.text);
        EXPECT_EQ(formatScriptText(back), file) << "saved again byte for byte";
    }
}

TEST(TextStep, LongTextsLoadWhole)
{
    std::string text;
    for (int i = 0; i < 10000; ++i) {
        text += i % 3 == 0 ? "\xE5\xAD\x97" : (i % 3 == 1 ? "\xF0\x9F\x98\x80" : "\n");
    }
    text += "end";
    const std::vector<MacroEvent> back = loaded(formatScriptText({textStep(text)}));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].keyOrText, text);
}

TEST(TextStep, MembersAsTheLoaderReadsThem)
{
    const struct {
        const char* json;
        std::string text;
    } cases[] = {
        {"[{\"t\":\"tx\",\"d\":0.1,\"s\":\"\\u4f60\\u597d\"}]", "\xE4\xBD\xA0\xE5\xA5\xBD"},
        {"[{\"s\":\"before\",\"t\":\"tx\"}]", "before"},                 // any order
        {"[{\"t\":\"tx\",\"s\":\"first\",\"s\":\"second\"}]", "first"},  // the first one counts
        {"[{\"t\":\"tx\",\"k\":\"A\"}]", ""},                            // a key name is no text
        {"[{\"t\":\"tx\"}]", ""},                                        // missing
        {"[{\"t\":\"tx\",\"s\":5}]", ""},                                // not a string
        {"[{\"t\":\"tx\",\"s\":[\"x\"]}]", ""},
        {"[{\"t\":\"tx\",\"s\":null}]", ""},
        {"[{\"t\":\"tx\",\"s\":\"\\ud83d\\ude00\"}]", "\xF0\x9F\x98\x80"},
        {"[{\"t\":\"tx\",\"s\":\"\\ud83d\"}]", "\xEF\xBF\xBD"},  // lone halves become U+FFFD
        {"[{\"t\":\"tx\",\"s\":\"\\ude00x\"}]", "\xEF\xBF\xBDx"},
        {"[{\"t\":\"tx\",\"s\":\"\\ud83d\\u0041\"}]", "\xEF\xBF\xBD"
                                                      "A"},
        {"[{\"t\":\"tx\",\"s\":\"\\udc00\\u0041\"}]", "\xEF\xBF\xBD"
                                                      "A"},
        {"[{\"t\":\"tx\",\"s\":\"\\ud83d\\ud83d\\ude00\"}]", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
        {"[{\"t\":\"tx\",\"s\":\"raw \xED\xA0\xBD and \xFF\"}]", "raw \xEF\xBF\xBD and \xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        const std::vector<MacroEvent> events = loaded(c.json);
        ASSERT_EQ(events.size(), 1u) << c.json;
        EXPECT_EQ(events[0].kind, EventKind::Text) << c.json;
        EXPECT_EQ(events[0].keyOrText, c.text) << c.json;
    }
    // A key event keeps its key name and ignores a text.
    const std::vector<MacroEvent> key = loaded("[{\"s\":\"text\",\"t\":\"kd\",\"k\":\"A\"}]");
    ASSERT_EQ(key.size(), 1u);
    EXPECT_EQ(key[0].keyOrText, "A");
}

TEST(TextStep, AScriptOfOnlyTextStepsIsAScript)
{
    const std::vector<MacroEvent> events =
        loaded("{\"v\":4,\"events\":[{\"t\":\"tx\",\"s\":\"a\"},{\"t\":\"tx\",\"d\":2,\"s\":\"b\"}]}");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].keyOrText, "b");
    EXPECT_EQ(events[1].delay, 2.0);
}
