// The script library from outside: an entry's key plays its script into a target while the
// window's own unsaved recording stays as it is, a held-mode key stops its replay on release with
// nothing left down, and a once schedule a few seconds ahead plays by itself.
#include <cstdio>
#include <string>

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "e2e/e2e_app.h"
#include "e2e/e2e_support.h"
#include "support/file_bytes.h"
#include "support/xdotool.h"

namespace {

// A script that types each key of keys, gap seconds apart.
std::string typingScript(const std::string& keys, double gap)
{
    std::string text = "{\"v\": 4, \"events\": [";
    char event[96];
    for (size_t i = 0; i < keys.size(); ++i) {
        std::snprintf(event, sizeof event,
                      "%s{\"t\": \"kd\", \"d\": %.2f, \"k\": \"%c\"}, {\"t\": \"ku\", \"d\": 0.02, \"k\": \"%c\"}",
                      i == 0 ? "" : ", ", gap, keys[i], keys[i]);
        text += event;
    }
    return text + "]}";
}

std::string jsonPath(const std::wstring& path)
{
    std::string text;
    for (char c : wideToUtf8(path)) {
        text += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return text;
}

// The characters the target received, in order.
std::string typedCharacters(const TargetWindow& target)
{
    std::string typed;
    for (const TargetEntry& entry : target.entries()) {
        if (entry.name == "char" && entry.a >= 0x20 && entry.a < 0x7F) {
            typed += static_cast<char>(entry.a);
        }
    }
    return typed;
}

bool targetSawKey(const TargetWindow& target, long virtualKey)
{
    for (const TargetEntry& entry : target.entries()) {
        if ((entry.name == "keydown" || entry.name == "keyup" || entry.name == "syskeydown") && entry.a == virtualKey) {
            return true;
        }
    }
    return false;
}

TEST_F(E2e, AnEntryKeyPlaysItsScriptBesideTheWindowsUnsavedOneAndAHeldKeyStopsOnRelease)
{
    const std::wstring folder = folderFor(L"library_keys");
    const std::wstring quick = folder + L"\\quick.json";
    const std::wstring long_ = folder + L"\\long.json";
    ASSERT_TRUE(writeTextFile(quick, typingScript("XYZ", 0.3)));
    ASSERT_TRUE(writeTextFile(long_, typingScript("ABABABABABABABABABABABABABABAB", 0.2)));
    AppDataFolder library(L"appdata_library_keys", "",
                          "{\"v\": 1, \"entries\": [\r\n"
                          "  {\"name\": \"quick\", \"file\": \"" +
                              jsonPath(quick) +
                              "\", \"key\": \"F11\"},\r\n"
                              "  {\"name\": \"long\", \"file\": \"" +
                              jsonPath(long_) + "\", \"key\": \"F6\", \"mode\": \"held\"}]}\r\n");
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_library_keys")));
    ASSERT_TRUE(app.waitStatus(readyStatus, 10000));
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\library_keys_target.log", besideOf(app.window)));
    const POINT inTarget = target.pointAt(0.5, 0.5);

    // The window's own script: a recording, unsaved.
    ASSERT_TRUE(beginRecordingAt(app, inTarget));
    ASSERT_TRUE(typeText(L"q", 60));
    ASSERT_TRUE(pressKeys(L"F9"));
    ASSERT_TRUE(app.waitStatusPrefix(L"已停止", 5000)) << wideToUtf8(app.status());
    const std::vector<std::wstring> rows = app.rows();
    ASSERT_FALSE(rows.empty());

    ASSERT_TRUE(clickAt(inTarget.x, inTarget.y));
    ASSERT_TRUE(pressKeys(L"F11"));
    ASSERT_TRUE(app.waitStatusPrefix(L"▶ 脚本库：quick", 5000)) << wideToUtf8(app.status());
    ASSERT_TRUE(app.waitStatus(L"✅ 完成", 10000)) << wideToUtf8(app.status());
    ASSERT_TRUE(waitUntil([&] { return typedCharacters(target).find("xyz") != std::string::npos; }, 3000))
        << typedCharacters(target);
    EXPECT_FALSE(targetSawKey(target, VK_F11)) << "the entry's key is the library's alone";
    EXPECT_EQ(app.rows(), rows) << "the window's script is untouched";

    // Held: plays while F6 is down, stops at its release.
    const size_t before = typedCharacters(target).size();
    ASSERT_TRUE(runXdotool(L"keydown F6"));
    ASSERT_TRUE(app.waitStatusPrefix(L"▶ 脚本库：long", 5000)) << wideToUtf8(app.status());
    Sleep(1500);
    ASSERT_TRUE(runXdotool(L"keyup F6"));
    ASSERT_TRUE(app.waitStatus(L"⏹ 停止", 3000)) << wideToUtf8(app.status());
    const size_t typed = typedCharacters(target).size() - before;
    EXPECT_GT(typed, 0u);
    EXPECT_LT(typed, 30u) << "the release stopped the replay";
    EXPECT_FALSE(targetSawKey(target, VK_F6));
    std::vector<int> held;
    ASSERT_TRUE(target.heldKeys(held));
    EXPECT_TRUE(held.empty()) << "nothing stays down";
    EXPECT_EQ(app.rows(), rows);

    // The library dialog from the system menu, with the keyboard: its list shows both entries.
    ASSERT_TRUE(app.activate());
    ASSERT_TRUE(pressKeys(L"alt+space"));
    Sleep(500);
    ASSERT_TRUE(pressKeys(L"Up Up Up Return"));
    HWND dialog = waitForTopLevel(app.processId(), L"#32770", L"脚本库", 5000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 201, LVM_GETITEMCOUNT, 0, 0), 2);
    ASSERT_TRUE(pressKeys(L"Escape"));
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 3000));

    const std::string log = app.errorLog();
    EXPECT_NE(log.find("[脚本库] 「quick」开始回放（按键）"), std::string::npos) << log;
    EXPECT_NE(log.find("[脚本库] 「quick」回放结束：完成"), std::string::npos) << log;
    EXPECT_NE(log.find("[脚本库] 「long」回放结束：已停止"), std::string::npos) << log;

    // The unsaved recording is still the window's: closing asks about it.
    ASSERT_TRUE(app.closeWithKeyboard());
    MessageBoxSeen prompt;
    ASSERT_TRUE(waitForMessageBox(app.processId(), L"关闭", prompt, 5000));
    ASSERT_TRUE(answerMessageBox(prompt, IDNO));
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code));
    target.close();
}

