#include "ui_test_support.h"

#include <memory>

#include <windows.h>
#include <commctrl.h>

#include "base/message_box.h"
#include "support/message_pump.h"
#include "support/scoped_seam.h"
#include "ui/file_dialog.h"
#include "ui/main_window.h"

MessageBoxScript messageBoxes;
FileDialogScript fileDialogs;

namespace {

int answerMessageBox(HWND, const wchar_t* text, const wchar_t* caption, UINT type)
{
    messageBoxes.shown.push_back({text, caption, type});
    if (messageBoxes.onShow != nullptr) {
        messageBoxes.onShow();
    }
    if (messageBoxes.answers.empty()) {
        return IDOK;
    }
    const int answer = messageBoxes.answers.front();
    messageBoxes.answers.pop_front();
    return answer;
}

bool answerFileDialog(HWND, ScriptDialog, std::wstring& path)
{
    ++fileDialogs.shown;
    fileDialogs.proposed = path;
    if (fileDialogs.onShow != nullptr) {
        fileDialogs.onShow();
    }
    if (fileDialogs.paths.empty()) {
        return false;
    }
    path = fileDialogs.paths.front();
    fileDialogs.paths.pop_front();
    return true;
}

// The dialogs of the window answered by the test for as long as its window is open.
struct AnsweredDialogs {
    ScopedSeam<MessageBoxFn> boxes{messageBoxSeam, &answerMessageBox};
    ScopedSeam<ChooseScriptPathFn> files{chooseScriptPathSeam, &answerFileDialog};
};
std::unique_ptr<AnsweredDialogs> answeredDialogs;

}  // namespace

HWND openMainWindow(int dpi)
{
    static bool registered = false;
    if (!registered) {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&controls);
        registered = MainWindow::registerWindowClass(GetModuleHandleW(nullptr));
    }
    answeredDialogs = std::make_unique<AnsweredDialogs>();
    messageBoxes = MessageBoxScript{};
    fileDialogs = FileDialogScript{};
    MainWindow& window = testWindow();
    HWND handle = window.create(GetModuleHandleW(nullptr), dpi);
    if (handle != nullptr) {
        ShowWindow(handle, SW_SHOW);
        UpdateWindow(handle);
        window.applyStartupDpi(dpi);
        pumpMessagesFor(50);
    }
    return handle;
}

Recorder& testRecorder()
{
    static Recorder recorder;
    return recorder;
}

Player& testPlayer()
{
    static Player player;
    return player;
}

MainWindow& testWindow()
{
    static MainWindow window(testRecorder(), testPlayer());
    return window;
}

void editShownEvents(void (*edit)(std::vector<MacroEvent>& events))
{
    std::vector<MacroEvent> events = shownScript().events();
    edit(events);
    replaceShownEvents(std::move(events));
}

void captureMoves(std::initializer_list<POINT> places)
{
    for (const POINT& place : places) {
        // Beyond the capture's 20 ms between moves.
        Sleep(30);
        MSLLHOOKSTRUCT info{};
        info.pt = place;
        testRecorder().onMouseHook(WM_MOUSEMOVE, info);
    }
}

void closeMainWindow()
{
    if (HWND handle = testWindow().handle()) {
        DestroyWindow(handle);
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) {
            DispatchMessageW(&message);
        }
    }
    answeredDialogs.reset();
}

std::wstring controlText(int id)
{
    wchar_t text[256] = L"";
    GetDlgItemTextW(testWindow().handle(), id, text, 256);
    return text;
}

bool controlEnabled(int id)
{
    return IsWindowEnabled(GetDlgItem(testWindow().handle(), id)) != FALSE;
}

std::vector<MacroEvent> sampleEvents(size_t count)
{
    std::vector<MacroEvent> events(count);
    for (size_t i = 0; i < count; ++i) {
        events[i].kind = EventKind::Move;
        events[i].x = static_cast<int32_t>(i % 1000);
        events[i].y = static_cast<int32_t>(i / 1000);
        events[i].delay = 0.01;
    }
    return events;
}

std::wstring tempPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}
