#pragma once
// The screen picker's full-screen window over the virtual screen: the frozen picture 1:1, the
// crosshair, the magnifier with the position and colour under the pointer, and the drag's frame.
// It takes the mouse and the keys and hands them to a PickerSession until a pick or a cancel.

#include <windows.h>

#include "ui/screen_picker.h"
#include "ui/screen_picker_rules.h"

class FrozenScreen;

// Runs the overlay; true when the session picked, false when cancelled (or when the window could
// not be made). A WM_QUIT met meanwhile cancels and is posted again.
bool runPickerOverlay(PickShape shape, const PickerRect& screen, const FrozenScreen& frozen, PickerSession& session);
