#pragma once
// Private messages of the update windows.

#include <windows.h>

constexpr UINT WM_APP_CHECK_DONE = WM_APP + 21;      // the check worker has filled in its result
constexpr UINT WM_APP_START_DOWNLOAD = WM_APP + 22;  // the update window starts its download
// Posted by the download worker to the update window; wParam is the number of the download.
constexpr UINT WM_APP_DOWNLOAD_PROGRESS = WM_APP + 23;   // new byte counts are in the download job
constexpr UINT WM_APP_DOWNLOAD_VERIFYING = WM_APP + 24;  // the transfer is over, the digest is computed
constexpr UINT WM_APP_DOWNLOAD_DONE = WM_APP + 25;       // the outcome is in the download job
