// A plain window that writes down every mouse and keyboard message it receives, so that the
// whole-program checks can compare what a user did with what a playback replays.
//
//   e2e_target.exe LOGFILE X Y WIDTH HEIGHT
//
// One line per message: "<seconds> <name> <a> <b> <c>", seconds from the performance counter
// (the same clock in every process). Mouse lines carry the screen position and the wheel delta or
// key-state flags; key lines the virtual key, the scan code with the extended bit (0x100) and the
// repeat count; char lines the UTF-16 unit. A posted WM_APP_REPORT_HELD writes one "held" line with
// every virtual key that GetAsyncKeyState reports down, mouse buttons included, then "/" and the
// keys that GetKeyState reports down. Two more posted
// messages open a message box and a save dialog, so that the checks can try their dialog
// handling on standard windows, and one makes the program hang for a while ("awake" after it).
#include "e2e/target_protocol.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

namespace {

FILE* logFile = nullptr;
double counterFrequency = 1.0;

double performanceSeconds()
{
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / counterFrequency;
}

void logLine(const char* name, long a, long b, long c)
{
    if (logFile == nullptr) {
        return;
    }
    fprintf(logFile, "%.6f %s %ld %ld %ld\n", performanceSeconds(), name, a, b, c);
    fflush(logFile);
}

const char* mouseMessageName(UINT message)
{
    switch (message) {
    case WM_MOUSEMOVE: return "move";
    case WM_LBUTTONDOWN: return "ldown";
    case WM_LBUTTONUP: return "lup";
    case WM_LBUTTONDBLCLK: return "ldbl";
    case WM_RBUTTONDOWN: return "rdown";
    case WM_RBUTTONUP: return "rup";
    case WM_RBUTTONDBLCLK: return "rdbl";
    case WM_MBUTTONDOWN: return "mdown";
    case WM_MBUTTONUP: return "mup";
    case WM_MBUTTONDBLCLK: return "mdbl";
    default: return nullptr;
    }
}

const char* keyMessageName(UINT message)
{
    switch (message) {
    case WM_KEYDOWN: return "keydown";
    case WM_KEYUP: return "keyup";
    case WM_SYSKEYDOWN: return "syskeydown";
    case WM_SYSKEYUP: return "syskeyup";
    default: return nullptr;
    }
}

void writeRawLine(const std::string& line)
{
    if (logFile != nullptr) {
        fprintf(logFile, "%.6f %s\n", performanceSeconds(), line.c_str());
        fflush(logFile);
    }
}

// Two views of the keyboard: the desktop's (GetAsyncKeyState) and the one this thread has built
// from the messages it received (GetKeyState). Under wine a key pressed with SendInput by another
// process may not show in the first, while its messages always update the second.
void reportHeld()
{
    std::string line = "held";
    for (int vk = 1; vk < 255; ++vk) {
        if (GetAsyncKeyState(vk) & 0x8000) {
            line += " " + std::to_string(vk);
        }
    }
    line += " /";
    for (int vk = 1; vk < 255; ++vk) {
        if (GetKeyState(vk) & 0x8000) {
            line += " " + std::to_string(vk);
        }
    }
    writeRawLine(line);
}

std::string toUtf8(const wchar_t* text)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(bytes > 0 ? static_cast<size_t>(bytes) : 1u, '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], bytes, nullptr, nullptr);
    }
    out.resize(out.size() - 1);
    return out;
}

void showSaveDialog(HWND window)
{
    wchar_t path[260] = {};
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = L"JSON (*.json)\0*.json\0\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = 260;
    dialog.lpstrDefExt = L"json";
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    const BOOL chosen = GetSaveFileNameW(&dialog);
    logLine("savedialog", chosen ? 1 : 0, 0, 0);
    writeRawLine("path " + toUtf8(path));
}

LRESULT CALLBACK targetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (const char* name = mouseMessageName(message)) {
        POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(window, &p);
        logLine(name, p.x, p.y, static_cast<long>(wParam));
        if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
            SetFocus(window);
        }
        return 0;
    }
    if (const char* name = keyMessageName(message)) {
        const long scan = static_cast<long>((lParam >> 16) & 0x1FF);  // scan code and extended bit
        logLine(name, static_cast<long>(wParam), scan, static_cast<long>(lParam & 0xFFFF));
        if (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) {
            return DefWindowProcW(window, message, wParam, lParam);  // keep Alt+F4 working
        }
        return 0;
    }
    switch (message) {
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        // Wheel positions are screen coordinates already.
        logLine(message == WM_MOUSEWHEEL ? "wheel" : "hwheel", static_cast<short>(LOWORD(lParam)),
                static_cast<short>(HIWORD(lParam)), static_cast<short>(HIWORD(wParam)));
        return 0;
    case WM_CHAR: logLine("char", static_cast<long>(wParam), 0, 0); return 0;
    case WM_ACTIVATE: logLine("activate", LOWORD(wParam), 0, 0); break;
    case WM_APP_REPORT_HELD: reportHeld(); return 0;
    case WM_APP_SHOW_MESSAGE:
        logLine("msgbox", MessageBoxW(window, L"测试消息", L"提示", MB_YESNO | MB_ICONQUESTION), 0, 0);
        return 0;
    case WM_APP_SHOW_SAVE_DIALOG: showSaveDialog(window); return 0;
    case WM_APP_HANG:
        Sleep(static_cast<DWORD>(wParam));
        logLine("awake", 0, 0, 0);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 6) {
        return 2;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    counterFrequency = static_cast<double>(frequency.QuadPart);
    logFile = _wfopen(argv[1], L"ab");
    if (logFile == nullptr) {
        return 3;
    }
    const int x = _wtoi(argv[2]);
    const int y = _wtoi(argv[3]);
    const int width = _wtoi(argv[4]);
    const int height = _wtoi(argv[5]);
    LocalFree(argv);

    // Positions are compared in physical pixels, as the recorder and player use them.
    SetProcessDPIAware();

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;  // so that a replayed double-click shows as one
    windowClass.lpfnWndProc = targetProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = e2eTargetClass;
    if (!RegisterClassExW(&windowClass)) {
        return 4;
    }
    HWND window = CreateWindowExW(0, e2eTargetClass, e2eTargetTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width,
                                  height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 5;
    }
    SetForegroundWindow(window);
    logLine("ready", 0, 0, 0);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    fclose(logFile);
    return 0;
}
