// Editing the steps in the list through the commands its menu and keys send.
#include <gtest/gtest.h>

#include "recorder/recorder_messages.h"
#include "support/message_pump.h"
#include "support/scoped_seam.h"
#include "ui/delay_dialog.h"
#include "ui/step_dialogs.h"
#include "ui/text_step_dialog.h"
#include "ui_test_support.h"

namespace {

double answeredDelay = 0;
int delayDialogs = 0;

bool answerDelay(HWND, double& seconds)
{
    ++delayDialogs;
    seconds = answeredDelay;
    return true;
}

bool cancelDelay(HWND, double&)
{
    ++delayDialogs;
    return false;
}

// The text step dialog: what it was shown, and what it answers (nothing when cancelled).
int textDialogs = 0;
std::wstring shownTitle;
TextStepInput shownStep;
TextStepInput answeredStep;
bool textConfirmed = true;

bool answerText(HWND, const wchar_t* title, TextStepInput& step)
{
    ++textDialogs;
    shownTitle = title;
    shownStep = step;
    if (textConfirmed) {
        step = answeredStep;
    }
    return textConfirmed;
}

class EditCommandsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        delayDialogs = 0;
        textDialogs = 0;
        textConfirmed = true;
        std::vector<MacroEvent> events = sampleEvents(10);
        for (size_t i = 0; i < events.size(); ++i) {
            events[i].delay = 0.1 * static_cast<double>(i + 1);
        }
        loadThroughCommand(events, L"lr_ui_edit.json");
        messageBoxes.shown.clear();
    }
    void select(std::initializer_list<int> rows)
    {
        SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_SETSEL, FALSE, -1);
        for (int row : rows) {
            SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_SETSEL, TRUE, row);
        }
    }
    std::vector<int> selected()
    {
        const LRESULT count = SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_GETSELCOUNT, 0, 0);
        std::vector<int> rows(static_cast<size_t>(count > 0 ? count : 0));
        SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_GETSELITEMS, rows.size(), reinterpret_cast<LPARAM>(rows.data()));
        return rows;
    }
    double delayOf(size_t index)
    {
        const MacroEvent* event = shownScript().eventAt(index);
        EXPECT_NE(event, nullptr);
        return event != nullptr ? event->delay : -1.0;
    }
};

TEST_F(EditCommandsTest, DeleteRenumbersTheRowsAndUndoBringsThemBack)
{
    EXPECT_FALSE(testWindow().isUnsaved());
    select({2, 3, 7});
    command(IDM_EDIT_DELETE);
    ASSERT_EQ(listRows(), 7);
    EXPECT_EQ(shownScript().eventCount(), 7u);
    EXPECT_EQ(controlText(IDC_EVENT_COUNT), L"(7)");
    EXPECT_EQ(listRow(2), L"  #0003  移动 (4,0)") << "the rows after a deleted one move up and are renumbered";
    EXPECT_EQ(listRow(6), L"  #0007  移动 (9,0)");
    EXPECT_EQ(selected(), std::vector<int>{2}) << "the row that took the first deleted place is selected";
    EXPECT_TRUE(testWindow().isUnsaved());
    EXPECT_EQ(status(), L"已编辑脚本");

    command(IDM_EDIT_UNDO);
    ASSERT_EQ(listRows(), 10);
    EXPECT_EQ(listRow(3), L"  #0004  移动 (3,0)");
    EXPECT_EQ(listRow(7), L"  #0008  移动 (7,0)");
    EXPECT_EQ(selected(), (std::vector<int>{2, 3, 7})) << "what came back is selected";
    EXPECT_EQ(controlText(IDC_EVENT_COUNT), L"(10)");

    // Deleting everything leaves play disabled; undo enables it again.
    SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_SELITEMRANGEEX, 0, 9);
    command(IDM_EDIT_DELETE);
    EXPECT_EQ(listRows(), 0);
    EXPECT_FALSE(controlEnabled(IDC_PLAY));
    command(IDM_EDIT_UNDO);
    EXPECT_EQ(listRows(), 10);
    EXPECT_TRUE(controlEnabled(IDC_PLAY));
}

