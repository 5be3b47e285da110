#pragma once
// The dialogs of the wait steps (插入等待 ▸ 等待窗口... / 等待颜色... / 等待图像..., and a
// double-click on a wait step's row): what is waited for, typed or picked on the screen with the
// picker ("拾取..."), the longest wait, what happens when it is up, and the delay before the step.

#include <string>
#include <vector>
#include <windows.h>

#include "script/event_window.h"
#include "script/macro_event.h"
#include "script/screen_wait.h"

// Ids of the dialogs' controls.
constexpr int IDC_WAIT_WINDOW_LIST = 100;
constexpr int IDC_WAIT_UNTIL = 101;
constexpr int IDC_WAIT_PICK = 102;
constexpr int IDC_WAIT_X = 103;
constexpr int IDC_WAIT_Y = 104;
constexpr int IDC_WAIT_CX = 105;
constexpr int IDC_WAIT_CY = 106;
constexpr int IDC_WAIT_COLOUR = 107;
constexpr int IDC_WAIT_TOLERANCE = 108;
constexpr int IDC_WAIT_NOT = 109;
constexpr int IDC_WAIT_AREA = 110;
constexpr int IDC_WAIT_PICK_AREA = 111;
constexpr int IDC_WAIT_CLICK = 112;
constexpr int IDC_WAIT_CLICK_AT = 113;
constexpr int IDC_WAIT_PICTURE_SIZE = 114;
constexpr int IDC_WAIT_TIMEOUT = 115;
constexpr int IDC_WAIT_ELSE = 116;
constexpr int IDC_WAIT_DELAY = 117;
constexpr int IDC_WAIT_ANCHOR = 118;

// What a dialog edits: the step (its kind, point and ScreenWait) and its window. The window is
// given as an identity (anchored true), with the step's window holding the place in it
// (client offset and DPI); the caller puts the identity into the script's window table.
struct WaitStepInput {
    MacroEvent step;
    ScreenWait wait;
    bool anchored = false;
    WindowIdentity identity;
};

// Shows the dialog of input.step.kind owned by owner; true with what the user confirmed. Fields
// that cannot be used are refused inside the dialog with a message that says why.
using AskWaitStepFn = bool (*)(HWND owner, const wchar_t* title, WaitStepInput& input);
extern AskWaitStepFn askWaitStepSeam;  // showWaitStepDialog unless a test replaced it

bool showWaitStepDialog(HWND owner, const wchar_t* title, WaitStepInput& input);
