#pragma once
// A main window of the test process, with message boxes and file dialogs answered by the test.

#include <deque>
#include <string>
#include <vector>
#include <windows.h>

#include "script/macro_event.h"
#include "ui/main_window.h"

struct ShownMessage {
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
};

// Message boxes: each call is recorded; the answer comes from the queue, IDOK when it is empty.
// onShow, when set, runs inside the box (as a modal loop would let posted messages run).
struct MessageBoxScript {
    std::vector<ShownMessage> shown;
    std::deque<int> answers;
    void (*onShow)() = nullptr;
};
extern MessageBoxScript messageBoxes;

// File dialogs: the next chosen path, or cancel when empty.
struct FileDialogScript {
    std::deque<std::wstring> paths;
    int shown = 0;
};
extern FileDialogScript fileDialogs;

// Creates the main window (class registered once) at the given DPI with the seams above, shown.
HWND openMainWindow(int dpi = 96);
// The window object of the test process.
MainWindow& testWindow();
// Destroys the main window if it still exists and drops the quit message its destruction posts.
void closeMainWindow();

std::wstring controlText(int id);
bool controlEnabled(int id);
std::vector<MacroEvent> sampleEvents(size_t count);
std::wstring tempPath(const wchar_t* name);
