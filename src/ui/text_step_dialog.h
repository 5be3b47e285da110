#pragma once
// The dialog of a text step ("插入文字..." and "编辑文字..."): a multi-line box for the text, where
// Enter makes a new line, and the delay before the step.

#include <string>
#include <windows.h>

// Ids of the dialog's controls.
constexpr int IDC_TEXT_STEP_TEXT = 100;
constexpr int IDC_TEXT_STEP_DELAY = 101;

// What the dialog edits: the step's text (UTF-8, as the step holds it) and its delay in seconds.
struct TextStepInput {
    std::string text;
    double delay = 0.0;
};

// Shows the dialog owned by owner with the given title, starting from step; true with the text
// and delay the user confirmed, false when cancelled. An empty text, one over 10 000 UTF-16 units,
// one with control characters other than line breaks and tabs, and a delay that is no number of
// seconds from 0 to 1 000 000 are refused inside the dialog with a message that says why.
using AskTextStepFn = bool (*)(HWND owner, const wchar_t* title, TextStepInput& step);
extern AskTextStepFn askTextStepSeam;  // showTextStepDialog unless a test replaced it

bool showTextStepDialog(HWND owner, const wchar_t* title, TextStepInput& step);
