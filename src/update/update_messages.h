#pragma once
// Private messages of the update windows.

#include <windows.h>

constexpr UINT WM_APP_CHECK_DONE = WM_APP + 21;      // the check worker has filled in its result
constexpr UINT WM_APP_START_DOWNLOAD = WM_APP + 22;  // the update window starts its download
