// The settings dialog driven with real key presses (xdotool): chords captured from the keyboard,
// Backspace for no alternate key, the box, OK and Cancel, the refusals with their reasons, a
// failed save, the hotkeys paused while it is open and applied after OK, and the file it writes.
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>
#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "base/thread.h"
#include "base/win_owners.h"
#include "recorder/recorder.h"
#include "recorder/recorder_messages.h"
#include "settings/apply_settings.h"
#include "settings/user_settings_file.h"
#include "support/file_bytes.h"
#include "support/message_pump.h"
#include "support/xdotool.h"
#include "ui/settings_dialog.h"

namespace {

std::vector<UINT> hotkeysPosted;

// The recorder whose hotkeys the dialog pauses and which takes the settings chosen.
Recorder& settingsRecorder()
{
    static Recorder recorder;
    return recorder;
}

LRESULT CALLBACK receiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_APP && message < WM_APP + 0x100) {
        hotkeysPosted.push_back(message);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The dialog on a user-interface thread of its own, so that this thread can press keys at it.
class DialogRun {
public:
    using Save = std::function<bool(const UserSettings&, std::wstring&)>;
    explicit DialogRun(const UserSettings& start, Save save = &saveUserSettings) : settings_(start)
    {
        thread_.start([this, save] {
            SettingsDialogCalls calls;
            calls.save = save;
            calls.pauseHotkeys = [](bool paused) { settingsRecorder().pauseHotkeys(paused); };
            const std::optional<UserSettings> chosen = runSettingsDialog(nullptr, settings_, calls);
            answer_ = chosen.has_value();
            if (chosen) {
                settings_ = *chosen;
                applyUserSettings(settingsRecorder(), settings_);  // as the main window does
            }
            done_ = true;
        });
    }
    ~DialogRun()
    {
        if (!done_) {
            PostMessageW(window(), WM_COMMAND, IDCANCEL, 0);
        }
        thread_.join();
    }
    DialogRun(const DialogRun&) = delete;
    DialogRun& operator=(const DialogRun&) = delete;

    // The dialog window once it is shown and has the focus; null after 10 s.
    HWND window()
    {
        if (window_ == nullptr) {
            pumpMessagesUntil(
                [this] {
                    EnumThreadWindows(thread_.id(), &findDialog, reinterpret_cast<LPARAM>(&window_));
                    return window_ != nullptr && GetForegroundWindow() == window_;
                },
                10000);
        }
        return window_;
    }
    std::wstring text(int id) const
    {
        wchar_t text[128] = {};
        GetDlgItemTextW(window_, id, text, 128);
        return text;
    }
    bool waitText(int id, const std::wstring& expected) const
    {
        return pumpMessagesUntil([&] { return text(id) == expected; }, 3000);
    }
    int focusedId() const
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(thread_.id(), &info);
        return info.hwndFocus != nullptr ? GetDlgCtrlID(info.hwndFocus) : 0;
    }
    bool waitEnd() const
    {
        return pumpMessagesUntil([this] { return done_.load(); }, 5000);
    }
    bool answer() const { return answer_; }
    const UserSettings& settings() const { return settings_; }

private:
    static BOOL CALLBACK findDialog(HWND window, LPARAM found)
    {
        wchar_t title[16] = {};
        GetWindowTextW(window, title, 16);
        if (IsWindowVisible(window) && std::wstring(title) == L"设置") {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }

    UserSettings settings_;
    Thread thread_;
    std::atomic<bool> done_{false};
    bool answer_ = false;
    HWND window_ = nullptr;
};

bool keys(const std::wstring& keys)
{
    const bool ok = runXdotool(L"key --delay 40 " + keys);
    pumpMessagesFor(100);
    return ok;
}

class SettingsDialogTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = receiverProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"LrSettingsDialogTestReceiver";
        RegisterClassW(&windowClass);
        receiver = WindowHandle(CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                                windowClass.hInstance, nullptr));
        settingsRecorder().startHookThread(receiver.get());
    }
    static void TearDownTestSuite()
    {
        settingsRecorder().stopHookThread();
        receiver.reset();
    }

    void SetUp() override
    {
        ASSERT_EQ(settingsRecorder().hookState(), HookState::Installed);
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        appData = std::wstring(temp) + L"lr_settings_dialog_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                  std::to_wstring(++counter);
        CreateDirectoryW(appData.c_str(), nullptr);
        SetEnvironmentVariableW(L"APPDATA", appData.c_str());
        applyUserSettings(settingsRecorder(), UserSettings{});
        pumpMessagesFor(50);
        hotkeysPosted.clear();
    }
    void TearDown() override { applyUserSettings(settingsRecorder(), UserSettings{}); }

    std::wstring appData;
    static WindowHandle receiver;
};

