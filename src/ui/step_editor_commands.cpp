// The editor of the steps in the list: move rows, cut, copy and paste them as script text, redo,
// go to a row, insert a key, a click, a pause or another script, and change a step with the
// dialog of its kind. Every change is one undo step; nothing runs while recording or playing.
#include "ui/main_window.h"

#include <optional>
#include <utility>

#include "base/message_box.h"
#include "base/text_encoding.h"
#include "script/script_file.h"
#include "script/step_changes.h"
#include "script/step_clipboard.h"
#include "script/window_table.h"
#include "ui/clipboard_text.h"
#include "ui/control_ids.h"
#include "ui/file_dialog.h"
#include "ui/step_dialogs.h"

namespace {

UINT enabledIf(bool enabled)
{
    return MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED);
}

// Where the nearest step with a position before row points (a new click starts there).
POINT lastPointBefore(const std::vector<MacroEvent>& events, size_t row)
{
    for (size_t i = row < events.size() ? row : events.size(); i-- > 0;) {
        const EventKind kind = events[i].kind;
        if (kind == EventKind::Move || kind == EventKind::Click || kind == EventKind::Scroll) {
            return POINT{events[i].x, events[i].y};
        }
    }
    return POINT{0, 0};
}

// Work on many steps (a big paste, a script file read) takes a moment: the cursor and the status
// line say so until it is done.
class BusyNotice {
public:
    BusyNotice(HWND status, const wchar_t* text) : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT)))
    {
        SetWindowTextW(status, text);
        UpdateWindow(status);
    }
    ~BusyNotice() { SetCursor(previous_); }
    BusyNotice(const BusyNotice&) = delete;
    BusyNotice& operator=(const BusyNotice&) = delete;

private:
    HCURSOR previous_;
};

// Below this many steps the work is too quick to announce.
constexpr size_t kBusySteps = 20000;

}  // namespace

// Which dialog changes a step of each kind: a new kind of step adds its row here.
const MainWindow::StepEditor MainWindow::kStepEditors[] = {
    {EventKind::Text, &MainWindow::editTextCommand},    {EventKind::Click, &MainWindow::editPositionStep},
    {EventKind::Scroll, &MainWindow::editPositionStep}, {EventKind::Move, &MainWindow::editPositionStep},
    {EventKind::KeyDown, &MainWindow::editKeyStep},     {EventKind::KeyUp, &MainWindow::editKeyStep},
};

const MainWindow::StepEditor* MainWindow::stepEditorAt(size_t row) const
{
    const MacroEvent* event = document_.eventAt(row);
    for (const StepEditor& editor : kStepEditors) {
        if (event != nullptr && editor.kind == event->kind) {
            return &editor;
        }
    }
    return nullptr;
}

void MainWindow::addEditorMenuItems(HMENU menu) const
{
    const bool editable = mayRun(WindowCommand::EditEvents);
    const std::vector<size_t> selectedRows = editable ? eventList_.selectedRows() : std::vector<size_t>{};
    const bool selected = !selectedRows.empty();
    AppendMenuW(menu, enabledIf(selected && stepEditorAt(selectedRows.front()) != nullptr), IDM_EDIT_STEP, L"编辑...");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, enabledIf(selected), IDM_EDIT_MOVE_UP, L"上移\tAlt+↑");
    AppendMenuW(menu, enabledIf(selected), IDM_EDIT_MOVE_DOWN, L"下移\tAlt+↓");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, enabledIf(selected), IDM_EDIT_CUT, L"剪切\tCtrl+X");
    AppendMenuW(menu, enabledIf(selected), IDM_EDIT_COPY, L"复制\tCtrl+C");
    AppendMenuW(menu, enabledIf(editable && IsClipboardFormatAvailable(CF_UNICODETEXT)), IDM_EDIT_PASTE,
                L"粘贴\tCtrl+V");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, enabledIf(editable), IDM_EDIT_INSERT_KEY, L"插入按键...");
    AppendMenuW(menu, enabledIf(editable), IDM_EDIT_INSERT_CLICK, L"插入点击...");
    // A pause is the delay of the step it goes in front of: at the end there is none.
    AppendMenuW(menu, enabledIf(selected), IDM_EDIT_INSERT_DELAY, L"插入延迟...");
    AppendMenuW(menu, enabledIf(editable), IDM_EDIT_INSERT_SCRIPT, L"插入脚本...");
    AppendMenuW(menu, enabledIf(editable && !document_.empty()), IDM_EDIT_GO_TO, L"转到第 N 行...\tCtrl+G");
}

void MainWindow::addRedoMenuItem(HMENU menu) const
{
    AppendMenuW(menu, enabledIf(mayRun(WindowCommand::EditEvents) && document_.canRedo()), IDM_EDIT_REDO,
                L"重做\tCtrl+Y");
}