TEST_F(EditCommandsTest, AnUndoOfThousandsOfScatteredRowsShowsWhereTheyStart)
{
    replaceShownEvents(sampleEvents(2000));
    testWindow().showEventRows();
    HWND list = GetDlgItem(window, IDC_EVENT_LIST);
    for (int row = 1; row < 2000; row += 2) {
        SendMessageW(list, LB_SETSEL, TRUE, row);
    }
    command(IDM_EDIT_DELETE);
    ASSERT_EQ(listRows(), 1000);
    command(IDM_EDIT_UNDO);
    ASSERT_EQ(listRows(), 2000);
    EXPECT_EQ(listRow(1999), L"  #2000  移动 (999,1)");
    EXPECT_TRUE(selected().empty()) << "a thousand ranges are not selected one by one";
    EXPECT_EQ(SendMessageW(list, LB_GETCARETINDEX, 0, 0), 1) << "the caret is on the first row that came back";
    // A few scattered rows are selected again as they were.
    select({3, 7, 11});
    command(IDM_EDIT_DELETE);
    command(IDM_EDIT_UNDO);
    EXPECT_EQ(selected(), (std::vector<int>{3, 7, 11}));
}

TEST_F(EditCommandsTest, DelaysAreSetThroughTheDialogAndTheFirstWaitIsRemoved)
{
    {
        ScopedSeam dialog(askDelaySeam, &cancelDelay);
        select({4, 5});
        command(IDM_EDIT_SET_DELAY);
        EXPECT_EQ(delayDialogs, 1);
        EXPECT_DOUBLE_EQ(delayOf(4), 0.5) << "a cancelled dialog changes nothing";
        EXPECT_FALSE(testWindow().isUnsaved());
    }
    ScopedSeam dialog(askDelaySeam, &answerDelay);
    answeredDelay = 2.5;
    command(IDM_EDIT_SET_DELAY);
    EXPECT_DOUBLE_EQ(delayOf(3), 0.4);
    EXPECT_DOUBLE_EQ(delayOf(4), 2.5);
    EXPECT_DOUBLE_EQ(delayOf(5), 2.5);
    EXPECT_DOUBLE_EQ(delayOf(6), 0.7);
    EXPECT_EQ(selected(), (std::vector<int>{4, 5}));
    EXPECT_TRUE(testWindow().isUnsaved());

    command(IDM_EDIT_TRIM_START);
    EXPECT_DOUBLE_EQ(delayOf(0), 0.0);
    command(IDM_EDIT_UNDO);
    EXPECT_DOUBLE_EQ(delayOf(0), 0.1);
    command(IDM_EDIT_UNDO);
    EXPECT_DOUBLE_EQ(delayOf(4), 0.5);
    EXPECT_DOUBLE_EQ(delayOf(5), 0.6);
}

// What GetMenuItemID says of an item that opens a submenu (插入等待 ▸).
constexpr int kSubmenu = -1;

struct MenuItem {
    int id;
    const wchar_t* text;
    bool enabled;
};

