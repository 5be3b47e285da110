#pragma once
// What the recorder and the player ask about top-level windows, each answer without sending a
// message to the window's program or waiting on it: a hung program must not stall the input hook
// or a playback.

#include <cstdint>
#include <string>
#include <windows.h>

#include "base/window_facts_cache.h"

// The top-level window (root ancestor) of a window; null for null.
HWND topLevelWindowOf(HWND window);
// The window class name, UTF-8.
std::string windowClassUtf8(HWND window);
// The window text as the window manager keeps it (InternalGetWindowText), UTF-8.
std::string windowTitleUtf8(HWND window);
// The lower-case file name of the executable of a process (QueryFullProcessImageNameW with
// limited query rights); "" when the process cannot be opened (an elevated one).
std::string processExeName(uint32_t processId);
// The process of a window; 0 for a window that is gone.
uint32_t windowProcessId(HWND window);
// The lookups of a WindowFactsCache on this system: processExeName, the class, monitorDpiOf.
WindowFactsCache::Lookups systemWindowFacts();
// The screen position of the client area's top-left corner; false for a window that is gone.
bool clientOriginOf(HWND window, POINT& origin);
// The DPI of the monitor the window is on (GetDpiForMonitor where the system has it, else the
// screen's DPI), made sane.
int monitorDpiOf(HWND window);
// The same for a monitor.
int dpiOfMonitor(HMONITOR monitor);