bool MainWindow::onEditorCommand(int id)
{
    switch (id) {
    case IDM_EDIT_MOVE_UP: moveSelectionCommand(true); return true;
    case IDM_EDIT_MOVE_DOWN: moveSelectionCommand(false); return true;
    case IDM_EDIT_CUT: cutSelectionCommand(); return true;
    case IDM_EDIT_COPY: copySelectionCommand(); return true;
    case IDM_EDIT_PASTE: pasteCommand(); return true;
    case IDM_EDIT_REDO: redoCommand(); return true;
    case IDM_EDIT_GO_TO: goToRowCommand(); return true;
    case IDM_EDIT_INSERT_KEY: insertKeyCommand(); return true;
    case IDM_EDIT_INSERT_CLICK: insertClickCommand(); return true;
    case IDM_EDIT_INSERT_DELAY: insertPauseCommand(); return true;
    case IDM_EDIT_INSERT_SCRIPT: insertScriptCommand(); return true;
    case IDM_EDIT_STEP: editStepCommand(kNoRow); return true;
    default: return false;
    }
}

size_t MainWindow::insertionRow() const
{
    // Before the first selected row, or at the end when nothing is selected.
    const std::vector<size_t> selected = eventList_.selectedRows();
    return selected.empty() ? document_.eventCount() : selected.front();
}

void MainWindow::moveSelectionCommand(bool up)
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    std::vector<EventRange> selection;
    if (document_.moveRanges(rangesOfIndices(eventList_.selectedRows()), up, selection)) {
        eventsEdited(selection);
        // The moved rows stay in view: the caret row leads the way they went.
        eventList_.setCaretRow(up ? selection.front().first : selection.back().first + selection.back().count - 1);
    }
}

bool MainWindow::copySelectionCommand()
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return false;
    }
    const std::vector<EventRange> ranges = rangesOfIndices(eventList_.selectedRows());
    if (ranges.empty()) {
        return false;
    }
    const ScriptContents copy = document_.copyRanges(ranges);
    std::optional<BusyNotice> busy;
    if (copy.events.size() >= kBusySteps) {
        busy.emplace(status_, L"正在复制...");
    }
    if (!clipboardSeam.put(window_, utf8ToWide(stepsClipboardText(copy)))) {
        setStatus(L"⚠ 无法写入剪贴板");
        return false;
    }
    setStatus(L"已复制 " + std::to_wstring(copy.events.size()) + L" 个步骤");
    return true;
}

void MainWindow::cutSelectionCommand()
{
    if (copySelectionCommand()) {
        deleteSelectedCommand();
    }
}

void MainWindow::pasteCommand()
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    std::wstring text;
    ScriptContents steps;
    std::wstring error;
    if (!clipboardSeam.get(window_, text)) {
        setStatus(L"剪贴板中没有可粘贴的脚本步骤");
        return;
    }
    // About a hundred bytes of text a step.
    std::optional<BusyNotice> busy;
    if (text.size() >= kBusySteps * 100) {
        busy.emplace(status_, L"正在粘贴...");
    }
    if (!readStepsClipboardText(wideToUtf8(text), steps, error)) {
        setStatus(L"剪贴板中没有可粘贴的脚本步骤");
        return;
    }
    insertSteps(insertionRow(), std::move(steps));
}

void MainWindow::insertSteps(size_t at, ScriptContents&& steps)
{
    const size_t count = steps.events.size();
    if (document_.insertContents(at, std::move(steps))) {
        eventsEdited({{at, count}});
    }
}

void MainWindow::redoCommand()
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    std::vector<EventRange> touched;
    if (document_.redo(touched)) {
        eventsEdited(touched);
    }
}

void MainWindow::goToRowCommand()
{
    if (!mayRun(WindowCommand::EditEvents) || document_.empty()) {
        return;
    }
    size_t number = eventList_.caretRow() + 1;
    if (!askRowNumberSeam(window_, document_.eventCount(), number) || number == 0 || number > document_.eventCount()) {
        return;
    }
    eventList_.select({{number - 1, 1}});
    SetFocus(list_);
}

void MainWindow::insertKeyCommand()
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    const uint64_t generation = document_.generation();
    KeyStepInput key;
    if (!askKeyStepSeam(window_, L"插入按键", key) || !mayRun(WindowCommand::EditEvents) ||
        document_.generation() != generation || key.virtualKey == 0) {
        return;  // cancelled, or the script changed while the dialog was open
    }
    const size_t at = insertionRow();
    // The key goes to the window the key or click before it went to, as a typed text does.
    const int32_t window = windowForInsertedText(document_.events(), at).index;
    insertSteps(at,
                ScriptContents{keyChordSteps(key.virtualKey, key.modifiers, key.delay, window), document_.windows()});
}

