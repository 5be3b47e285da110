#pragma once
// What the whole-program checks and their target program agree on.

#include <windows.h>

constexpr wchar_t e2eTargetClass[] = L"LrE2eTargetWnd";
constexpr wchar_t e2eTargetTitle[] = L"LR e2e target";
// Posted to the target window: write one "held" line with the keys and buttons that are down.
constexpr UINT WM_APP_REPORT_HELD = WM_APP + 100;
// Posted to the target window: show a message box "测试消息" (caption "提示", Yes/No) and write
// "msgbox <result>" when it is answered.
constexpr UINT WM_APP_SHOW_MESSAGE = WM_APP + 101;
// Posted to the target window: show the save dialog (default extension "json") and write
// "savedialog <ok>" followed by a "path <UTF-8 path>" line.
constexpr UINT WM_APP_SHOW_SAVE_DIALOG = WM_APP + 102;
// Posted to the target window: stop taking messages for wParam milliseconds (a hung program).
constexpr UINT WM_APP_HANG = WM_APP + 103;
