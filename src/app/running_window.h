#pragma once
// A later start's side of the hand-over: finds the window instance of the session and asks it to
// come to the front or to open scripts.

#include <string>
#include <vector>

#include "app/start_plan.h"

// The longest a later start waits for the running window, finding it and its answer together.
constexpr unsigned kRunningWindowAnswerMs = 5000;

// Asks the running window; no files: come to the front. Each process with a window of the
// program's class is allowed to take the foreground before it is asked; a window that does not
// take the request (an unattended playback's) is passed over. Tries again until timeoutMs passed.
// Between the rounds takeFreedGuard (when given) looks whether the instance went away, as one
// that was closing does; true means this start took the window guard and asks no more.
RunningWindowAnswer askRunningWindow(const std::vector<std::wstring>& files, unsigned timeoutMs,
                                     bool (*takeFreedGuard)() = nullptr);

// Takes the window guard when nobody holds it any longer; false (holding nothing) otherwise.
bool takeFreedWindowGuard();

// The path as the running window must see it: the two processes have different working folders.
std::wstring absolutePath(const std::wstring& path);
