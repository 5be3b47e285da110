#pragma once
// The messages the recorder posts to the main window, and the thread messages that drive its
// input hook thread.

#include <windows.h>

// Posted to the main window, wParam and lParam 0 unless said otherwise.
constexpr UINT WM_APP_EVENT_ADDED = WM_APP + 1;  // wParam: the new event's place in the capture buffer
// The hotkeys by their role; the keys themselves are the user's settings
// (Recorder::setChords), F7, F8 and F9 by default.
constexpr UINT WM_APP_RECORD_ALT_HOTKEY = WM_APP + 3;  // the alternate record chord went down
constexpr UINT WM_APP_STOP_HOTKEY = WM_APP + 4;        // the stop chord went down
constexpr UINT WM_APP_PAUSE_HOTKEY = WM_APP + 360;     // the pause chord went down during a playback
constexpr UINT WM_APP_RECORD_HOTKEY = WM_APP + 6;      // the record chord went down
// The user moved the mouse away from where the playback put it, or pressed a mouse button,
// during a playback, with "stop on user input" set; posted once per playback.
constexpr UINT WM_APP_USER_TAKEOVER = WM_APP + 8;
// A script library entry's key (recorder/entry_key_rules.h): wParam the entry's place in the keys
// given to Recorder::setEntryKeys; lParam the EntryKeyEvent, with the modifier keys the user holds
// (for a held-mode press) in bits 8 to 15.
constexpr UINT WM_APP_ENTRY_KEY = WM_APP + 50;

// Thread messages of the input hook thread.
constexpr UINT WM_APP_HOOK_INSTALL = WM_APP + 10;
constexpr UINT WM_APP_HOOK_REMOVE = WM_APP + 11;
constexpr UINT WM_APP_HOOK_QUIT = WM_APP + 12;
