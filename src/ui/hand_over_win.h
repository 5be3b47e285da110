#pragma once
// The system's part of handing a start over to the running window: the running window lets the
// request through the message filter and comes to the front; the later start allows it to take
// the foreground before asking. Wine has neither integrity levels nor a foreground lock, so the
// calls that deal with them go through handOverSeam, where tests watch them.

#include <windows.h>

#include "ui/hand_over_message.h"

struct HandOverSeam {
    // Lets a process that runs with less rights (a normal start next to an instance running as
    // administrator) send the message.
    BOOL(WINAPI* changeWindowMessageFilterEx)(HWND window, UINT message, DWORD action, PCHANGEFILTERSTRUCT result);
    // Without it the system refuses the foreground to a program in the background.
    BOOL(WINAPI* allowSetForegroundWindow)(DWORD processId);
    BOOL(WINAPI* setForegroundWindow)(HWND window);
};
extern HandOverSeam handOverSeam;  // the system's own functions

// The running window: takes WM_COPYDATA from any process of the session.
bool acceptHandOvers(HWND window);

// Shows the window in front, restored if it was minimised; when it shows a modal dialog or box,
// that comes to the front instead.
void bringToFront(HWND window);

// Reads the lParam of a WM_COPYDATA; false for anything this program did not send.
bool readHandOver(LPARAM copyData, HandOverRequest& request);
