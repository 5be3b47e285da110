#pragma once
// Private window and thread messages shared between the subsystems.

#include <windows.h>

// Posted to the main window.
constexpr UINT WM_APP_EVENT_ADDED = WM_APP + 1;  // wParam: index of the new event
constexpr UINT WM_APP_HOTKEY_F7 = WM_APP + 3;
constexpr UINT WM_APP_HOTKEY_F9 = WM_APP + 4;
constexpr UINT WM_APP_PLAYBACK_ENDED = WM_APP + 5;  // wParam: 1 stopped, 0 completed
constexpr UINT WM_APP_HOTKEY_F8 = WM_APP + 6;
constexpr UINT WM_APP_PLAYBACK_LOOP = WM_APP + 7;  // wParam: pass from 1, lParam: limit or 0

// Thread messages of the input hook thread.
constexpr UINT WM_APP_HOOK_INSTALL = WM_APP + 10;
constexpr UINT WM_APP_HOOK_REMOVE = WM_APP + 11;
constexpr UINT WM_APP_HOOK_QUIT = WM_APP + 12;

// Private to the update windows.
constexpr UINT WM_APP_CHECK_DONE = WM_APP + 21;
constexpr UINT WM_APP_START_DOWNLOAD = WM_APP + 22;
