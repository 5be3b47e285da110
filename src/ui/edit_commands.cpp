// Editing the recorded steps in the list: delete, set delays, drop the wait before the first
// event, play from a row, and undo; from the list's context menu and keys, only when idle.
#include "ui/main_window.h"

#include <cwchar>

#include "base/message_box.h"
#include "base/win_owners.h"
#include "script/window_table.h"
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

void MainWindow::onListContextMenu(LPARAM position)
{
    POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (position == static_cast<LPARAM>(-1)) {
        // Opened from the keyboard (the menu key, Shift+F10): at the row with the caret.
        RECT row{};
        if (eventList_.rowScreenRect(eventList_.caretRow(), row)) {
            at = {row.left + 16, row.bottom};
        } else {
            GetWindowRect(list_, &row);
            at = {row.left + 16, row.top + 16};
        }
    }
    const MenuHandle menu = makeListMenu();
    TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
}

MenuHandle MainWindow::makeListMenu() const
{
    const bool editable = mayRun(WindowCommand::EditEvents);
    const bool selected = editable && !eventList_.selectedRows().empty();
    MenuHandle menu(CreatePopupMenu());
    AppendMenuW(menu.get(), enabledIf(selected), IDM_EDIT_DELETE, L"删除所选\tDel");
    AppendMenuW(menu.get(), enabledIf(selected), IDM_EDIT_SET_DELAY, L"设置延迟...");
    AppendMenuW(menu.get(), enabledIf(editable && !document_.empty()), IDM_EDIT_TRIM_START, L"去掉开头等待");
    AppendMenuW(menu.get(), enabledIf(selected), IDM_EDIT_PLAY_FROM, L"从此处回放");
    AppendMenuW(menu.get(), enabledIf(editable), IDM_EDIT_INSERT_TEXT, L"插入文字...");
    AppendMenuW(menu.get(), enabledIf(selected && firstSelectedTextRow() != kNoRow), IDM_EDIT_TEXT, L"编辑文字...");
    appendWaitStepItems(menu.get());
    addEditorMenuItems(menu.get());
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), enabledIf(editable && document_.canUndo()), IDM_EDIT_UNDO, L"撤销\tCtrl+Z");
    addRedoMenuItem(menu.get());
    return menu;
}

bool MainWindow::onEditCommand(int id)
{
    switch (id) {
    case IDM_EDIT_DELETE: deleteSelectedCommand(); return true;
    case IDM_EDIT_SET_DELAY: setDelayCommand(); return true;
    case IDM_EDIT_TRIM_START: trimFirstDelayCommand(); return true;
    case IDM_EDIT_PLAY_FROM: playFromSelectionCommand(); return true;
    case IDM_EDIT_UNDO: undoCommand(); return true;
    case IDM_EDIT_INSERT_TEXT: insertTextCommand(); return true;
    case IDM_EDIT_TEXT: editTextCommand(kNoRow); return true;
    default: return onWaitStepCommand(id) || onEditorCommand(id);
    }
}

void MainWindow::deleteSelectedCommand()
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    const std::vector<EventRange> ranges = rangesOfIndices(eventList_.selectedRows());
    if (ranges.empty()) {
        return;
    }
    if (document_.deleteRanges(ranges)) {
        // The row that took the place of the first deleted one is selected next.
        const size_t count = document_.eventCount();
        const size_t next = ranges.front().first < count ? ranges.front().first : count;
        eventsEdited(next < count ? std::vector<EventRange>{{next, 1}} : std::vector<EventRange>{});
    }
}

void MainWindow::setDelayCommand()
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    const std::vector<EventRange> ranges = rangesOfIndices(eventList_.selectedRows());
    if (ranges.empty()) {
        return;
    }
    const MacroEvent* first = document_.eventAt(ranges.front().first);
    double seconds = first != nullptr ? first->delay : 0.0;
    if (!askDelaySeam(window_, seconds) || !mayRun(WindowCommand::EditEvents)) {
        return;  // cancelled, or a recording or playback started while the dialog was open
    }
    if (document_.setDelays(ranges, seconds)) {
        eventsEdited(ranges);
    }
}

