#pragma once
// The program under test as the whole-program checks meet it: its window ids and texts, a started
// instance with a log of its own, the screen scale, a loopback update server, the test fixture.

#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "e2e/e2e_support.h"
#include "support/xdotool.h"

constexpr wchar_t appTitle[] = L"岚溪脚本录制软件";
constexpr wchar_t appClass[] = L"ScriptRecorderWnd";
constexpr wchar_t readyStatus[] = L"就绪  ·  F8 录制 / F9 停止";

// Control ids of the main window.
constexpr int idRecord = 1003;
constexpr int idRecordStop = 1004;
constexpr int idSpeed = 1005;
constexpr int idLoop = 1007;
constexpr int idPlay = 1008;
constexpr int idPlayStop = 1009;
constexpr int idEventCount = 1010;
constexpr int idSave = 1011;
constexpr int idLoad = 1012;
constexpr int idClear = 1013;
constexpr int idEventList = 1014;
constexpr int idStatus = 1015;
constexpr int idCheckUpdate = 1020;

inline std::wstring folderFor(const std::wstring& name)
{
    return ensureFolder(outputFolder() + L"\\" + name);
}

// The program under test, started with its own LOCALAPPDATA so that its log can be read.
class App {
public:
    // Says, when no window showed, whether the process never started, ended (with its code) or
    // still runs, with its log.
    ::testing::AssertionResult start(const std::wstring& localAppData, const std::wstring& exe = appExe(),
                                     const std::wstring& arguments = L"")
    {
        appData = localAppData;
        if (!keepRecoveryJournals) {
            // A check that ended with unsaved events in a killed instance left a journal, whose
            // question would stand in the way of the next start.
            removeRecoveryJournals(appData);
        }
        if (!child.start(exe, arguments, {{L"LOCALAPPDATA", appData}})) {
            return ::testing::AssertionFailure() << "CreateProcess failed, err=" << GetLastError();
        }
        window = waitForTopLevel(child.id(), appClass, nullptr, 20000);
        if (window != nullptr) {
            return ::testing::AssertionSuccess();
        }
        DWORD code = 0;
        auto failure = ::testing::AssertionFailure() << "no window within 20 s; the process ";
        if (child.waitForExit(0, code)) {
            failure << "ended with code " << code;
        } else {
            failure << "still runs";
        }
        return failure << "; error log:\n" << errorLog();
    }

    std::wstring status() const { return controlText(window, idStatus); }

    bool waitStatus(const std::wstring& text, unsigned timeoutMs) const
    {
        return waitUntil([&] { return status() == text; }, timeoutMs);
    }

    bool waitStatusPrefix(const std::wstring& prefix, unsigned timeoutMs) const
    {
        return waitUntil([&] { return status().compare(0, prefix.size(), prefix) == 0; }, timeoutMs);
    }

    std::vector<std::wstring> rows() const { return listBoxRows(GetDlgItem(window, idEventList)); }

    bool click(int id) const { return clickControl(window, id); }

    // Clicks a control and moves the pointer straight on to where a replay begins. Under wine
    // another process may, for a moment after the player's SetCursorPos, still report the place
    // where the X pointer rests; a replayed press can then land there, on the play button, and
    // be lost. A user's hand leaves the button after the click as well.
    bool clickAndMoveTo(int id, POINT then) const
    {
        HWND control = GetDlgItem(window, id);
        return control != nullptr && clickAndMoveOn(centerOf(control), then);
    }

    // Brings the window to the front the way a user does, with a click on its title bar.
    bool activate() const
    {
        const RECT outer = screenRect(window);
        const RECT client = clientScreenRect(window);
        const int x = (outer.left + outer.right) / 2;
        const int y = (outer.top + client.top) / 2 + 2;
        return clickAt(x, y) && waitUntil([&] { return GetForegroundWindow() == window; }, 3000);
    }

    bool closeWithKeyboard() const { return activate() && pressKeys(L"alt+F4"); }

    bool waitForExit(unsigned timeoutMs, DWORD& code) { return child.waitForExit(timeoutMs, code); }
    bool running() const { return child.running(); }
    DWORD processId() const { return child.id(); }

    std::string errorLog() const { return readFileBytes(appData + L"\\ScriptRecorder\\error.log"); }

    // Terminates the program at once, as a crash or the task manager does.
    bool kill()
    {
        DWORD code = 0;
        child.terminate();
        return child.waitForExit(10000, code);
    }

    static std::wstring recoveryFolderOf(const std::wstring& localAppData)
    {
        return localAppData + L"\\LorminRecorder\\recovery";
    }
    static void removeRecoveryJournals(const std::wstring& localAppData)
    {
        const std::wstring folder = recoveryFolderOf(localAppData);
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((folder + L"\\*.journal").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return;
        }
        do {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }

    HWND window = nullptr;
    // Whether start leaves the journals of earlier instances for the program to find.
    bool keepRecoveryJournals = false;

private:
    ChildProcess child;
    std::wstring appData;
};

// Sets the speed field the way a user does: click, erase, type, leave the field.
inline bool setSpeed(const App& app, const std::wstring& text)
{
    return app.click(idSpeed) && pressKeys(L"End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace") &&
           typeText(text, 30) && pressKeys(L"Tab");
}

// The screen scale that programs started from now on see (96 = 100 %, 144 = 150 %); back to
// 96 when the guard goes away, so that a failed check never leaks the scale into the next.
class ScreenScale {
public:
    explicit ScreenScale(DWORD dpi) { ok = set(dpi); }
    ~ScreenScale() { set(96); }
    ScreenScale(const ScreenScale&) = delete;
    ScreenScale& operator=(const ScreenScale&) = delete;
    bool ok = false;

private:
    static bool set(DWORD dpi)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const bool written = RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                                            sizeof dpi) == ERROR_SUCCESS;
        RegCloseKey(key);
        return written;
    }
};

