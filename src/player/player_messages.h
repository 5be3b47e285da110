#pragma once
// The messages the playback thread posts to the main window.

#include <windows.h>

constexpr UINT WM_APP_PLAYBACK_ENDED = WM_APP + 5;  // wParam: 1 stopped, 0 completed
constexpr UINT WM_APP_PLAYBACK_LOOP = WM_APP + 7;   // wParam: pass from 1, lParam: limit or 0