void MainWindow::trimFirstDelayCommand()
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    if (document_.trimFirstDelay()) {
        eventsEdited({{0, 1}});
    }
}

void MainWindow::undoCommand()
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    std::vector<EventRange> touched;
    if (document_.undo(touched)) {
        eventsEdited(touched);
    }
}

void MainWindow::playFromSelectionCommand()
{
    if (!mayRun(WindowCommand::StartPlayback)) {
        return;
    }
    const std::vector<size_t> selected = eventList_.selectedRows();
    if (selected.empty()) {
        return;
    }
    startPlaybackCommand(selected.front());
}

size_t MainWindow::firstSelectedTextRow() const
{
    for (const size_t row : eventList_.selectedRows()) {
        const MacroEvent* event = document_.eventAt(row);
        if (event != nullptr && event->kind == EventKind::Text) {
            return row;
        }
    }
    return kNoRow;
}

void MainWindow::insertTextCommand()
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    // Before the first selected row, or after the last one when nothing is selected.
    const std::vector<size_t> selected = eventList_.selectedRows();
    const size_t at = selected.empty() ? document_.eventCount() : selected.front();
    const uint64_t generation = document_.generation();
    TextStepInput step;
    if (!askTextStepSeam(window_, L"插入文字", step) || !mayRun(WindowCommand::EditEvents) ||
        document_.generation() != generation) {
        return;  // cancelled, or the script changed while the dialog was open
    }
    MacroEvent text;
    text.kind = EventKind::Text;
    text.delay = step.delay;
    text.keyOrText = std::move(step.text);
    // Followed windows: the text waits for the window the key or click before it went to.
    text.window = windowForInsertedText(document_.events(), at);
    if (document_.insertEvent(at, text)) {
        eventsEdited({{at, 1}});
    }
}

void MainWindow::editTextCommand(size_t row)
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    const size_t at = row == kNoRow ? firstSelectedTextRow() : row;
    const MacroEvent* shown = at == kNoRow ? nullptr : document_.eventAt(at);
    if (shown == nullptr || shown->kind != EventKind::Text) {
        return;
    }
    MacroEvent text = *shown;
    const uint64_t generation = document_.generation();
    TextStepInput step{text.keyOrText, text.delay};
    if (!askTextStepSeam(window_, L"编辑文字", step) || !mayRun(WindowCommand::EditEvents) ||
        document_.generation() != generation) {
        return;
    }
    text.delay = step.delay;
    text.keyOrText = std::move(step.text);
    if (document_.replaceEvent(at, text)) {
        eventsEdited({{at, 1}});
    }
}

void MainWindow::onListDoubleClick()
{
    // The first click of the double-click put the caret on the row (below the last row, on the
    // last one, as the list box selects it).
    if (!editWaitStepCommand(eventList_.caretRow())) {
        editStepCommand(eventList_.caretRow());  // the dialog of the step's kind
    }
}

void MainWindow::eventsEdited(const std::vector<EventRange>& select)
{
    // The script shown is still the same one, changed: it needs saving, and the rows keep their
    // place on the screen.
    const size_t top = eventList_.topRow();
    eventList_.showRows(document_.eventCount(), false);
    eventList_.setTopRow(top);
    // A list box selects range by range, each step costing as much as the list is long: an undo
    // that brings back thousands of scattered rows shows where they start instead of selecting
    // them one by one for seconds.
    if (select.size() <= kMaxRangesReselected) {
        eventList_.select(asPairs(select));
    } else {
        eventList_.select({});
        eventList_.setCaretRow(select.front().first);
    }
    updateEventCount();
    setStatus(L"已编辑脚本");
    refreshControls();
}
