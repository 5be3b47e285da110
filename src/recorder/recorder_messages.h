#pragma once
// The messages the recorder posts to the main window, and the thread messages that drive its
// input hook thread.

#include <windows.h>

// Posted to the main window, wParam and lParam 0 unless said otherwise.
constexpr UINT WM_APP_EVENT_ADDED = WM_APP + 1;  // wParam: index of the new event
// The hotkeys, named after their default keys; the keys themselves are the user's settings
// (Recorder::setChords).
constexpr UINT WM_APP_HOTKEY_F7 = WM_APP + 3;  // the alternate record chord went down (F7)
constexpr UINT WM_APP_HOTKEY_F9 = WM_APP + 4;  // the stop chord went down (F9)
constexpr UINT WM_APP_HOTKEY_F8 = WM_APP + 6;  // the record chord went down (F8)
// The user moved the mouse away from where the playback put it, or pressed a mouse button,
// during a playback, with "stop on user input" set; posted once per playback.
constexpr UINT WM_APP_USER_TAKEOVER = WM_APP + 8;

// Thread messages of the input hook thread.
constexpr UINT WM_APP_HOOK_INSTALL = WM_APP + 10;
constexpr UINT WM_APP_HOOK_REMOVE = WM_APP + 11;
constexpr UINT WM_APP_HOOK_QUIT = WM_APP + 12;