WindowHandle SettingsDialogTest::receiver;

size_t countPosted(UINT message)
{
    size_t count = 0;
    for (UINT m : hotkeysPosted) {
        count += m == message ? 1 : 0;
    }
    return count;
}

TEST_F(SettingsDialogTest, KeyboardAloneChoosesTheChordsAndOkWritesTheFile)
{
    DialogRun dialog{UserSettings{}};
    ASSERT_NE(dialog.window(), nullptr) << "the dialog did not come up in front";
    EXPECT_EQ(dialog.text(kRecordField), L"F8");
    EXPECT_EQ(dialog.text(kRecordAltField), L"F7");
    EXPECT_EQ(dialog.text(kStopField), L"F9");
    EXPECT_EQ(dialog.focusedId(), kRecordField);

    // F8 pressed in a field is chosen there, and does not start a recording.
    ASSERT_TRUE(keys(L"F8"));
    ASSERT_TRUE(keys(L"ctrl+shift+F11"));
    EXPECT_TRUE(dialog.waitText(kRecordField, L"Ctrl+Shift+F11")) << wideToUtf8(dialog.text(kRecordField));
    ASSERT_TRUE(keys(L"Tab BackSpace"));
    EXPECT_TRUE(dialog.waitText(kRecordAltField, L"（无）")) << wideToUtf8(dialog.text(kRecordAltField));
    ASSERT_TRUE(keys(L"Tab F12"));
    EXPECT_TRUE(dialog.waitText(kStopField, L"F12")) << wideToUtf8(dialog.text(kStopField));
    ASSERT_TRUE(keys(L"Tab space"));
    EXPECT_TRUE(pumpMessagesUntil(
        [&] { return IsDlgButtonChecked(dialog.window(), kStopOnUserInputBox) == BST_CHECKED; }, 3000));
    EXPECT_EQ(countPosted(WM_APP_RECORD_HOTKEY), 0u) << "hotkeys are paused while the dialog is open";
    ASSERT_TRUE(keys(L"Return"));
    ASSERT_TRUE(dialog.waitEnd());
    EXPECT_TRUE(dialog.answer());

    EXPECT_EQ(readFileBytes(userSettingsPath()),
              "HOTKEY_RECORD=Ctrl+Shift+F11\r\nHOTKEY_RECORD_ALT=\r\nHOTKEY_STOP=F12\r\nSTOP_ON_USER_INPUT=1\r\nFOLLOW_"
              "WINDOWS=0\r\nWINDOW_WAIT_SECONDS=10\r\nHOTKEY_PAUSE=F10\r\nTRAY_ICON=1\r\nMINIMIZE_TO_TRAY=0\r\nPASS_"
              "GAP_SECONDS=0\r\n");
    EXPECT_EQ(chordText(dialog.settings().record), "Ctrl+Shift+F11");
    EXPECT_TRUE(dialog.settings().recordAlt.empty());
    EXPECT_EQ(chordText(dialog.settings().stop), "F12");
    EXPECT_TRUE(dialog.settings().stopOnUserInput);

    // The recorder follows at once.
    hotkeysPosted.clear();
    ASSERT_TRUE(keys(L"F8 F7 ctrl+shift+F11 F12"));
    pumpMessagesFor(200);
    EXPECT_EQ(hotkeysPosted, (std::vector<UINT>{WM_APP_RECORD_HOTKEY, WM_APP_STOP_HOTKEY}));
}

TEST_F(SettingsDialogTest, OkRefusesTypedKeysAndEqualKeysAndSaysWhy)
{
    DialogRun dialog{UserSettings{}};
    ASSERT_NE(dialog.window(), nullptr);
    ASSERT_TRUE(keys(L"a"));
    ASSERT_TRUE(dialog.waitText(kRecordField, L"A"));
    ASSERT_TRUE(keys(L"Return"));
    EXPECT_TRUE(dialog.waitText(kErrorText, L"⚠ 「A」不能作为全局热键：字母、数字、空格、回车、Tab、Esc "
                                            L"和退格键必须与 Ctrl、Alt 或 Win 一起使用。"))
        << wideToUtf8(dialog.text(kErrorText));
    EXPECT_EQ(dialog.focusedId(), kRecordField) << "the field at fault has the focus";

    ASSERT_TRUE(keys(L"ctrl+a Tab Tab ctrl+a Return"));
    EXPECT_TRUE(dialog.waitText(kErrorText, L"⚠ 「停止键」与「录制键」相同（Ctrl+A），请换一个按键。"))
        << wideToUtf8(dialog.text(kErrorText));
    EXPECT_EQ(dialog.focusedId(), kStopField);

    // Alt with a letter is a chord too, not a jump to a field through its mnemonic.
    ASSERT_TRUE(keys(L"alt+r"));
    EXPECT_TRUE(dialog.waitText(kStopField, L"Alt+R")) << wideToUtf8(dialog.text(kStopField));
    EXPECT_EQ(dialog.focusedId(), kStopField);

    ASSERT_TRUE(keys(L"Escape"));
    ASSERT_TRUE(dialog.waitEnd());
    EXPECT_FALSE(dialog.answer());
    EXPECT_FALSE(fileExists(userSettingsPath())) << "Cancel writes nothing";
    EXPECT_EQ(chordText(dialog.settings().record), "F8") << "and changes nothing";
    EXPECT_EQ(chordText(dialog.settings().stop), "F9");
}

