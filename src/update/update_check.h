#pragma once
// The online update check: the single entry point of the update from the main window.

#include <windows.h>

#include "update/new_build_start.h"

// Runs the whole check (checking window, result messages, optional update window) on the
// user-interface thread and returns when it is over. A call while a check runs returns at once.
// NewBuildRunning: the downloaded build was started (after leave agreed) and shows its window,
// and the owner is to close without asking again.
UpdateEnd checkForUpdates(HWND owner, const UpdateLeave* leave = nullptr);
