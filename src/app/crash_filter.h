#pragma once
// The last-chance handler for exceptions that nothing else caught, on any thread.

#include <windows.h>

// Logs "未捕获异常 code=0x%08X addr=%p", tells the user, and lets the process end.
LONG WINAPI crashFilter(EXCEPTION_POINTERS* exception);
