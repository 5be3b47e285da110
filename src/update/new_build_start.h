#pragma once
// Running the downloaded build in place of this window. The window that opened the update says
// whether it may close (its unsaved events are asked about first); this process lets go of the
// session's window guard, so that the new build starts as the session's window instead of handing
// itself over to this one; the new build is then watched until it shows a window (this window
// closes) or ends without one (this one stays and takes the guard back).

#include <string>
#include <windows.h>

#include "base/win_owners.h"

// What the window that opened the update does around it.
struct UpdateLeave {
    // Asked before the new build starts, boxOwner owning any box: true when this window may close
    // (its unsaved events saved or given up), false starts nothing and keeps everything.
    bool (*mayClose)(void* context, HWND boxOwner) = nullptr;
    void* context = nullptr;
};

// How an update ended for the window that ran it.
enum class UpdateEnd { Stay, NewBuildRunning };

// The longest the new build may take to show its window (30 s unless a test shortens it).
extern DWORD newBuildWindowDeadlineSeam;

// A started build being watched.
struct NewBuild {
    KernelHandle process;
    bool wasInstance = false;  // this process held the window guard before the start
    ULONGLONG startedAt = 0;
};

// Lets go of the window guard and starts the build at path; false (the guard taken back, a log
// line written) when nothing started.
bool startNewBuild(HWND owner, const std::wstring& path, NewBuild& build);

enum class NewBuildState {
    Starting,     // no window yet
    ShowsWindow,  // a visible window of it is there: it runs
    Failed        // it ended without a window, or took too long to show one
};
// Looks at the build once; when it failed the guard is taken back and a log line written.
NewBuildState watchNewBuild(NewBuild& build, ULONGLONG now);