TEST_F(E2e, AOnceScheduleAFewSecondsAheadPlaysByItself)
{
    const std::wstring folder = folderFor(L"library_once");
    const std::wstring script = folder + L"\\once.json";
    ASSERT_TRUE(writeTextFile(script, typingScript("OK", 0.1)));
    // Local time twenty seconds ahead (a start under load takes seconds), as the schedule names it.
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ahead{{now.dwLowDateTime, now.dwHighDateTime}};
    ahead.QuadPart += 20ULL * 10000000ULL;
    const FILETIME utc{ahead.LowPart, ahead.HighPart};
    SYSTEMTIME utcParts{};
    SYSTEMTIME local{};
    ASSERT_TRUE(FileTimeToSystemTime(&utc, &utcParts));
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utcParts, &local));
    char at[32];
    std::snprintf(at, sizeof at, "%04u-%02u-%02uT%02u:%02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
                  local.wMinute, local.wSecond);
    AppDataFolder library(L"appdata_library_once", "",
                          "{\"v\": 1, \"entries\": [{\"name\": \"soon\", \"file\": \"" + jsonPath(script) +
                              "\", \"schedule\": {\"kind\": \"once\", \"at\": \"" + at + "\"}}]}");
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_library_once")));
    TargetWindow target;
    ASSERT_TRUE(target.start(outputFolder() + L"\\library_once_target.log", besideOf(app.window)));
    const POINT inTarget = target.pointAt(0.5, 0.5);
    ASSERT_TRUE(clickAt(inTarget.x, inTarget.y));
    EXPECT_EQ(typedCharacters(target), "") << "nothing before its time";

    ASSERT_TRUE(waitUntil([&] { return typedCharacters(target) == "ok"; }, 60000)) << typedCharacters(target);
    ASSERT_TRUE(app.waitStatus(L"✅ 完成", 5000)) << wideToUtf8(app.status());
    const std::string log = app.errorLog();
    EXPECT_NE(log.find("[脚本库] 「soon」开始回放（计划）"), std::string::npos) << log;
    ASSERT_TRUE(app.closeWithKeyboard());
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(10000, code));
    target.close();
}

}  // namespace
