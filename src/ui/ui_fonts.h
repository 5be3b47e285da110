#pragma once
// The four fonts of the main window, made for one DPI and replaced as a set.

#include <windows.h>

#include "base/win_owners.h"
#include "ui/control_table.h"

struct UiFonts {
    FontHandle regular;
    FontHandle bold;
    FontHandle mono;
    FontHandle small;

    // The font of a role; null for FontRole::None.
    HFONT get(FontRole role) const;
};

// All four fonts made for dpi; replacing a set deletes the fonts of the old one.
UiFonts makeUiFonts(int dpi);
