// The wait steps in the list: 插入等待 ▸ 等待窗口... / 等待颜色... / 等待图像... in its context
// menu, their dialogs on a double-click, and the status line while a playback waits in one.
#include "ui/main_window.h"

#include <memory>
#include <utility>

#include "script/event_description.h"
#include "script/screen_wait.h"
#include "ui/control_ids.h"
#include "ui/wait_step_dialog.h"

void MainWindow::appendWaitStepItems(HMENU menu) const
{
    const UINT enabled = mayRun(WindowCommand::EditEvents) ? MF_ENABLED : MF_GRAYED;
    HMENU waits = CreatePopupMenu();
    AppendMenuW(waits, MF_STRING | enabled, IDM_WAIT_WINDOW, L"等待窗口...");
    AppendMenuW(waits, MF_STRING | enabled, IDM_WAIT_COLOUR, L"等待颜色...");
    AppendMenuW(waits, MF_STRING | enabled, IDM_WAIT_PICTURE, L"等待图像...");
    // The menu owns the submenu from here on and destroys it with itself.
    AppendMenuW(menu, MF_POPUP | enabled, reinterpret_cast<UINT_PTR>(waits), L"插入等待");
}

bool MainWindow::onWaitStepCommand(int id)
{
    switch (id) {
    case IDM_WAIT_WINDOW: insertWaitStepCommand(EventKind::WaitWindow); return true;
    case IDM_WAIT_COLOUR: insertWaitStepCommand(EventKind::WaitColour); return true;
    case IDM_WAIT_PICTURE: insertWaitStepCommand(EventKind::WaitPicture); return true;
    default: return false;
    }
}

namespace {

const wchar_t* insertTitle(EventKind kind)
{
    switch (kind) {
    case EventKind::WaitWindow: return L"等待窗口";
    case EventKind::WaitColour: return L"等待颜色";
    default: return L"等待图像";
    }
}

}  // namespace

void MainWindow::insertWaitStepCommand(EventKind kind)
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    // Before the first selected row, or after the last one when nothing is selected.
    const std::vector<size_t> selected = eventList_.selectedRows();
    const size_t at = selected.empty() ? document_.eventCount() : selected.front();
    const uint64_t generation = document_.generation();
    WaitStepInput input;
    input.step.kind = kind;
    if (kind == EventKind::WaitPicture) {
        input.wait.tolerance = kDefaultPictureTolerance;
    }
    if (!askWaitStepSeam(window_, insertTitle(kind), input) || !mayRun(WindowCommand::EditEvents) ||
        document_.generation() != generation) {
        return;  // cancelled, or the script changed while the dialog was open
    }
    MacroEvent step = std::move(input.step);
    if (input.anchored) {
        step.window.index = document_.windowIndexFor(input.identity);
    }
    step.wait = std::make_shared<const ScreenWait>(std::move(input.wait));
    if (document_.insertEvent(at, step)) {
        eventsEdited({{at, 1}});
    }
}

bool MainWindow::editWaitStepCommand(size_t row)
{
    const MacroEvent* shown = document_.eventAt(row);
    if (shown == nullptr || !isScreenWait(shown->kind) || shown->wait == nullptr) {
        return false;
    }
    if (!mayRun(WindowCommand::EditEvents)) {
        return true;
    }
    WaitStepInput input;
    input.step = *shown;
    input.wait = *shown->wait;
    const int32_t index = shown->window.index;
    input.anchored = index >= 0 && static_cast<size_t>(index) < document_.windows().size();
    if (input.anchored) {
        input.identity = document_.windows()[static_cast<size_t>(index)];
    }
    const uint64_t generation = document_.generation();
    if (!askWaitStepSeam(window_, insertTitle(shown->kind), input) || !mayRun(WindowCommand::EditEvents) ||
        document_.generation() != generation) {
        return true;
    }
    MacroEvent step = std::move(input.step);
    step.window.index = input.anchored ? document_.windowIndexFor(input.identity) : kNoWindow;
    if (!input.anchored) {
        step.window = EventWindow{};
    }
    step.wait = std::make_shared<const ScreenWait>(std::move(input.wait));
    if (document_.replaceEvent(row, step)) {
        eventsEdited({{row, 1}});
    }
    return true;
}

void MainWindow::onScreenWait(int step)
{
    if (currentActivity() != Activity::Playing) {
        return;
    }
    // step counts from the row the playback started at.
    const MacroEvent* waiting = step >= 0 ? document_.eventAt(playFrom_ + static_cast<size_t>(step)) : nullptr;
    if (waiting != nullptr && isScreenWait(waiting->kind)) {
        if (statusBeforeWait_.empty()) {
            statusBeforeWait_ = controlText(IDC_STATUS, 255);
        }
        setStatus(L"⏳ " + describeEvent(*waiting, &document_.windows()));
    } else if (!statusBeforeWait_.empty()) {
        setStatus(statusBeforeWait_);
        statusBeforeWait_.clear();
    }
}
