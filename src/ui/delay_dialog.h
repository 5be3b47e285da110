#pragma once
// The small dialog that asks for one delay in seconds for the selected events ("设置延迟...").

#include <windows.h>

// Shows the dialog owned by owner with the value to start from; true with the value the user
// confirmed (0 to 1 000 000 seconds), false when cancelled. Text that is not such a number is
// refused inside the dialog with a message that says why.
using AskDelayFn = bool (*)(HWND owner, double& seconds);
extern AskDelayFn askDelaySeam;  // showDelayDialog unless a test replaced it

bool showDelayDialog(HWND owner, double& seconds);
