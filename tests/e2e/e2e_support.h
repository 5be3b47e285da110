#pragma once
// Helpers for driving whole programs from outside: processes, top-level windows and their
// controls, message boxes and file dialogs, real input through xdotool, and the log of the
// target program.

#include <functional>
#include <string>
#include <utility>
#include <vector>
#include <windows.h>

#include "support/file_bytes.h"

// ---- paths -------------------------------------------------------------------------------

// A Linux path as the Windows programs under wine see it ("/a/b" -> "Z:\a\b").
std::wstring dosPathOf(const std::string& unixPath);
// The Linux path of a path on the Z: drive.
std::wstring unixPathOf(const std::wstring& dosPath);
// Creates the folder (one level) and returns it.
std::wstring ensureFolder(const std::wstring& path);
void removeFileIfPresent(const std::wstring& path);

// ---- processes ---------------------------------------------------------------------------

// A started program; terminated when the owner goes away while it still runs.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Environment changes are applied on top of this process's environment; an empty value
    // removes the variable.
    bool start(const std::wstring& exe, const std::wstring& arguments,
               const std::vector<std::pair<std::wstring, std::wstring>>& environment = {});
    bool running() const;
    // True when the program ended within timeoutMs; its exit code goes to exitCode.
    bool waitForExit(unsigned timeoutMs, DWORD& exitCode);
    void terminate();
    DWORD id() const { return processId; }

private:
    HANDLE process = nullptr;
    DWORD processId = 0;
};

// ---- waiting -----------------------------------------------------------------------------

// Polls done() every stepMs until it is true or timeoutMs passed; returns done().
bool waitUntil(const std::function<bool()>& done, unsigned timeoutMs, unsigned stepMs = 20);

// ---- windows -----------------------------------------------------------------------------

// Visible top-level windows of a process, optionally only of one class and title.
std::vector<HWND> topLevelWindows(DWORD processId, const wchar_t* className = nullptr, const wchar_t* title = nullptr);
HWND waitForTopLevel(DWORD processId, const wchar_t* className, const wchar_t* title, unsigned timeoutMs);
std::wstring windowText(HWND window);
std::wstring windowClass(HWND window);
std::wstring controlText(HWND parent, int id);
bool controlEnabled(HWND parent, int id);
std::vector<std::wstring> listBoxRows(HWND list);
RECT screenRect(HWND window);
RECT clientScreenRect(HWND window);
POINT centerOf(HWND window);
// Child windows of one class, in z-order, at any depth.
std::vector<HWND> descendants(HWND parent, const wchar_t* className = nullptr);

// Notepad, started and placed at a screen rectangle, with its edit field.
struct Notepad {
    ChildProcess process;
    HWND window = nullptr;
    HWND edit = nullptr;
};
// False when Notepad did not open or has no edit field.
bool openNotepad(Notepad& notepad, const RECT& place);

// ---- real input through xdotool -----------------------------------------------------------

bool moveMouse(int x, int y);
bool clickAt(int x, int y, int button = 1);
bool doubleClickAt(int x, int y, unsigned gapMs);
// Clicks at one place and moves the pointer on to another at once, in one xdotool run.
bool clickAndMoveOn(POINT click, POINT then);
// Clicks the middle of a child control (found by id); false when there is no such control.
bool clickControl(HWND parent, int id);
// xdotool key names, e.g. L"F8", L"alt+F4", L"Return".
bool pressKeys(const std::wstring& keys);
bool typeText(const std::wstring& text, unsigned delayMs = 40);
bool wheel(int notches);  // positive turns forward (away from the user)
bool keyDown(const std::wstring& key);
bool keyUp(const std::wstring& key);
bool mouseDown(int button = 1);
bool mouseUp(int button = 1);

// The wine virtual desktop and the X screen share the origin; true when a pointer moved with
// xdotool is where GetCursorPos says.
bool pointerMatchesScreen();

// ---- the screen ---------------------------------------------------------------------------

COLORREF screenPixel(int x, int y);
// A PNG of the whole X screen (ImageMagick's import), for people to look at.
bool saveScreenshot(const std::wstring& dosPath);

// ---- message boxes and file dialogs ---------------------------------------------------------

struct MessageBoxSeen {
    HWND box = nullptr;
    std::wstring caption;
    std::wstring text;
};
// Waits for a dialog-class window of the process with this caption; reads its message text.
bool waitForMessageBox(DWORD processId, const wchar_t* caption, MessageBoxSeen& seen, unsigned timeoutMs);
// Clicks the box's button with this id (IDOK, IDYES, IDNO, IDCANCEL) and waits for the box to close.
bool answerMessageBox(const MessageBoxSeen& seen, int buttonId);
// Message boxes and dialogs of the process that are open right now.
size_t openDialogCount(DWORD processId);

// Waits for the open or save dialog of the process, types the path into its file name field
// and presses Enter; true when the dialog closed.
bool chooseFileInDialog(DWORD processId, const std::wstring& path, unsigned timeoutMs);

// ---- the target program -------------------------------------------------------------------

struct TargetEntry {
    double time = 0;
    std::string name;
    long a = 0;                     // mouse: screen x; key: virtual key; char: unit
    long b = 0;                     // mouse: screen y; key: scan code | 0x100 when extended
    long c = 0;                     // mouse: key-state flags or wheel delta; key: repeat count
    std::vector<int> held;          // "held" lines only: down for GetAsyncKeyState
    std::vector<int> heldByThread;  // "held" lines only: down for GetKeyState
    std::string text;               // "path" lines only: the rest of the line
};
std::vector<TargetEntry> readTargetLog(const std::wstring& path);
bool isMouseMove(const TargetEntry& entry);
// Button, wheel and key entries: what a replay has to reproduce one for one.
bool isInputAction(const TargetEntry& entry);

// ---- the programs of this build -------------------------------------------------------------

std::wstring targetExe();
// LorminRecorder.exe, or empty when this build has no such target.
std::wstring appExe();
// build/e2e: screenshots and logs for people to look at.
std::wstring outputFolder();

// The target program running in a window at a given screen rectangle, logging to a file.
class TargetWindow {
public:
    bool start(const std::wstring& logPath, const RECT& rect);
    HWND window() const { return handle; }
    DWORD processId() const { return child.id(); }
    std::vector<TargetEntry> entries() const { return readTargetLog(log); }
    // Asks the target which keys and buttons are down (GetAsyncKeyState); false on time-out.
    bool heldKeys(std::vector<int>& held);
    // The same, with the keys down by the target thread's own state (GetKeyState) as well.
    bool heldKeys(std::vector<int>& held, std::vector<int>& heldByThread);
    // A point inside the client area, given as fractions of its size.
    POINT pointAt(double fx, double fy) const;
    void close();

private:
    ChildProcess child;
    std::wstring log;
    HWND handle = nullptr;
};