// Each item by its command: its text and whether it is enabled (the editor adds its own items
// around these, see step_editor_commands_test.cpp).
void expectMenu(const char* state, std::initializer_list<MenuItem> expected)
{
    const MenuHandle menu = testWindow().makeListMenu();
    for (const MenuItem& item : expected) {
        // A submenu has no command: it is found by its text.
        UINT where = static_cast<UINT>(item.id);
        UINT by = MF_BYCOMMAND;
        for (int i = 0; item.id == kSubmenu && i < GetMenuItemCount(menu.get()); ++i) {
            wchar_t text[64] = L"";
            GetMenuStringW(menu.get(), static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            if (GetSubMenu(menu.get(), i) != nullptr && std::wstring(text) == item.text) {
                where = static_cast<UINT>(i);
                by = MF_BYPOSITION;
            }
        }
        wchar_t text[64] = L"";
        GetMenuStringW(menu.get(), where, text, 64, by);
        EXPECT_EQ(std::wstring(text), item.text) << state;
        const UINT itemState = GetMenuState(menu.get(), where, by);
        EXPECT_EQ((itemState & MF_GRAYED) == 0, item.enabled) << state << " item " << item.id;
    }
}

TEST_F(EditCommandsTest, TheListMenuOffersWhatTheStateAndSelectionAllow)
{
    expectMenu("nothing selected", {{IDM_EDIT_DELETE, L"删除所选\tDel", false},
                                    {IDM_EDIT_SET_DELAY, L"设置延迟...", false},
                                    {IDM_EDIT_TRIM_START, L"去掉开头等待", true},
                                    {IDM_EDIT_PLAY_FROM, L"从此处回放", false},
                                    {IDM_EDIT_INSERT_TEXT, L"插入文字...", true},
                                    {IDM_EDIT_TEXT, L"编辑文字...", false},
                                    {kSubmenu, L"插入等待", true},
                                    {IDM_EDIT_UNDO, L"撤销\tCtrl+Z", false}});
    select({1});
    command(IDM_EDIT_DELETE);
    expectMenu("a row selected, an edit made", {{IDM_EDIT_DELETE, L"删除所选\tDel", true},
                                                {IDM_EDIT_SET_DELAY, L"设置延迟...", true},
                                                {IDM_EDIT_TRIM_START, L"去掉开头等待", true},
                                                {IDM_EDIT_PLAY_FROM, L"从此处回放", true},
                                                {IDM_EDIT_INSERT_TEXT, L"插入文字...", true},
                                                {IDM_EDIT_TEXT, L"编辑文字...", false},
                                                {kSubmenu, L"插入等待", true},
                                                {IDM_EDIT_UNDO, L"撤销\tCtrl+Z", true}});
    startHooks();
    messageBoxes.answers = {IDNO};
    SendMessageW(window, WM_APP_RECORD_HOTKEY, 0, 0);
    ASSERT_TRUE(testRecorder().isRecording());
    select({0});
    expectMenu("recording", {{IDM_EDIT_DELETE, L"删除所选\tDel", false},
                             {IDM_EDIT_SET_DELAY, L"设置延迟...", false},
                             {IDM_EDIT_TRIM_START, L"去掉开头等待", false},
                             {IDM_EDIT_PLAY_FROM, L"从此处回放", false},
                             {IDM_EDIT_INSERT_TEXT, L"插入文字...", false},
                             {IDM_EDIT_TEXT, L"编辑文字...", false},
                             {kSubmenu, L"插入等待", false},
                             {IDM_EDIT_UNDO, L"撤销\tCtrl+Z", false}});
    SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
}

TEST_F(EditCommandsTest, NothingIsEditedDuringARecordingOrAPlayback)
{
    startHooks();
    ScopedSeam dialog(askDelaySeam, &answerDelay);
    ScopedSeam textDialog(askTextStepSeam, &answerText);
    answeredDelay = 9;
    // A playback that waits before its first event stays "playing" for the test.
    editShownEvents([](std::vector<MacroEvent>& events) { events[0].delay = 300; });
    command(IDC_PLAY);
    ASSERT_TRUE(testPlayer().isPlaying());
    select({1, 2});
    for (int id : {IDM_EDIT_DELETE, IDM_EDIT_SET_DELAY, IDM_EDIT_TRIM_START, IDM_EDIT_PLAY_FROM, IDM_EDIT_UNDO,
                   IDM_EDIT_INSERT_TEXT, IDM_EDIT_TEXT}) {
        command(id);
    }
    EXPECT_EQ(shownScript().eventCount(), 10u);
    EXPECT_DOUBLE_EQ(delayOf(0), 300.0);
    EXPECT_EQ(delayDialogs, 0);
    EXPECT_EQ(textDialogs, 0);
    SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
    ASSERT_FALSE(testPlayer().isPlaying());

    messageBoxes.answers = {IDNO};
    SendMessageW(window, WM_APP_RECORD_HOTKEY, 0, 0);
    ASSERT_TRUE(testRecorder().isRecording());
    captureMoves({{0, 0}, {1, 0}, {2, 0}});
    SendMessageW(window, WM_APP_EVENT_ADDED, 2, 0);
    select({0});
    command(IDM_EDIT_DELETE);
    command(IDM_EDIT_TRIM_START);
    EXPECT_EQ(shownScript().eventCount(), 3u);
    SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
}

TEST_F(EditCommandsTest, PlayFromARowSaysWhereEveryPassStarts)
{
    startHooks();
    editShownEvents([](std::vector<MacroEvent>& events) {
        for (MacroEvent& e : events) {
            e.x = 600;
            e.y = 500;
        }
        events[9].delay = 300;  // keeps the playback going while the test looks
    });
    SetDlgItemTextW(window, IDC_COUNT, L"2");
    select({6, 8});
    command(IDM_EDIT_PLAY_FROM);
    ASSERT_TRUE(testPlayer().isPlaying());
    EXPECT_EQ(status(), L"▶ 从第 7 条回放中...（共 2 次）");
    EXPECT_TRUE(pumpMessagesUntil([this] { return status() == L"▶ 从第 7 条回放中...（第 1/2 次）"; }, 3000));
    SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
    EXPECT_EQ(status(), L"⏹ 停止");

    // The next playback from the button plays the whole script again.
    editShownEvents([](std::vector<MacroEvent>& events) { events[0].delay = 300; });
    command(IDC_PLAY);
    EXPECT_EQ(status(), L"▶ 回放中...（共 2 次）");
}

TEST_F(EditCommandsTest, TextStepsAreInsertedBeforeTheFirstSelectedRowOrAtTheEnd)
{
    ScopedSeam dialog(askTextStepSeam, &answerText);
    answeredStep = TextStepInput{"你好\n\"q\"", 0.5};
    const struct {
        std::vector<int> selection;
        int at;
    } cases[] = {{{}, 10}, {{3, 5}, 3}, {{9}, 9}, {{0}, 0}};
    for (const auto& c : cases) {
        SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_SETSEL, FALSE, -1);
        for (int row : c.selection) {
            SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_SETSEL, TRUE, row);
        }
        command(IDM_EDIT_INSERT_TEXT);
        EXPECT_EQ(shownTitle, L"插入文字");
        EXPECT_EQ(shownStep.text, "") << "a new step starts empty";
        ASSERT_EQ(listRows(), 11) << c.at;
        const MacroEvent* inserted = shownScript().eventAt(static_cast<size_t>(c.at));
        ASSERT_NE(inserted, nullptr);
        EXPECT_EQ(inserted->kind, EventKind::Text);
        EXPECT_EQ(inserted->keyOrText, answeredStep.text);
        EXPECT_DOUBLE_EQ(inserted->delay, 0.5);
        EXPECT_EQ(listRow(c.at).substr(9), L"文字 「你好⏎\"q\"」") << c.at;
        EXPECT_EQ(selected(), std::vector<int>{c.at});
        EXPECT_TRUE(testWindow().isUnsaved());
        EXPECT_EQ(controlText(IDC_EVENT_COUNT), L"(11)");
        command(IDM_EDIT_UNDO);
        ASSERT_EQ(listRows(), 10) << "undo takes it out again";
        const int shownRow = c.at < 10 ? c.at : 9;
        EXPECT_EQ(listRow(shownRow).substr(9), L"移动 (" + std::to_wstring(shownRow) + L",0)");
    }
    textConfirmed = false;
    command(IDM_EDIT_INSERT_TEXT);
    EXPECT_EQ(listRows(), 10) << "a cancelled dialog inserts nothing";
}

