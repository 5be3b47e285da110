#pragma once
// Watches the desktop's input from inside the test process: a thread of its own installs the
// low-level mouse and keyboard hooks and pumps their messages, and every notification is kept.

#include <cstddef>
#include <vector>
#include <windows.h>

struct ProbedInput {
    bool keyboard = false;
    UINT message = 0;  // WM_LBUTTONDOWN, WM_KEYUP, ...
    POINT point{};
    DWORD mouseData = 0;
    DWORD flags = 0;  // LLMHF_* or LLKHF_*
    DWORD virtualKey = 0;
    DWORD scanCode = 0;
};

// Starts the hook thread; false if the hooks could not be installed.
bool startInputProbe();
void stopInputProbe();
// Everything seen since the last clear, without cursor moves.
std::vector<ProbedInput> probedInput();
void clearProbedInput();
// Waits until at least count notifications (without moves) were seen; false on timeout.
bool waitForProbedInput(size_t count, unsigned timeoutMs);
