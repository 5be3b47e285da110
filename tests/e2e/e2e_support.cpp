#include "e2e/e2e_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <map>
#include <sstream>

#include "e2e/target_protocol.h"
#include "support/xdotool.h"

// ---- paths -------------------------------------------------------------------------------

std::wstring dosPathOf(const std::string& unixPath)
{
    std::wstring path = L"Z:";
    for (char c : unixPath) {
        path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return path;
}

std::wstring unixPathOf(const std::wstring& dosPath)
{
    std::wstring path =
        dosPath.compare(0, 2, L"Z:") == 0 || dosPath.compare(0, 2, L"z:") == 0 ? dosPath.substr(2) : dosPath;
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

std::wstring ensureFolder(const std::wstring& path)
{
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

void removeFileIfPresent(const std::wstring& path)
{
    DeleteFileW(path.c_str());
}

// ---- processes ---------------------------------------------------------------------------

namespace {

struct CaseInsensitiveLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return _wcsicmp(a.c_str(), b.c_str()) < 0; }
};

std::vector<wchar_t> environmentBlock(const std::vector<std::pair<std::wstring, std::wstring>>& changes)
{
    std::map<std::wstring, std::wstring, CaseInsensitiveLess> variables;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; entry != nullptr && *entry != L'\0'; entry += wcslen(entry) + 1) {
        const wchar_t* equals = wcschr(entry + 1, L'=');  // names like "=C:" start with '='
        if (equals == nullptr) {
            continue;
        }
        variables[std::wstring(entry, equals)] = equals + 1;
    }
    FreeEnvironmentStringsW(strings);
    for (const auto& change : changes) {
        if (change.second.empty()) {
            variables.erase(change.first);
        } else {
            variables[change.first] = change.second;
        }
    }
    std::vector<wchar_t> block;
    for (const auto& variable : variables) {
        const std::wstring entry = variable.first + L"=" + variable.second;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

}  // namespace

ChildProcess::~ChildProcess()
{
    if (process != nullptr) {
        if (running()) {
            terminate();
        }
        CloseHandle(process);
    }
}

bool ChildProcess::start(const std::wstring& exe, const std::wstring& arguments,
                         const std::vector<std::pair<std::wstring, std::wstring>>& environment)
{
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    std::vector<wchar_t> block = environmentBlock(environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, block.data(),
                        nullptr, &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process = info.hProcess;
    processId = info.dwProcessId;
    return true;
}

bool ChildProcess::running() const
{
    return process != nullptr && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::waitForExit(unsigned timeoutMs, DWORD& exitCode)
{
    if (process == nullptr || WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    GetExitCodeProcess(process, &exitCode);
    return true;
}

void ChildProcess::terminate()
{
    if (process != nullptr) {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
    }
}

// ---- waiting -----------------------------------------------------------------------------

bool waitUntil(const std::function<bool()>& done, unsigned timeoutMs, unsigned stepMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= end) {
            return done();
        }
        Sleep(stepMs);
    }
    return true;
}

// ---- windows -----------------------------------------------------------------------------

namespace {

struct TopLevelQuery {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* title;
    std::vector<HWND> found;
};

BOOL CALLBACK collectTopLevel(HWND window, LPARAM context)
{
    auto* query = reinterpret_cast<TopLevelQuery*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != query->processId || !IsWindowVisible(window)) {
        return TRUE;
    }
    if (query->className != nullptr && windowClass(window) != query->className) {
        return TRUE;
    }
    if (query->title != nullptr && windowText(window) != query->title) {
        return TRUE;
    }
    query->found.push_back(window);
    return TRUE;
}

struct ChildQuery {
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK collectChild(HWND window, LPARAM context)
{
    auto* query = reinterpret_cast<ChildQuery*>(context);
    if (query->className == nullptr || _wcsicmp(windowClass(window).c_str(), query->className) == 0) {
        query->found.push_back(window);
    }
    return TRUE;
}

LRESULT sendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 3000, &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

}  // namespace

std::vector<HWND> topLevelWindows(DWORD processId, const wchar_t* className, const wchar_t* title)
{
    TopLevelQuery query{processId, className, title, {}};
    EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND waitForTopLevel(DWORD processId, const wchar_t* className, const wchar_t* title, unsigned timeoutMs)
{
    HWND found = nullptr;
    waitUntil(
        [&] {
            std::vector<HWND> windows = topLevelWindows(processId, className, title);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::wstring windowText(HWND window)
{
    // WM_GETTEXT is marshalled across processes, and unlike GetWindowTextW it also reaches
    // the text of edit controls in another process.
    const LRESULT length = sendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = sendWithTimeout(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return copied > 0 ? std::wstring(buffer.data(), static_cast<size_t>(copied)) : std::wstring();
}

std::wstring windowClass(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring controlText(HWND parent, int id)
{
    HWND control = GetDlgItem(parent, id);
    return control != nullptr ? windowText(control) : std::wstring();
}

bool controlEnabled(HWND parent, int id)
{
    HWND control = GetDlgItem(parent, id);
    return control != nullptr && IsWindowEnabled(control);
}

std::vector<std::wstring> listBoxRows(HWND list)
{
    std::vector<std::wstring> rows;
    const LRESULT count = sendWithTimeout(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = sendWithTimeout(list, LB_GETTEXTLEN, i, 0);
        std::vector<wchar_t> buffer(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        const LRESULT copied = sendWithTimeout(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
        rows.emplace_back(buffer.data(), static_cast<size_t>(std::max<LRESULT>(copied, 0)));
    }
    return rows;
}

RECT screenRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT clientScreenRect(HWND window)
{
    RECT rect{};
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT centerOf(HWND window)
{
    const RECT rect = screenRect(window);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::vector<HWND> descendants(HWND parent, const wchar_t* className)
{
    ChildQuery query{className, {}};
    EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

bool openNotepad(Notepad& notepad, const RECT& place)
{
    if (!notepad.process.start(L"C:\\windows\\system32\\notepad.exe", L"")) {
        return false;
    }
    notepad.window = waitForTopLevel(notepad.process.id(), L"Notepad", nullptr, 10000);
    if (notepad.window == nullptr) {
        return false;
    }
    MoveWindow(notepad.window, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
    const std::vector<HWND> edits = descendants(notepad.window, L"Edit");
    notepad.edit = edits.empty() ? nullptr : edits.front();
    return notepad.edit != nullptr;
}

// ---- real input through xdotool -----------------------------------------------------------

bool moveMouse(int x, int y)
{
    return runXdotool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y));
}

bool clickAt(int x, int y, int button)
{
    return runXdotool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) + L" click " +
                      std::to_wstring(button));
}

bool doubleClickAt(int x, int y, unsigned gapMs)
{
    return runXdotool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) + L" click --repeat 2 --delay " +
                      std::to_wstring(gapMs) + L" 1");
}

bool clickAndMoveOn(POINT click, POINT then)
{
    return runXdotool(L"mousemove " + std::to_wstring(click.x) + L" " + std::to_wstring(click.y) +
                      L" click 1 mousemove " + std::to_wstring(then.x) + L" " + std::to_wstring(then.y));
}

bool clickControl(HWND parent, int id)
{
    HWND control = GetDlgItem(parent, id);
    if (control == nullptr) {
        return false;
    }
    const POINT p = centerOf(control);
    return clickAt(p.x, p.y);
}

bool pressKeys(const std::wstring& keys)
{
    return runXdotool(L"key " + keys);
}

bool typeText(const std::wstring& text, unsigned delayMs)
{
    return runXdotool(L"type --delay " + std::to_wstring(delayMs) + L" \"" + text + L"\"");
}

bool wheel(int notches)
{
    if (notches == 0) {
        return true;
    }
    const int button = notches > 0 ? 4 : 5;
    const int count = notches > 0 ? notches : -notches;
    return runXdotool(L"click --repeat " + std::to_wstring(count) + L" --delay 60 " + std::to_wstring(button));
}

bool keyDown(const std::wstring& key)
{
    return runXdotool(L"keydown " + key);
}

bool keyUp(const std::wstring& key)
{
    return runXdotool(L"keyup " + key);
}

bool mouseDown(int button)
{
    return runXdotool(L"mousedown " + std::to_wstring(button));
}

bool mouseUp(int button)
{
    return runXdotool(L"mouseup " + std::to_wstring(button));
}

bool pointerMatchesScreen()
{
    const POINT probes[] = {{123, 234}, {801, 655}};
    for (const POINT& probe : probes) {
        if (!moveMouse(probe.x, probe.y)) {
            return false;
        }
        const bool arrived = waitUntil(
            [&] {
                POINT p{};
                GetCursorPos(&p);
                return p.x == probe.x && p.y == probe.y;
            },
            2000);
        if (!arrived) {
            return false;
        }
    }
    return true;
}

// ---- the screen ---------------------------------------------------------------------------

COLORREF screenPixel(int x, int y)
{
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

bool saveScreenshot(const std::wstring& dosPath)
{
    return runLinuxCommand(L"/usr/bin/import", L"-window root \"" + unixPathOf(dosPath) + L"\"", 30000);
}

// ---- message boxes and file dialogs ---------------------------------------------------------

namespace {

constexpr wchar_t dialogClass[] = L"#32770";

std::wstring messageTextOf(HWND box)
{
    // The message is the static text with id 0xFFFF; fall back to the longest static text.
    HWND text = GetDlgItem(box, 0xFFFF);
    if (text != nullptr) {
        return windowText(text);
    }
    std::wstring longest;
    for (HWND child : descendants(box, L"Static")) {
        std::wstring candidate = windowText(child);
        if (candidate.size() > longest.size()) {
            longest = candidate;
        }
    }
    return longest;
}

HWND fileNameField(HWND dialog)
{
    // The explorer-style dialogs name the field cmb13 (a combo box with an edit) or edt1.
    HWND field = GetDlgItem(dialog, 0x47C);
    if (field != nullptr) {
        std::vector<HWND> edits = descendants(field, L"Edit");
        return edits.empty() ? field : edits.front();
    }
    return GetDlgItem(dialog, 0x480);
}

}  // namespace

bool waitForMessageBox(DWORD processId, const wchar_t* caption, MessageBoxSeen& seen, unsigned timeoutMs)
{
    HWND box = waitForTopLevel(processId, dialogClass, caption, timeoutMs);
    if (box == nullptr) {
        return false;
    }
    seen.box = box;
    seen.caption = caption;
    // The text may be set a moment after the window shows.
    waitUntil([&] { return !(seen.text = messageTextOf(box)).empty(); }, 2000);
    return true;
}

bool answerMessageBox(const MessageBoxSeen& seen, int buttonId)
{
    if (!clickControl(seen.box, buttonId)) {
        return false;
    }
    return waitUntil([&] { return !IsWindow(seen.box) || !IsWindowVisible(seen.box); }, 5000);
}

size_t openDialogCount(DWORD processId)
{
    return topLevelWindows(processId, dialogClass).size();
}

bool chooseFileInDialog(DWORD processId, const std::wstring& path, unsigned timeoutMs)
{
    HWND dialog = nullptr;
    HWND field = nullptr;
    waitUntil(
        [&] {
            for (HWND candidate : topLevelWindows(processId, dialogClass)) {
                if (HWND f = fileNameField(candidate)) {
                    dialog = candidate;
                    field = f;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    if (dialog == nullptr) {
        return false;
    }
    // Let the dialog finish filling its folder view before typing into it.
    Sleep(500);
    const POINT p = centerOf(field);
    if (!clickAt(p.x, p.y) || !pressKeys(L"ctrl+a BackSpace") || !typeText(path, 20)) {
        return false;
    }
    if (!waitUntil([&] { return windowText(field) == path; }, 3000)) {
        return false;
    }
    if (!pressKeys(L"Return")) {
        return false;
    }
    return waitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000);
}

// ---- the target program -------------------------------------------------------------------

std::vector<TargetEntry> readTargetLog(const std::wstring& path)
{
    std::vector<TargetEntry> entries;
    std::istringstream lines(readFileBytes(path));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        TargetEntry entry;
        if (!(fields >> entry.time >> entry.name)) {
            continue;
        }
        if (entry.name == "path") {
            std::getline(fields >> std::ws, entry.text);
        } else if (entry.name == "held") {
            std::string word;
            std::vector<int>* into = &entry.held;
            while (fields >> word) {
                if (word == "/") {
                    into = &entry.heldByThread;
                } else {
                    into->push_back(std::atoi(word.c_str()));
                }
            }
        } else if (!(fields >> entry.a >> entry.b >> entry.c)) {
            continue;  // a line still being written
        }
        entries.push_back(entry);
    }
    return entries;
}

bool isMouseMove(const TargetEntry& entry)
{
    return entry.name == "move";
}

bool isInputAction(const TargetEntry& entry)
{
    static const char* const names[] = {"ldown", "lup",   "ldbl",   "rdown",   "rup",   "rdbl",       "mdown",   "mup",
                                        "mdbl",  "wheel", "hwheel", "keydown", "keyup", "syskeydown", "syskeyup"};
    return std::find(std::begin(names), std::end(names), entry.name) != std::end(names);
}

// ---- the programs of this build -------------------------------------------------------------

std::wstring targetExe()
{
    return dosPathOf(LR_E2E_TARGET_EXE);
}

std::wstring appExe()
{
#ifdef LR_APP_EXE
    return dosPathOf(LR_APP_EXE);
#else
    return std::wstring();
#endif
}

std::wstring outputFolder()
{
    return ensureFolder(dosPathOf(LR_E2E_OUTPUT_DIR));
}

bool TargetWindow::start(const std::wstring& logPath, const RECT& rect)
{
    log = logPath;
    removeFileIfPresent(log);
    const std::wstring arguments = L"\"" + log + L"\" " + std::to_wstring(rect.left) + L" " +
                                   std::to_wstring(rect.top) + L" " + std::to_wstring(rect.right - rect.left) + L" " +
                                   std::to_wstring(rect.bottom - rect.top);
    if (!child.start(targetExe(), arguments)) {
        return false;
    }
    handle = waitForTopLevel(child.id(), e2eTargetClass, e2eTargetTitle, 10000);
    return handle != nullptr && waitUntil([&] { return !entries().empty(); }, 5000);
}

bool TargetWindow::heldKeys(std::vector<int>& held)
{
    std::vector<int> heldByThread;
    return heldKeys(held, heldByThread);
}

bool TargetWindow::heldKeys(std::vector<int>& held, std::vector<int>& heldByThread)
{
    const size_t before = entries().size();
    PostMessageW(handle, WM_APP_REPORT_HELD, 0, 0);
    bool found = false;
    waitUntil(
        [&] {
            const std::vector<TargetEntry> now = entries();
            for (size_t i = before; i < now.size(); ++i) {
                if (now[i].name == "held") {
                    held = now[i].held;
                    heldByThread = now[i].heldByThread;
                    found = true;
                }
            }
            return found;
        },
        3000);
    return found;
}

POINT TargetWindow::pointAt(double fx, double fy) const
{
    const RECT client = clientScreenRect(handle);
    return POINT{client.left + static_cast<LONG>((client.right - client.left) * fx),
                 client.top + static_cast<LONG>((client.bottom - client.top) * fy)};
}

void TargetWindow::close()
{
    if (handle != nullptr) {
        PostMessageW(handle, WM_CLOSE, 0, 0);
        DWORD code = 0;
        child.waitForExit(5000, code);
        handle = nullptr;
    }
}