void MainWindow::insertClickCommand()
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    const uint64_t generation = document_.generation();
    PointStepInput click;
    click.withButton = true;
    click.withDouble = true;
    const POINT start = lastPointBefore(document_.events(), insertionRow());
    click.x = start.x;
    click.y = start.y;
    if (!askPointStepSeam(window_, L"插入点击", click) || !mayRun(WindowCommand::EditEvents) ||
        document_.generation() != generation) {
        return;
    }
    EventWindow place;
    std::vector<WindowIdentity> windows;
    if (click.picked) {
        place = click.place;
        place.index = 0;
        windows.push_back(click.identity);
    }
    insertSteps(insertionRow(),
                ScriptContents{clickSteps(click.button, click.doubleClick, click.x, click.y, click.delay, place),
                               std::move(windows)});
}

void MainWindow::insertPauseCommand()
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    const std::vector<size_t> selected = eventList_.selectedRows();
    if (selected.empty()) {
        return;
    }
    const uint64_t generation = document_.generation();
    double seconds = 1.0;
    if (!askPauseSeam(window_, seconds) || !mayRun(WindowCommand::EditEvents) || document_.generation() != generation) {
        return;
    }
    // The pause lengthens the wait of the first selected step (no step of its own).
    const size_t at = selected.front();
    const double delay = document_.eventAt(at)->delay + seconds;
    if (document_.setDelays({{at, 1}}, delay < kMaxDelaySeconds ? delay : kMaxDelaySeconds)) {
        eventsEdited({{at, 1}});
    }
}

void MainWindow::insertScriptCommand()
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    const uint64_t generation = document_.generation();
    std::wstring path;
    if (!chooseScriptPathSeam(window_, ScriptDialog::Open, path) || !mayRun(WindowCommand::EditEvents) ||
        document_.generation() != generation) {
        return;
    }
    ScriptContents steps;
    std::wstring error;
    std::optional<BusyNotice> busy(std::in_place, status_, L"正在读取脚本...");
    const bool loaded = loadScript(path, steps.events, steps.windows, error, LoadProgress{});
    busy.reset();
    if (!loaded) {
        showMessageBox(window_, (L"插入脚本失败: " + error).c_str(), L"错误", MB_OK | MB_ICONERROR);
        return;
    }
    if (steps.events.empty()) {
        setStatus(L"所选脚本没有步骤");
        return;
    }
    insertSteps(insertionRow(), std::move(steps));
}

void MainWindow::editStepCommand(size_t row)
{
    if (!mayRun(WindowCommand::EditEvents)) {
        return;
    }
    const std::vector<size_t> selected = eventList_.selectedRows();
    const size_t at = row != kNoRow ? row : (selected.empty() ? kNoRow : selected.front());
    const StepEditor* editor = at == kNoRow ? nullptr : stepEditorAt(at);
    if (editor != nullptr) {
        (this->*editor->edit)(at);
    }
}

void MainWindow::editPositionStep(size_t row)
{
    const MacroEvent shown = *document_.eventAt(row);
    const uint64_t generation = document_.generation();
    PointStepInput point;
    point.withButton = shown.kind == EventKind::Click;
    point.button = shown.button;
    point.x = shown.x;
    point.y = shown.y;
    point.delay = shown.delay;
    if (!askPointStepSeam(window_, L"编辑步骤", point) || !mayRun(WindowCommand::EditEvents) ||
        document_.generation() != generation) {
        return;
    }
    EventWindow place = point.place;
    if (point.picked) {
        place.index = document_.windowIndexFor(point.identity);
    }
    StepChange change = positionChange(document_.events(), row, point.x, point.y, point.picked ? &place : nullptr);
    const size_t first = change.ranges.front().first;
    MacroEvent& edited = change.events[row - first];
    edited.delay = point.delay;
    if (point.button != shown.button) {
        // A press and its release keep one button: both ends of the gesture change.
        for (MacroEvent* end : {&change.events.front(), &change.events.back()}) {
            if (end->kind == EventKind::Click && end->button == shown.button) {
                end->button = point.button;
            }
        }
    }
    const std::vector<EventRange> ranges = change.ranges;
    if (document_.replaceEvents(ranges, std::move(change.events))) {
        eventsEdited(ranges);
    }
}

void MainWindow::editKeyStep(size_t row)
{
    const MacroEvent shown = *document_.eventAt(row);
    const uint64_t generation = document_.generation();
    KeyStepInput key;
    key.chord = false;
    key.virtualKey = static_cast<uint32_t>(virtualKeyForName(shown.keyOrText));
    key.delay = shown.delay;
    if (!askKeyStepSeam(window_, L"编辑按键", key) || !mayRun(WindowCommand::EditEvents) ||
        document_.generation() != generation || key.virtualKey == 0) {
        return;
    }
    StepChange change = keyChange(document_.events(), row, keyNameForVirtualKey(key.virtualKey));
    for (size_t i = 0; i < change.ranges.size(); ++i) {
        if (change.ranges[i].first == row) {
            change.events[i].delay = key.delay;
        }
    }
    const std::vector<EventRange> ranges = change.ranges;
    if (document_.replaceEvents(ranges, std::move(change.events))) {
        eventsEdited(ranges);
    }
}
