// The screen picker's test program. Started with "--colour-window RRGGBB X Y W H" it is instead
// the window of another program that the tests pick from (a plain square of one colour, which
// takes a new colour from WM_APP's wParam); with "--pick" it shows the picker once and prints the
// pick, for a look at the picker by hand.
#include <cstdio>
#include <cwchar>
#include <string>

#include <windows.h>
#include <gtest/gtest.h>

#include "base/win_owners.h"
#include "support/message_pump.h"
#include "support/xdotool.h"
#include "ui/screen_picker.h"

namespace {

BrushHandle targetBrush;

LRESULT CALLBACK targetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_APP:
        targetBrush.reset(CreateSolidBrush(static_cast<COLORREF>(wParam)));
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, targetBrush.get());
        return 1;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

int runColourWindow(wchar_t** argv)
{
    const unsigned long rgb = std::wcstoul(argv[2], nullptr, 16);
    targetBrush.reset(CreateSolidBrush(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF)));
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &targetProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LrPickerTarget";
    RegisterClassW(&windowClass);
    const WindowHandle window(CreateWindowExW(0, L"LrPickerTarget", L"picker target", WS_POPUP | WS_VISIBLE,
                                              _wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5]), _wtoi(argv[6]), nullptr,
                                              nullptr, GetModuleHandleW(nullptr), nullptr));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}

int runPickByHand()
{
    ScreenPick pick;
    if (!pickOnScreen(nullptr, PickShape::PointOrRectangle, pick)) {
        std::printf("cancelled\n");
        return 1;
    }
    std::printf("%s point (%ld, %ld) area (%ld, %ld, %ld, %ld) colour #%02X%02X%02X window %p\n",
                pick.rectangle ? "rectangle" : "point", pick.point.x, pick.point.y, pick.area.left, pick.area.top,
                pick.area.right, pick.area.bottom, GetRValue(pick.colour), GetGValue(pick.colour),
                GetBValue(pick.colour), static_cast<void*>(pick.window));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 7 && std::wcscmp(argv[1], L"--colour-window") == 0) {
        return runColourWindow(argv);
    }
    if (argc >= 2 && std::wcscmp(argv[1], L"--pick") == 0) {
        return runPickByHand();
    }
    testing::InitGoogleTest(&argc, argv);
    if (!waitForRealKeys(30000)) {
        fwprintf(stderr, L"xdotool input does not reach this program\n");
        return 3;
    }
    return RUN_ALL_TESTS();
}