TEST_F(EditCommandsTest, TheFirstSelectedTextStepIsEditedAndTheEditUndone)
{
    ScopedSeam dialog(askTextStepSeam, &answerText);
    for (const char* text : {"first", "second"}) {
        answeredStep = TextStepInput{text, 1.0};
        select({2});
        command(IDM_EDIT_INSERT_TEXT);  // "second" at row 2, "first" at row 3
    }
    select({0, 3, 2});
    expectMenu("text steps selected", {{IDM_EDIT_DELETE, L"删除所选\tDel", true},
                                       {IDM_EDIT_SET_DELAY, L"设置延迟...", true},
                                       {IDM_EDIT_TRIM_START, L"去掉开头等待", true},
                                       {IDM_EDIT_PLAY_FROM, L"从此处回放", true},
                                       {IDM_EDIT_INSERT_TEXT, L"插入文字...", true},
                                       {IDM_EDIT_TEXT, L"编辑文字...", true},
                                       {kSubmenu, L"插入等待", true},
                                       {IDM_EDIT_UNDO, L"撤销\tCtrl+Z", true}});
    answeredStep = TextStepInput{"changed\tline\r\n", 2.0};
    command(IDM_EDIT_TEXT);
    EXPECT_EQ(shownTitle, L"编辑文字");
    EXPECT_EQ(shownStep.text, "second");
    EXPECT_DOUBLE_EQ(shownStep.delay, 1.0);
    EXPECT_EQ(listRow(2).substr(9), L"文字 「changed\tline⏎」");
    EXPECT_EQ(listRow(3).substr(9), L"文字 「first」");
    EXPECT_DOUBLE_EQ(delayOf(2), 2.0);
    command(IDM_EDIT_UNDO);
    EXPECT_EQ(listRow(2).substr(9), L"文字 「second」");
    EXPECT_DOUBLE_EQ(delayOf(2), 1.0);

    // Confirming the dialog unchanged is no edit; with no text step selected nothing opens.
    answeredStep = TextStepInput{"second", 1.0};
    const int shown = textDialogs;
    command(IDM_EDIT_TEXT);
    EXPECT_EQ(textDialogs, shown + 1);
    EXPECT_DOUBLE_EQ(delayOf(2), 1.0);
    select({0, 1});
    command(IDM_EDIT_TEXT);
    EXPECT_EQ(textDialogs, shown + 1);
}

