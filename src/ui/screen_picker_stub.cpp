// Stands in for the screen picker overlay until it joins this tree: every pick is cancelled, so
// the wait dialogs take typed values only.
#include "ui/screen_picker.h"

bool pickOnScreen(HWND, PickShape, ScreenPick&)
{
    return false;
}
