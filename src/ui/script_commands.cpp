// Save, Load and Clear, and the filling of the event list from a whole script.
#include "ui/main_window.h"

#include <cwchar>

#include "base/message_box.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "script/event_description.h"
#include "script/script_file.h"
#include "ui/control_ids.h"
#include "ui/file_dialog.h"

namespace {

// Average bytes of one row, for reserving list storage up front.
constexpr size_t kRowBytesEstimate = 40 * sizeof(wchar_t);

// Stops a window from repainting while it is rebuilt, and repaints it once afterwards.
class RedrawSuspended {
public:
    explicit RedrawSuspended(HWND window) : window_(window) { SendMessageW(window_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawSuspended()
    {
        SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    HWND window_;
};

}  // namespace

bool MainWindow::SaveScriptCommand()
{
    std::vector<MacroEvent> events;
    theRecorder().copyEvents(events);
    if (events.empty()) {
        ShowMessageBox(window_, L"无事件", L"提示", MB_OK | MB_ICONINFORMATION);
        return false;
    }
    const uint64_t savedGeneration = scriptGeneration_;
    std::wstring path;
    if (!chooseScriptPath(window_, ScriptDialog::Save, path)) {
        return false;
    }
    std::wstring error;
    if (!saveScript(path, events, error)) {
        ShowMessageBox(window_, (L"保存失败: " + error).c_str(), L"错误", MB_OK | MB_ICONERROR);
        return false;
    }
    // The copy taken before the dialog is what was written. When the script changed while the
    // dialog was open (a recording started with a hotkey, say), the script now shown is not the
    // one saved, and it stays unsaved.
    const bool sameScript = savedGeneration == scriptGeneration_;
    if (sameScript) {
        unsaved_ = false;
    }
    ShowMessageBox(window_, L"已保存", L"提示", MB_OK | MB_ICONINFORMATION);
    if (sameScript && CurrentActivity() == Activity::Idle) {
        SetStatus(L"已保存脚本");
    }
    return true;
}

void MainWindow::LoadScriptCommand()
{
    if (!MayRun(WindowCommand::Load)) {
        return;
    }
    std::wstring path;
    if (!chooseScriptPath(window_, ScriptDialog::Open, path)) {
        return;
    }
    if (!MayRun(WindowCommand::Load)) {
        // A hotkey started a recording or a playback while the dialog was open: replacing its
        // events now would mix the two.
        ShowMessageBox(window_, L"录制 / 回放进行中，已取消加载。", L"提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!LoadScriptFile(path)) {
        return;
    }
    wchar_t message[64];
    std::swprintf(message, 64, L"加载 %u 条", static_cast<unsigned>(theRecorder().eventCount()));
    ShowMessageBox(window_, message, L"提示", MB_OK | MB_ICONINFORMATION);
    // A recording started from the box's loop has replaced the script and says so itself.
    if (CurrentActivity() == Activity::Idle) {
        SetStatus(L"已加载脚本");
    }
    RefreshControls();
}

void MainWindow::ClearScriptCommand()
{
    if (!MayRun(WindowCommand::Clear) || theRecorder().eventCount() == 0) {
        return;
    }
    if (ShowMessageBox(window_, L"清空所有事件？", L"确认", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    if (!MayRun(WindowCommand::Clear)) {
        return;  // a recording or a playback started while the question was open
    }
    theRecorder().clearEvents();
    ScriptReplaced();
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    UpdateEventCount();
    unsaved_ = false;
    SetStatus(L"已清空");
    RefreshControls();
}

void MainWindow::ScriptReplaced()
{
    ++scriptGeneration_;
}

void MainWindow::FillEventList(const std::vector<MacroEvent>& events)
{
    // Row by row with repainting on, a list of 100 000 rows takes minutes; with redraw suspended
    // and the storage reserved it takes about a second.
    RedrawSuspended suspended(list_);
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    SendMessageW(list_, LB_INITSTORAGE, events.size(), events.size() * kRowBytesEstimate);
    for (size_t i = 0; i < events.size(); ++i) {
        const std::wstring row = formatEventRow(static_cast<uint32_t>(i), events[i]);
        SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    }
    if (!events.empty()) {
        const LRESULT rows = SendMessageW(list_, LB_GETCOUNT, 0, 0);
        SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(rows > 0 ? rows - 1 : 0), 0);
    }
}
