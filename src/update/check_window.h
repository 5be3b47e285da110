#pragma once
// The checking window: a marquee and a cancel button while the check's worker runs, ended by the
// worker's result, the user, the deadline or the owner going away.

#include <string>
#include <windows.h>

#include "update/update_info.h"

constexpr int IDC_CHK_TEXT = 5301;
constexpr int IDC_CHK_PROGRESS = 5302;
constexpr int IDC_CHK_CANCEL = 5303;

// Owned by and centred on the owner (when there is one), which is disabled while it is open.
// True when info holds an offered release.
bool runCheckWindow(HWND owner, const std::wstring& baseUrl, UpdateInfo& info);
