#pragma once
// The library's file, %APPDATA%\LorminRecorder\library.json (its text in library_file.h): read at
// start-up and written through the program's atomic writer after each change in the dialog.

#include <string>

#include "library/library_entry.h"

std::wstring libraryPath();

struct LibraryLoad {
    Library library;
    // When the file could not be used: the name it was given (library.json.bad, .bad2, ...), or
    // the file's own name when it could not be renamed; empty when all went well.
    std::wstring setAside;
    std::wstring error;  // what was wrong with it
};
// The library in the file; a missing file is an empty library. A file that cannot be used is
// renamed to the first free name of library.json.bad, .bad2, .bad3 ... (never replacing one), and
// the library is empty; the log says so. Never asks.
LibraryLoad loadLibrary();

// Writes the file whole or not at all; false with a Chinese error text on failure.
bool saveLibrary(const Library& library, std::wstring& error);