int pointDialogs = 0;
bool cancelPoint(HWND, const wchar_t*, PointStepInput&)
{
    ++pointDialogs;
    return false;
}

TEST_F(EditCommandsTest, ADoubleClickOnATextRowEditsIt)
{
    ScopedSeam dialog(askTextStepSeam, &answerText);
    ScopedSeam pointDialog(askPointStepSeam, &cancelPoint);
    answeredStep = TextStepInput{"typed", 0.0};
    select({1});
    command(IDM_EDIT_INSERT_TEXT);  // row 1
    // The list box tells a double-click with the caret on the row that its first click hit.
    const auto doubleClickRow = [&](int row) {
        HWND list = GetDlgItem(window, IDC_EVENT_LIST);
        SendMessageW(list, LB_SETCARETINDEX, static_cast<WPARAM>(row), FALSE);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_EVENT_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    };
    const int before = textDialogs;
    answeredStep = TextStepInput{"retyped", 0.0};
    doubleClickRow(0);
    EXPECT_EQ(textDialogs, before) << "a move's row opens the dialog of a move";
    EXPECT_EQ(pointDialogs, 1);
    doubleClickRow(1);
    EXPECT_EQ(textDialogs, before + 1);
    EXPECT_EQ(listRow(1).substr(9), L"文字 「retyped」");
}

}  // namespace
