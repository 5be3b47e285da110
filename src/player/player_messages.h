#pragma once
// The messages the playback thread posts to the main window.

#include <windows.h>

// Posted once at the very end of a playback, after held input was released and isPlaying()
// turned false. wParam says how it ended (a PlaybackEnd value):
//   0 completed: every pass ran to its end;
//   1 stopped: stopPlayback (the stop key, the stop button, closing the window);
//   2 refused: the system refused injected input (a program run as administrator, a UAC prompt
//     or the lock screen had the input); lParam is SendInput's error code. The playback stopped
//     at the refused event and a log line says so.
//   3 window missing: a followed window did not appear within the wait; lParam is its index in
//     the playback's window table (Player::playbackWindow). A log line says so.
//   4 wait timed out: a wait step's time was up and it stops the replay; lParam is its index in the
//     events played (Player::timedOutWait names it). A log line says so.
// lParam is 0 for the other two.
constexpr UINT WM_APP_PLAYBACK_ENDED = WM_APP + 5;
constexpr UINT WM_APP_PLAYBACK_LOOP = WM_APP + 7;  // wParam: pass from 1, lParam: limit or 0
// A followed window is being waited for (wParam: its index in the playback's window table), or the
// wait is over (wParam: -1).
constexpr UINT WM_APP_WINDOW_WAIT = WM_APP + 40;
// The wait between two passes counts down: wParam the pass that follows, lParam the whole seconds left.
constexpr UINT WM_APP_PASS_GAP = WM_APP + 361;
// A wait step is being waited in (wParam: its index in the events played), or the wait is over
// (wParam: -1).
constexpr UINT WM_APP_SCREEN_WAIT = WM_APP + 47;
