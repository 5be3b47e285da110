// Editing the recorded steps in the list: delete, set delays, drop the wait before the first
// event, play from a row, and undo; from the list's context menu and keys, only when idle.
#include "ui/main_window.h"

#include <cwchar>

#include "base/message_box.h"
#include "base/win_owners.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "ui/control_ids.h"
#include "ui/delay_dialog.h"
#include "ui/text_step_dialog.h"

namespace {

std::vector<std::pair<size_t, size_t>> asPairs(const std::vector<EventRange>& ranges)
{
    std::vector<std::pair<size_t, size_t>> pairs;
    pairs.reserve(ranges.size());
    for (const EventRange& range : ranges) {
        pairs.emplace_back(range.first, range.count);
    }
    return pairs;
}

constexpr size_t kMaxRangesReselected = 256;

UINT enabledIf(bool enabled)
{
    return MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED);
}

}  // namespace

void MainWindow::OnListContextMenu(LPARAM position)
{
    POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (position == static_cast<LPARAM>(-1)) {
        // Opened from the keyboard (the menu key, Shift+F10): at the row with the caret.
        RECT row{};
        if (eventList_.RowScreenRect(eventList_.CaretRow(), row)) {
            at = {row.left + 16, row.bottom};
        } else {
            GetWindowRect(list_, &row);
            at = {row.left + 16, row.top + 16};
        }
    }
    const MenuHandle menu = MakeListMenu();
    TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
}

MenuHandle MainWindow::MakeListMenu() const
{
    const bool editable = MayRun(WindowCommand::EditEvents);
    const bool selected = editable && !eventList_.SelectedRows().empty();
    MenuHandle menu(CreatePopupMenu());
    AppendMenuW(menu.get(), enabledIf(selected), IDM_EDIT_DELETE, L"删除所选\tDel");
    AppendMenuW(menu.get(), enabledIf(selected), IDM_EDIT_SET_DELAY, L"设置延迟...");
    AppendMenuW(menu.get(), enabledIf(editable && theRecorder().eventCount() > 0), IDM_EDIT_TRIM_START,
                L"去掉开头等待");
    AppendMenuW(menu.get(), enabledIf(selected), IDM_EDIT_PLAY_FROM, L"从此处回放");
    AppendMenuW(menu.get(), enabledIf(editable), IDM_EDIT_INSERT_TEXT, L"插入文字...");
    AppendMenuW(menu.get(), enabledIf(selected && firstSelectedTextRow() != kNoRow), IDM_EDIT_TEXT, L"编辑文字...");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), enabledIf(editable && history_.canUndo()), IDM_EDIT_UNDO, L"撤销\tCtrl+Z");
    return menu;
}

bool MainWindow::OnEditCommand(int id)
{
    switch (id) {
    case IDM_EDIT_DELETE: DeleteSelectedCommand(); return true;
    case IDM_EDIT_SET_DELAY: SetDelayCommand(); return true;
    case IDM_EDIT_TRIM_START: TrimFirstDelayCommand(); return true;
    case IDM_EDIT_PLAY_FROM: PlayFromSelectionCommand(); return true;
    case IDM_EDIT_UNDO: UndoCommand(); return true;
    case IDM_EDIT_INSERT_TEXT: insertTextCommand(); return true;
    case IDM_EDIT_TEXT: editTextCommand(kNoRow); return true;
    default: return false;
    }
}

void MainWindow::DeleteSelectedCommand()
{
    if (!MayRun(WindowCommand::EditEvents)) {
        return;
    }
    const std::vector<EventRange> ranges = rangesOfIndices(eventList_.SelectedRows());
    if (ranges.empty()) {
        return;
    }
    bool changed = false;
    theRecorder().editEvents([&](std::vector<MacroEvent>& events) { changed = history_.deleteRanges(events, ranges); });
    if (changed) {
        // The row that took the place of the first deleted one is selected next.
        const size_t count = theRecorder().eventCount();
        const size_t next = ranges.front().first < count ? ranges.front().first : count;
        EventsEdited(next < count ? std::vector<EventRange>{{next, 1}} : std::vector<EventRange>{});
    }
}

void MainWindow::SetDelayCommand()
{
    if (!MayRun(WindowCommand::EditEvents)) {
        return;
    }
    const std::vector<EventRange> ranges = rangesOfIndices(eventList_.SelectedRows());
    if (ranges.empty()) {
        return;
    }
    MacroEvent first;
    double seconds = theRecorder().eventAt(ranges.front().first, first) ? first.delay : 0.0;
    if (!askDelaySeam(window_, seconds) || !MayRun(WindowCommand::EditEvents)) {
        return;  // cancelled, or a recording or playback started while the dialog was open
    }
    bool changed = false;
    theRecorder().editEvents(
        [&](std::vector<MacroEvent>& events) { changed = history_.setDelays(events, ranges, seconds); });
    if (changed) {
        EventsEdited(ranges);
    }
}

