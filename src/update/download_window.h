#pragma once
// The update window: the offered version and its notes, and the download of it with a progress
// bar, a status line and the offer to run what was downloaded.

#include <windows.h>

#include "update/new_build_start.h"
#include "update/update_info.h"

constexpr int IDC_UPD_CURRENT = 5201;
constexpr int IDC_UPD_LATEST = 5202;
constexpr int IDC_UPD_NOTES = 5203;
constexpr int IDC_UPD_PROGRESS = 5204;
constexpr int IDC_UPD_STATUS = 5205;
constexpr int IDC_UPD_DOWNLOAD = 5206;
constexpr int IDC_UPD_CLOSE = 5207;

// Owned by and centred on the owner (when there is one), which is disabled while it is open;
// the download starts at once. True when the downloaded build was started and shows its window
// (leave, when given, agreed to the owner closing first).
bool runDownloadWindow(HWND owner, const UpdateInfo& info, const UpdateLeave* leave);