// A loopback update server (update_server.py) on a free port; killed when the guard goes away.
class LoopbackUpdateServer {
public:
    LoopbackUpdateServer() = default;
    LoopbackUpdateServer(const LoopbackUpdateServer&) = delete;
    LoopbackUpdateServer& operator=(const LoopbackUpdateServer&) = delete;
    ~LoopbackUpdateServer()
    {
        if (started) {
            runLinuxCommand(L"/bin/sh", L"-c \"kill $(cat '" + unixPathOf(pidFile) + L"')\"");
        }
    }

    bool start(const std::wstring& payload)
    {
        const std::wstring folder = folderFor(L"update_server");
        portFile = folder + L"\\port";
        pidFile = folder + L"\\pid";
        removeFileIfPresent(portFile);
        removeFileIfPresent(pidFile);
        const std::wstring command = L"python3 '" + unixPathOf(dosPathOf(LR_E2E_SOURCE_DIR "/update_server.py")) +
                                     L"' '" + unixPathOf(payload) + L"' '" + unixPathOf(portFile) +
                                     L"' >/dev/null 2>&1 & echo $! > '" + unixPathOf(pidFile) + L"'";
        if (!runLinuxCommand(L"/bin/sh", L"-c \"" + command + L"\"")) {
            return false;
        }
        started = true;
        return waitUntil([&] { return !(port = readFileBytes(portFile)).empty(); }, 10000);
    }

    std::wstring baseUrl(const wchar_t* folderName) const
    {
        return L"http://127.0.0.1:" + utf8ToWide(port) + L"/" + folderName + L"/";
    }

private:
    bool started = false;
    std::wstring portFile;
    std::wstring pidFile;
    std::string port;
};

inline bool writeTextFile(const std::wstring& path, const std::string& text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
    CloseHandle(file);
    return ok;
}

// APPDATA of the programs started from now on: its LorminRecorder folder holds the given settings
// file and library.json (none where the text is empty); put back when the guard goes away.
class AppDataFolder {
public:
    AppDataFolder(const std::wstring& name, const std::string& settingsFile, const std::string& library = "")
    {
        wchar_t previous[MAX_PATH] = {};
        hadPrevious_ = GetEnvironmentVariableW(L"APPDATA", previous, MAX_PATH) > 0;
        previous_ = previous;
        folder_ = folderFor(name);
        const std::wstring own = ensureFolder(folder_ + L"\\LorminRecorder");
        for (const auto& [file, text] :
             {std::pair{own + L"\\settings.cfg", settingsFile}, std::pair{own + L"\\library.json", library}}) {
            removeFileIfPresent(file);
            if (!text.empty()) {
                writeTextFile(file, text);
            }
        }
        SetEnvironmentVariableW(L"APPDATA", folder_.c_str());
    }
    ~AppDataFolder() { SetEnvironmentVariableW(L"APPDATA", hadPrevious_ ? previous_.c_str() : nullptr); }
    AppDataFolder(const AppDataFolder&) = delete;
    AppDataFolder& operator=(const AppDataFolder&) = delete;

    const std::wstring& folder() const { return folder_; }
    std::wstring settingsFile() const { return folder_ + L"\\LorminRecorder\\settings.cfg"; }

private:
    std::wstring folder_;
    std::wstring previous_;
    bool hadPrevious_ = false;
};

// The pause between the start of a recording and its first click. A replay starts with a click
// on the play button; under wine the pointer position of that click may still be reported for a
// moment after the player has moved the cursor, and a replayed press that comes too soon can
// land on the play button instead. Even at speed 4 this leaves the replay 300 ms.
constexpr unsigned kLeadTimeMs = 1200;

// Gives the program under focus the keyboard with a click there, starts a recording with F8 and
// waits until the window says it records.
inline ::testing::AssertionResult beginRecordingAt(const App& app, POINT focus)
{
    if (!clickAt(focus.x, focus.y) || !pressKeys(L"F8")) {
        return ::testing::AssertionFailure() << "xdotool failed";
    }
    if (!app.waitStatus(L"● 录制中...", 5000)) {
        return ::testing::AssertionFailure() << "no recording: " << wideToUtf8(app.status());
    }
    return ::testing::AssertionSuccess();
}

class E2e : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (appExe().empty()) {
            GTEST_SKIP() << "LorminRecorder.exe is not part of this build";
        }
        ASSERT_TRUE(pointerMatchesScreen()) << "xdotool and the wine desktop disagree about positions";
    }

public:
    // A place for the target window beside the main window, so that replayed clicks never land
    // on LorminRecorder itself.
    static RECT besideOf(HWND window)
    {
        const RECT app = screenRect(window);
        if (1270 - app.right >= 420) {
            return RECT{app.right + 10, 40, 1270, 640};
        }
        return RECT{40, app.bottom + 10, 1240, std::min<LONG>(app.bottom + 420, 1010)};
    }

protected:
};
