// Wait steps in the script: their members in the file (written, read back, brought into range,
// skipped when unusable, skipped by earlier versions), base64 and the PNG header, their rows.
#include "script/screen_wait.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "script/event_description.h"
#include "script/macro_event.h"
#include "script/script_file.h"
#include "script/script_text_reference.h"

namespace {

// The first 33 bytes of a PNG file of the given size: signature and header chunk.
std::string pngHead(uint32_t width, uint32_t height)
{
    std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
    for (uint32_t value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            png += static_cast<char>((value >> shift) & 0xFF);
        }
    }
    png += std::string("\x08\x06\0\0\0\0\0\0\0", 9);
    return png;
}

std::vector<MacroEvent> load(const std::string& text, std::vector<WindowIdentity>& windows)
{
    std::vector<MacroEvent> events;
    std::wstring error;
    EXPECT_TRUE(parseScriptText(text, events, windows, error, LoadProgress{})) << text;
    return events;
}

std::string script(const std::string& event)
{
    return "{\"events\": [" + event +
           "], \"windows\": [{\"exe\": \"notepad.exe\", \"class\": \"Notepad\", "
           "\"title\": \"记事本\"}]}";
}

}  // namespace

TEST(ScreenWait, EachKindIsWrittenAsTheFileHasItAndReadBackTheSame)
{
    const std::string png = encodeBase64(pngHead(48, 32));
    const std::string lines[] = {
        R"({"t": "ww", "d": 0, "w": 0, "until": "gone", "to": 2.5, "else": "go"})",
        R"({"t": "wp", "d": 0.5, "x": 640, "y": 400, "rgb": "#1E90FF", "tol": 16, "not": false, "to": 10, "else": "stop"})",
        R"({"t": "wp", "d": 0, "x": -5, "y": 7, "rgb": "#000000", "tol": 0, "not": true, "to": 0.1, "else": "stop", "w": 0, "wx": 3, "wy": 4, "wdpi": 144})",
        R"({"t": "wi", "d": 0, "x": 0, "y": 0, "cx": 1280, "cy": 1024, "png": ")" + png +
            R"(", "tol": 24, "to": 10, "else": "stop", "click": "left", "px": 24, "py": 12})",
        R"({"t": "wi", "d": 0, "x": 0, "y": 0, "cx": 0, "cy": 0, "png": ")" + png +
            R"(", "tol": 255, "to": 3600, "else": "go", "click": "double"})",
        R"({"t": "wi", "d": 0, "x": 10, "y": 20, "cx": 0, "cy": 0, "png": ")" + png +
            R"(", "tol": 24, "to": 10, "else": "stop", "w": 0, "wx": 0, "wy": 0, "wdpi": 96})",
    };
    for (const std::string& line : lines) {
        std::vector<WindowIdentity> windows;
        const std::vector<MacroEvent> events = load(script(line), windows);
        ASSERT_EQ(events.size(), 1u) << line;
        const std::string written = formatScriptText(events, windows);
        EXPECT_NE(written.find("\n    " + line + "\n"), std::string::npos) << written;
        std::vector<WindowIdentity> again;
        EXPECT_EQ(formatScriptText(load(written, again), again), written);
    }
}