TEST_F(SettingsDialogTest, AFailedSaveIsToldInTheDialogWhichStaysOpen)
{
    const std::wstring folder = appData + L"\\LorminRecorder";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\settings.cfg").c_str(), nullptr);  // a folder where the file goes
    UserSettings start;
    start.stopOnUserInput = true;
    DialogRun dialog{start};
    ASSERT_NE(dialog.window(), nullptr);
    EXPECT_EQ(IsDlgButtonChecked(dialog.window(), kStopOnUserInputBox), static_cast<UINT>(BST_CHECKED));
    ASSERT_TRUE(keys(L"Return"));
    EXPECT_TRUE(pumpMessagesUntil([&] { return dialog.text(kErrorText).rfind(L"⚠ 无法保存设置文件：", 0) == 0; }, 3000))
        << wideToUtf8(dialog.text(kErrorText));
    EXPECT_TRUE(IsWindow(dialog.window()));
    ASSERT_TRUE(keys(L"Escape"));
    ASSERT_TRUE(dialog.waitEnd());
    EXPECT_FALSE(dialog.answer());
    RemoveDirectoryW((folder + L"\\settings.cfg").c_str());
}

TEST_F(SettingsDialogTest, TheCallersSaveGetsTheChosenSettingsOnlyWhenOkMayCloseAndItsErrorIsShown)
{
    std::atomic<int> saves{0};
    std::atomic<bool> savedStopOnInput{false};
    DialogRun dialog{UserSettings{}, [&](const UserSettings& chosen, std::wstring& error) {
                         savedStopOnInput = chosen.stopOnUserInput;
                         error = L"磁盘已满";
                         return ++saves > 1;  // the first save fails
                     }};
    ASSERT_NE(dialog.window(), nullptr);
    ASSERT_TRUE(keys(L"Tab Tab F8 Return"));  // the stop key equal to the record key
    ASSERT_TRUE(dialog.waitText(kErrorText, L"⚠ 「停止键」与「录制键」相同（F8），请换一个按键。"));
    EXPECT_EQ(saves, 0) << "a refused OK saves nothing";

    ASSERT_TRUE(keys(L"F9 Tab space Return"));
    EXPECT_TRUE(dialog.waitText(kErrorText, L"⚠ 磁盘已满")) << wideToUtf8(dialog.text(kErrorText));
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(savedStopOnInput) << "the save gets what the fields show";
    EXPECT_FALSE(fileExists(userSettingsPath())) << "only the caller's save writes";

    ASSERT_TRUE(keys(L"Return"));
    ASSERT_TRUE(dialog.waitEnd());
    EXPECT_TRUE(dialog.answer());
    EXPECT_EQ(saves, 2);
    EXPECT_TRUE(dialog.settings().stopOnUserInput);
}

TEST_F(SettingsDialogTest, ItsFontIsTheProgramsNinePointFont)
{
    DialogRun dialog{UserSettings{}};
    ASSERT_NE(dialog.window(), nullptr);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog.window(), WM_GETFONT, 0, 0));
    LOGFONTW described{};
    ASSERT_NE(GetObjectW(font, sizeof described, &described), 0);
    EXPECT_EQ(std::wstring(described.lfFaceName), L"Microsoft YaHei");
    EXPECT_EQ(described.lfHeight, -12) << "9 points at 96 DPI";
    // Sizes are dialog units of that font: the OK button is 50 units wide.
    RECT units{0, 0, 50, 14};
    MapDialogRect(dialog.window(), &units);
    RECT ok{};
    GetWindowRect(GetDlgItem(dialog.window(), IDOK), &ok);
    EXPECT_EQ(ok.right - ok.left, units.right);
    EXPECT_GT(units.right, 50) << "a dialog unit is more than a pixel for a 9 point font";
}

}  // namespace