void MainWindow::TrimFirstDelayCommand()
{
    if (!MayRun(WindowCommand::EditEvents)) {
        return;
    }
    bool changed = false;
    theRecorder().editEvents([&](std::vector<MacroEvent>& events) { changed = history_.trimFirstDelay(events); });
    if (changed) {
        EventsEdited({{0, 1}});
    }
}

void MainWindow::UndoCommand()
{
    if (!MayRun(WindowCommand::EditEvents)) {
        return;
    }
    bool undone = false;
    std::vector<EventRange> touched;
    theRecorder().editEvents([&](std::vector<MacroEvent>& events) { undone = history_.undo(events, touched); });
    if (undone) {
        EventsEdited(touched);
    }
}

void MainWindow::PlayFromSelectionCommand()
{
    if (!MayRun(WindowCommand::StartPlayback)) {
        return;
    }
    const std::vector<size_t> selected = eventList_.SelectedRows();
    if (selected.empty()) {
        return;
    }
    StartPlaybackCommand(selected.front());
}

size_t MainWindow::firstSelectedTextRow() const
{
    for (const size_t row : eventList_.SelectedRows()) {
        MacroEvent event;
        if (theRecorder().eventAt(row, event) && event.kind == EventKind::Text) {
            return row;
        }
    }
    return kNoRow;
}

void MainWindow::insertTextCommand()
{
    if (!MayRun(WindowCommand::EditEvents)) {
        return;
    }
    // Before the first selected row, or after the last one when nothing is selected.
    const std::vector<size_t> selected = eventList_.SelectedRows();
    const size_t at = selected.empty() ? theRecorder().eventCount() : selected.front();
    TextStepInput step;
    if (!askTextStepSeam(window_, L"插入文字", step) || !MayRun(WindowCommand::EditEvents)) {
        return;  // cancelled, or a recording or playback started while the dialog was open
    }
    MacroEvent text;
    text.kind = EventKind::Text;
    text.delay = step.delay;
    text.keyOrText = std::move(step.text);
    bool changed = false;
    theRecorder().editEvents(
        [&](std::vector<MacroEvent>& events) { changed = history_.insertEvent(events, at, text); });
    if (changed) {
        EventsEdited({{at, 1}});
    }
}

void MainWindow::editTextCommand(size_t row)
{
    if (!MayRun(WindowCommand::EditEvents)) {
        return;
    }
    const size_t at = row == kNoRow ? firstSelectedTextRow() : row;
    MacroEvent text;
    if (at == kNoRow || !theRecorder().eventAt(at, text) || text.kind != EventKind::Text) {
        return;
    }
    TextStepInput step{text.keyOrText, text.delay};
    if (!askTextStepSeam(window_, L"编辑文字", step) || !MayRun(WindowCommand::EditEvents)) {
        return;
    }
    text.delay = step.delay;
    text.keyOrText = std::move(step.text);
    bool changed = false;
    theRecorder().editEvents(
        [&](std::vector<MacroEvent>& events) { changed = history_.replaceEvent(events, at, text); });
    if (changed) {
        EventsEdited({{at, 1}});
    }
}

void MainWindow::onListDoubleClick()
{
    // The first click of the double-click put the caret on the row (below the last row, on the
    // last one, as the list box selects it).
    editTextCommand(eventList_.CaretRow());  // only a text step's row has something to open
}

void MainWindow::EventsEdited(const std::vector<EventRange>& select)
{
    // The script shown is still the same one, changed: it needs saving, and the rows keep their
    // place on the screen.
    ++scriptGeneration_;
    unsaved_ = true;
    const size_t top = eventList_.TopRow();
    eventList_.ShowRows(theRecorder().eventCount(), false);
    eventList_.SetTopRow(top);
    // A list box selects range by range, each step costing as much as the list is long: an undo
    // that brings back thousands of scattered rows shows where they start instead of selecting
    // them one by one for seconds.
    if (select.size() <= kMaxRangesReselected) {
        eventList_.Select(asPairs(select));
    } else {
        eventList_.Select({});
        eventList_.SetCaretRow(select.front().first);
    }
    UpdateEventCount();
    SetStatus(L"已编辑脚本");
    RefreshControls();
}