TEST(ScreenWait, MembersOutOfRangeAreBroughtInAndMissingOnesTakeTheirDefaults)
{
    const struct {
        std::string members;
        double timeout;
        int32_t tolerance;
        TimeoutAction action;
    } cases[] = {
        {"", 10.0, 16, TimeoutAction::Stop},
        {R"(, "to": 0, "tol": -3, "else": "later")", 0.1, 0, TimeoutAction::Stop},
        {R"(, "to": 1e9, "tol": 300.7, "else": "go")", 3600.0, 255, TimeoutAction::Go},
        {R"(, "to": "5", "tol": 20.9, "to": 1)", 10.0, 20, TimeoutAction::Stop},  // first member wins
    };
    for (const auto& c : cases) {
        std::vector<WindowIdentity> windows;
        const auto events = load(script(R"({"t": "wp", "x": 1, "y": 2, "rgb": "#a0b0c0")" + c.members + "}"), windows);
        ASSERT_EQ(events.size(), 1u) << c.members;
        ASSERT_NE(events[0].wait, nullptr);
        EXPECT_EQ(events[0].wait->timeoutSeconds, c.timeout) << c.members;
        EXPECT_EQ(events[0].wait->tolerance, c.tolerance) << c.members;
        EXPECT_EQ(events[0].wait->onTimeout, c.action) << c.members;
        EXPECT_EQ(events[0].wait->rgb, 0xA0B0C0u);
    }
}

TEST(ScreenWait, StepsWithoutWhatTheyWaitForAreSkipped)
{
    const std::string good = encodeBase64(pngHead(2, 2));
    const std::string skipped[] = {
        R"({"t": "wp", "x": 1, "y": 2})",
        R"({"t": "wp", "x": 1, "y": 2, "rgb": "#12345"})",
        R"({"t": "wp", "x": 1, "y": 2, "rgb": "#12345G"})",
        R"({"t": "wp", "x": 1, "y": 2, "rgb": 1193046})",
        R"({"t": "wi", "png": "not base64!"})",
        R"({"t": "wi", "png": ")" + good.substr(0, good.size() - 1) + R"("})",
        R"({"t": "wi", "png": ")" + encodeBase64(pngHead(257, 4)) + R"("})",
        R"({"t": "wi", "png": ")" + encodeBase64(pngHead(0, 4)) + R"("})",
        R"({"t": "wi", "png": ")" + encodeBase64("GIF89a" + pngHead(4, 4).substr(6)) + R"("})",
        R"({"t": "ww", "until": "shown"})",
        R"({"t": "ww", "w": 3})",
    };
    for (const std::string& line : skipped) {
        std::vector<WindowIdentity> windows;
        const auto events = load(script(R"({"t": "m", "x": 1, "y": 1}, )" + line), windows);
        EXPECT_EQ(events.size(), 1u) << line;
    }
}

TEST(ScreenWait, EarlierVersionsSkipTheStepsAndAScriptWithoutThemIsUnchanged)
{
    const std::string text =
        script(R"({"t": "kd", "d": 0, "k": "A"}, {"t": "wp", "d": 0, "x": 1, "y": 2, "rgb": "#000000"}, )"
               R"({"t": "ww", "d": 1, "w": 0}, {"t": "ku", "d": 0, "k": "A"})");
    // The first implementation of the loader, as a version that knows no wait steps.
    std::vector<MacroEvent> earlier;
    std::wstring error;
    ASSERT_TRUE(parseScriptTextWithTree(text, earlier, error));
    ASSERT_EQ(earlier.size(), 2u);
    std::vector<WindowIdentity> windows;
    const auto events = load(text, windows);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[1].kind, EventKind::WaitColour);
    EXPECT_EQ(events[2].kind, EventKind::WaitWindow);
    // Without its waits the script saves as before, byte for byte.
    EXPECT_EQ(formatScriptText(earlier), formatScriptTextWithPrintf(earlier));
}

TEST(ScreenWait, Base64RoundTripsAndRefusesWhatIsNotCanonical)
{
    const struct {
        std::string bytes;
        std::string text;
    } vectors[] = {{"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
                   {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {std::string("\xFF\xFE\x00", 3), "//4A"}};
    for (const auto& v : vectors) {
        EXPECT_EQ(encodeBase64(v.bytes), v.text);
        std::string out = "x";
        EXPECT_TRUE(decodeBase64(v.text.data(), v.text.size(), out)) << v.text;
        EXPECT_EQ(out, v.bytes);
    }
    for (const std::string bad : {"Zg=", "Zh==", "Zm9=", "Z===", "Zg==Zg==", "Zm 9", "Zm9v\n"}) {
        std::string out = "kept";
        EXPECT_FALSE(decodeBase64(bad.data(), bad.size(), out)) << bad;
        EXPECT_EQ(out, "kept");
    }
}

TEST(ScreenWait, RowsSayWhatIsWaitedFor)
{
    const std::vector<WindowIdentity> windows = {{"notepad.exe", "Notepad", "记事本"}};
    const std::string png = encodeBase64(pngHead(48, 32));
    const struct {
        std::string line;
        std::wstring row;
    } cases[] = {
        {R"({"t": "ww", "w": 0})", L"等待 窗口 「记事本」 出现"},
        {R"({"t": "ww", "w": 0, "until": "front"})", L"等待 窗口 「记事本」 在前"},
        {R"({"t": "ww", "w": 0, "until": "gone"})", L"等待 窗口 「记事本」 消失"},
        {R"({"t": "wp", "x": 640, "y": 400, "rgb": "#1e90ff"})", L"等待 颜色 #1E90FF @ (640, 400)"},
        {R"({"t": "wp", "x": 1, "y": -2, "rgb": "#000000", "not": true})", L"等待 颜色 不再是 #000000 @ (1, -2)"},
        {R"({"t": "wi", "cx": 1280, "cy": 1024, "click": "left", "png": ")" + png + "\"}",
         L"等待 图像 48×32 于 (0, 0, 1280, 1024) 后 单击"},
        {R"({"t": "wi", "png": ")" + png + "\"}", L"等待 图像 48×32 于 全屏"},
        {R"({"t": "wi", "click": "right", "w": 0, "wx": 0, "wy": 0, "wdpi": 96, "png": ")" + png + "\"}",
         L"等待 图像 48×32 于 窗口 后 右击"},
    };
    for (const auto& c : cases) {
        std::vector<WindowIdentity> loadedWindows;
        const auto events = load(script(c.line), loadedWindows);
        ASSERT_EQ(events.size(), 1u) << c.line;
        EXPECT_EQ(describeEvent(events[0], &windows), c.row) << c.line;
    }
}
