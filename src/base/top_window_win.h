#pragma once
// What the recorder and the player ask about top-level windows, each answer without sending a
// message to the window's program or waiting on it: a hung program must not stall the input hook
// or a playback.

#include <string>
#include <windows.h>

#include "base/exe_name_cache.h"

// The top-level window (root ancestor) of a window; null for null.
HWND topLevelWindowOf(HWND window);
// The window class name, UTF-8.
std::string windowClassUtf8(HWND window);
// The window text as the window manager keeps it (InternalGetWindowText), UTF-8.
std::string windowTitleUtf8(HWND window);
// The lower-case file name of the executable of a process (QueryFullProcessImageNameW with
// limited query rights); "" when the process cannot be opened (an elevated one).
std::string processExeName(uint32_t processId);
// The executable name of the window's process, through the cache.
std::string windowExeName(ExeNameCache& cache, HWND window);
// The screen position of the client area's top-left corner; false for a window that is gone.
bool clientOriginOf(HWND window, POINT& origin);
// The DPI of the monitor the window is on (GetDpiForMonitor where the system has it, else the
// screen's DPI), made sane.
int monitorDpiOf(HWND window);
