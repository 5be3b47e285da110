// A small helper for scripts and whole-program checks that run outside wine: waits for a
// top-level window of a class, reports its client area, or asks it to close.
//
//   lr_window_tool wait CLASS TIMEOUT_MS   exit 0 once a visible window of CLASS exists; prints
//                                          "x y width height" of its client area on the screen
//   lr_window_tool close CLASS             posts WM_CLOSE to it; exit 0 when there was one
#include <cstdio>
#include <cwchar>
#include <windows.h>

namespace {

HWND findVisible(const wchar_t* className)
{
    HWND window = FindWindowW(className, nullptr);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

int waitFor(const wchar_t* className, unsigned timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND window = findVisible(className)) {
            RECT client{};
            GetClientRect(window, &client);
            POINT origin{0, 0};
            ClientToScreen(window, &origin);
            std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
            return 0;
        }
        if (GetTickCount64() >= end) {
            std::fprintf(stderr, "no window of that class appeared\n");
            return 1;
        }
        Sleep(100);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 4 && std::wcscmp(argv[1], L"wait") == 0) {
        return waitFor(argv[2], static_cast<unsigned>(std::wcstoul(argv[3], nullptr, 10)));
    }
    if (argc >= 3 && std::wcscmp(argv[1], L"close") == 0) {
        HWND window = FindWindowW(argv[2], nullptr);
        return window != nullptr && PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: lr_window_tool wait CLASS TIMEOUT_MS | close CLASS\n");
    return 2;
}
