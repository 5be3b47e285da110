#pragma once
// The online update check: the single entry point of the update from the main window.

#include <windows.h>

// Runs the whole check (checking window, result messages, optional update window) on the
// user-interface thread and returns when it is over. A call while a check runs returns at once.
void checkForUpdates(HWND owner);
