#pragma once
// What the two update windows share: both are dialogs from an in-memory template whose control
// rectangles are design pixels at 96 DPI (not dialog units), placed and given the program's font
// at the window's DPI here, and moved to a new one when the window changes screens.

#include <windows.h>

#include "base/dialog_template.h"
#include "base/win_owners.h"

// A template for an update window of the registered class className (icon, button-face
// background, procedure DefDlgProcW), with the controls still to be added.
DialogTemplate updateDialogTemplate(const wchar_t* className, const wchar_t* title);

// WM_INITDIALOG: the window sized (width and height at 96 DPI) and centred on the owner (on the
// work area when there is none), every control at its scaled rectangle with a font for dpi.
void placeUpdateDialog(HWND dialog, HWND owner, const DialogTemplate& layout, int width, int height, int dpi,
                       FontHandle& font);

// WM_DPICHANGED: the suggested outer rectangle, every control placed again, a font for the DPI.
void moveUpdateDialogToDpi(HWND dialog, const DialogTemplate& layout, int dpi, const RECT& suggested, FontHandle& font);
