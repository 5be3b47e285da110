#include <cstdio>

#include <windows.h>
#include <gtest/gtest.h>

#include "base/win_owners.h"
#include "support/message_pump.h"
#include "support/xdotool.h"

namespace {

bool keySeen = false;

LRESULT CALLBACK watchKeys(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        keySeen = true;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// On a wine prefix that was just made the virtual desktop comes up some seconds after the first
// program starts; until then xdotool's keys reach nobody.
bool waitForRealKeys(unsigned timeoutMs)
{
    const HookHandle hook(SetWindowsHookExW(WH_KEYBOARD_LL, &watchKeys, nullptr, 0));
    if (!hook) {
        return false;
    }
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!keySeen && GetTickCount64() < end) {
        runXdotool(L"key shift");
        pumpMessagesFor(300);
    }
    return keySeen;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!waitForRealKeys(30000)) {
        fwprintf(stderr, L"xdotool input does not reach this program\n");
        return 3;
    }
    return RUN_ALL_TESTS();
}
