#pragma once
// What one start of the program does next to the others of the session: the window instance runs
// once and takes later starts over; an unattended playback runs on its own, but never together
// with a recording. Decided from the command line and the guards the start found, without the
// system, so that every case can be tried.

#include <string>

#include "app/command_line.h"
#include "base/session_guards.h"

enum class StartPlan {
    ShowUsage,        // --help works whatever runs
    RefuseArguments,  // the usage and exit code 2
    RunWindow,        // the guard was free: this start is the window instance
    ActivateRunning,  // a plain start while a window instance runs: bring it to the front
    HandOverScripts,  // a start with scripts while a window instance runs: the running window opens them
    PlayUnattended,   // --play with no recording in the way
    RefusePlayback,   // --play while a recording holds its guard: exit code 4
};

// windowGuard: what taking the window instance's guard found (starts with the window only);
// recordingGuard: what looking at the recording's guard found, after taking the playback's
// (--play only). A guard that cannot be opened counts as taken.
StartPlan planStart(StartMode mode, GuardState windowGuard, GuardState recordingGuard);

// Whether the start takes the window instance's guard at all: --play, --help and a refused
// command line never do (a plain start while a --play runs opens a normal window).
bool takesWindowGuard(StartMode mode);
// Whether the start takes the playback's guard and then looks at the recording's.
bool takesPlaybackGuard(StartMode mode);

// How a start that asked the running window ends.
enum class RunningWindowAnswer {
    Accepted,      // the window took the request
    NoAnswer,      // none answered in time: still starting, closing, or hung
    InstanceGone,  // the instance ended meanwhile (it was closing) and this start holds the guard now
};
struct HandOverEnd {
    int exitCode = 0;
    std::wstring logLine;    // empty: nothing to log
    bool runWindow = false;  // this start is the window instance after all
};
HandOverEnd endOfHandOver(StartPlan plan, RunningWindowAnswer answer);

// The log line and console text of a --play refused because a recording runs.
std::wstring playbackRefusedText(const std::wstring& script);
