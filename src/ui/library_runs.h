#pragma once
// What the main window keeps of the script library: the entries, their due times, and the
// library run that plays now. The rules live in library/; the window's commands in
// library_commands.cpp.

#include <cstddef>
#include <string>
#include <windows.h>

#include "library/library_entry.h"
#include "library/schedule_rules.h"

// How a library run was asked for, for its log lines.
enum class LibraryOrigin { Key, Schedule, Dialog };

struct LibraryRuns {
    bool active = false;  // only the window instance runs the library, never a --play run
    Library library;
    ScheduleState schedule;
    // The entry that plays now (-1: none, or a playback of the window's own script).
    int running = -1;
    std::wstring runningName;
};

// Tells the user that a scheduled run was refused (another replay or a recording was on). The
// notification-area icon shows it as a balloon (when the icon is on; the log says it always).
using ScheduleRefusalFn = void (*)(HWND window, const std::wstring& text);
extern ScheduleRefusalFn scheduleRefusalSeam;

// The timer of the schedules on the main window.
constexpr UINT_PTR kLibraryTimerId = 0x4C42;
