#pragma once
// The one platform call of the input hook thread that tests replace: installing a hook. A test
// can make one of the two installations fail and watch the recorder's answer to that.

#include <windows.h>

using InstallHookFn = HHOOK(WINAPI*)(int idHook, HOOKPROC procedure, HINSTANCE module, DWORD threadId);
extern InstallHookFn installHookSeam;  // SetWindowsHookExW unless a test replaced it
