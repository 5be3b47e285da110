#pragma once
// Real input for tests: runs /usr/bin/xdotool on the test's X display. Wine delivers what it
// sends to the low-level hooks as hardware input (not injected).

#include <string>

// Runs "xdotool <arguments>" and waits for it (at most timeoutMs). True when it exited with 0.
bool runXdotool(const std::wstring& arguments, unsigned timeoutMs = 15000);
// Starts "xdotool <arguments>" without waiting; the process handle is closed. For input that
// must arrive while the calling thread is busy (for example inside a modal loop).
bool startXdotool(const std::wstring& arguments);
// Runs any Linux program with arguments split like a Windows command line, and waits for it (at
// most timeoutMs). True when it exited with 0.
bool runLinuxCommand(const std::wstring& program, const std::wstring& arguments, unsigned timeoutMs = 15000);
// On a wine prefix that was just made the virtual desktop comes up some seconds after the first
// program starts; until then xdotool's keys reach nobody. Presses Shift until a low-level hook of
// this thread sees it (at most timeoutMs); false when it never does.
bool waitForRealKeys(unsigned timeoutMs);
