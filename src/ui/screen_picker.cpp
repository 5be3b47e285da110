// Stand-in until the screen picker overlay joins this tree: every pick is cancelled, so the
// "拾取..." buttons leave the typed coordinates as they are.
#include "ui/screen_picker.h"

bool pickOnScreen(HWND, PickShape, ScreenPick&)
{
    return false;
}
