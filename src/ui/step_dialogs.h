#pragma once
// The editor's dialogs for one step: a key (插入按键... and a key step's 编辑...), a point with a
// button (插入点击... and the 编辑... of a click, wheel turn or move), a number of seconds
// (插入延迟...) and a row number (转到第 N 行...). Each sits behind a seam that tests answer.

#include <cstddef>
#include <cstdint>
#include <windows.h>

#include "script/event_window.h"
#include "script/macro_event.h"

// Ids of the dialogs' fields.
constexpr int IDC_STEP_KEY = 100;
constexpr int IDC_STEP_DELAY = 101;
constexpr int IDC_STEP_X = 102;
constexpr int IDC_STEP_Y = 103;
constexpr int IDC_STEP_PICK = 104;
constexpr int IDC_STEP_LEFT = 105;
constexpr int IDC_STEP_RIGHT = 106;
constexpr int IDC_STEP_MIDDLE = 107;
constexpr int IDC_STEP_SINGLE = 108;
constexpr int IDC_STEP_DOUBLE = 109;
constexpr int IDC_STEP_NUMBER = 110;

// A key captured by pressing it in the key field. With chord, modifiers held with a key join it
// ("Ctrl+Shift+S"), and a modifier pressed and let go alone is the key; without, the field takes
// one key as it is pressed (a modifier included). Plain Tab and Esc keep their dialog meaning.
struct KeyStepInput {
    bool chord = true;
    uint32_t virtualKey = 0;  // 0: none yet
    uint8_t modifiers = 0;    // kStepCtrl... (script/step_changes.h)
    double delay = 0.0;
};
using AskKeyStepFn = bool (*)(HWND owner, const wchar_t* title, KeyStepInput& step);
extern AskKeyStepFn askKeyStepSeam;
bool showKeyStepDialog(HWND owner, const wchar_t* title, KeyStepInput& step);

// A point typed or picked on the screen ("拾取..."), with a button (withButton) and single or
// double (withDouble) when the step has them. A point picked on a window comes with that window
// (picked), as a recorded click would; typing other coordinates afterwards drops it.
struct PointStepInput {
    bool withButton = false;
    bool withDouble = false;
    MouseButton button = MouseButton::Left;
    bool doubleClick = false;
    int32_t x = 0;
    int32_t y = 0;
    double delay = 0.0;
    bool picked = false;
    WindowIdentity identity;
    EventWindow place;  // its index is not set: the caller takes the identity into its table
};
using AskPointStepFn = bool (*)(HWND owner, const wchar_t* title, PointStepInput& step);
extern AskPointStepFn askPointStepSeam;
bool showPointStepDialog(HWND owner, const wchar_t* title, PointStepInput& step);

// A pause of some seconds before the step it goes in front of (插入延迟...).
using AskPauseFn = bool (*)(HWND owner, double& seconds);
extern AskPauseFn askPauseSeam;
bool showPauseDialog(HWND owner, double& seconds);

// A row number from 1 to rows (转到第 N 行...).
using AskRowNumberFn = bool (*)(HWND owner, size_t rows, size_t& number);
extern AskRowNumberFn askRowNumberSeam;
bool showRowNumberDialog(HWND owner, size_t rows, size_t& number);
