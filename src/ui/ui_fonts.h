#pragma once
// The four fonts of the main window, made for one DPI and replaced as a set.

#include <windows.h>

struct UiFonts {
    HFONT regular = nullptr;
    HFONT bold = nullptr;
    HFONT mono = nullptr;
    HFONT small = nullptr;

    UiFonts() = default;
    ~UiFonts();
    UiFonts(const UiFonts&) = delete;
    UiFonts& operator=(const UiFonts&) = delete;
};

// Deletes the current fonts and creates all four anew for dpi.
void CreateUiFonts(UiFonts& fonts, int dpi);
// Deletes each font that exists and forgets it.
void DeleteUiFonts(UiFonts& fonts);
