#pragma once
// Helpers of the recorder's Windows tests: the receiver window, real input, the log file.

#include <string>
#include <vector>
#include <windows.h>

#include "base/win_owners.h"

struct ReceivedMessage {
    UINT message;
    WPARAM wParam;
};

// The hidden window that stands in for the main window; every WM_APP message it gets is kept.
bool createReceiverWindow();
HWND receiverWindow();
std::vector<ReceivedMessage> receivedMessages();
size_t countReceived(UINT message);
void clearReceived();

// Runs "xdotool <arguments>" and keeps this thread's messages flowing until it ends, then a little
// longer so that the last notifications and posts have arrived. True when xdotool exited with 0.
bool sendRealInput(const std::wstring& arguments);
void pumpFor(unsigned milliseconds);
// Waits until xdotool's input reaches this program: on a wine prefix that was just created the
// virtual desktop comes up some seconds after the first program starts.
bool waitForRealInput(unsigned timeoutMs);

// The log file of this test process (set up by wmain) and the number of times text (UTF-8)
// appears in it.
void setTestLogPath(const std::wstring& path);
std::string readTestLog();
size_t countInLog(const std::string& text);

// A visible top-most window of this process, for the own-window and foreground rules.
class OwnWindow {
public:
    OwnWindow(int x, int y, int width, int height);
    ~OwnWindow();
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    HWND get() const { return window.get(); }

private:
    WindowHandle window;
};
