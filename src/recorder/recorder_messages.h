#pragma once
// The messages the recorder posts to the main window, and the thread messages that drive its
// input hook thread.

#include <windows.h>

// Posted to the main window.
constexpr UINT WM_APP_EVENT_ADDED = WM_APP + 1;  // wParam: index of the new event
constexpr UINT WM_APP_HOTKEY_F7 = WM_APP + 3;
constexpr UINT WM_APP_HOTKEY_F9 = WM_APP + 4;
constexpr UINT WM_APP_HOTKEY_F8 = WM_APP + 6;

// Thread messages of the input hook thread.
constexpr UINT WM_APP_HOOK_INSTALL = WM_APP + 10;
constexpr UINT WM_APP_HOOK_REMOVE = WM_APP + 11;
constexpr UINT WM_APP_HOOK_QUIT = WM_APP + 12;
