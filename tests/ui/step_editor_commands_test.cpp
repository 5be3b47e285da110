// The editor's commands in the window: what its menu offers, moves, cut, copy and paste through
// the clipboard, redo, the insert dialogs and the change of a drag, each one undo step.
#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "script/step_changes.h"
#include "support/scoped_seam.h"
#include "ui/clipboard_text.h"
#include "ui/step_dialogs.h"
#include "ui_test_support.h"

namespace {

std::wstring clipboard;
bool putText(HWND, const std::wstring& text)
{
    clipboard = text;
    return true;
}
bool getText(HWND, std::wstring& text)
{
    text = clipboard;
    return true;
}

KeyStepInput keyAnswer;
bool answerKey(HWND, const wchar_t*, KeyStepInput& step)
{
    step = keyAnswer;
    return true;
}
PointStepInput pointAnswer;
bool answerPoint(HWND, const wchar_t*, PointStepInput& step)
{
    step.x = pointAnswer.x;
    step.y = pointAnswer.y;
    step.button = pointAnswer.button;
    step.doubleClick = pointAnswer.doubleClick;
    step.delay = pointAnswer.delay;
    return true;
}
bool answerPause(HWND, double& seconds)
{
    seconds = 2.0;
    return true;
}

class StepEditorTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        replaceShownEvents(sampleEvents(6));  // moves to (0,0) ... (5,0)
        testWindow().showEventRows();
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
        std::vector<int> rows(static_cast<size_t>(listRows()));
        rows.resize(static_cast<size_t>(SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_GETSELITEMS, rows.size(),
                                                            reinterpret_cast<LPARAM>(rows.data()))));
        return rows;
    }
    std::string xs()
    {
        std::string out;
        for (const MacroEvent& e : shownScript().events()) {
            out += std::to_string(e.x) + (e.kind == EventKind::Move ? " " : "* ");
        }
        return out;
    }
    ScopedSeam<ClipboardSeam> clipboardFake{clipboardSeam, ClipboardSeam{&putText, &getText}};
};

TEST_F(StepEditorTest, MovesCutCopyPasteUndoAndRedo)
{
    select({1, 3});
    command(IDM_EDIT_MOVE_DOWN);
    EXPECT_EQ(xs(), "0 2 1 4 3 5 ");
    EXPECT_EQ(selected(), (std::vector<int>{2, 4})) << "the selection moves with the rows";
    EXPECT_TRUE(testWindow().isUnsaved());

    command(IDM_EDIT_COPY);
    EXPECT_EQ(status(), L"已复制 2 个步骤");
    EXPECT_NE(clipboard.find(L"\"events\""), std::wstring::npos) << "the text of a script file";
    select({});
    command(IDM_EDIT_PASTE);
    EXPECT_EQ(xs(), "0 2 1 4 3 5 1 3 ") << "pasted at the end when nothing is selected";
    EXPECT_EQ(selected(), (std::vector<int>{6, 7}));
    select({0});
    command(IDM_EDIT_CUT);
    EXPECT_EQ(xs(), "2 1 4 3 5 1 3 ");
    select({1});
    command(IDM_EDIT_PASTE);
    EXPECT_EQ(xs(), "2 0 1 4 3 5 1 3 ") << "pasted before the first selected row";

    clipboard = L"just some words";
    command(IDM_EDIT_PASTE);
    EXPECT_EQ(status(), L"剪贴板中没有可粘贴的脚本步骤");
    EXPECT_EQ(listRows(), 8);

    const struct {
        int id;
        const char* after;
    } steps[] = {{IDM_EDIT_UNDO, "2 1 4 3 5 1 3 "},
                 {IDM_EDIT_UNDO, "0 2 1 4 3 5 1 3 "},
                 {IDM_EDIT_REDO, "2 1 4 3 5 1 3 "},
                 {IDM_EDIT_REDO, "2 0 1 4 3 5 1 3 "},
                 {IDM_EDIT_REDO, "2 0 1 4 3 5 1 3 "}};
    for (const auto& step : steps) {
        command(step.id);
        EXPECT_EQ(xs(), step.after);
    }
    command(IDM_EDIT_UNDO);
    select({0});
    command(IDM_EDIT_MOVE_DOWN);
    command(IDM_EDIT_REDO);
    EXPECT_EQ(xs(), "1 2 4 3 5 1 3 ") << "a new edit leaves nothing to redo";
}

TEST_F(StepEditorTest, InsertedKeysClicksAndPausesAndAChangedDrag)
{
    ScopedSeam keys(askKeyStepSeam, &answerKey);
    ScopedSeam points(askPointStepSeam, &answerPoint);
    ScopedSeam pauses(askPauseSeam, &answerPause);
    select({2});
    keyAnswer = KeyStepInput{true, 'S', kStepCtrl, 0.5};
    command(IDM_EDIT_INSERT_KEY);
    EXPECT_EQ(listRows(), 10);
    EXPECT_EQ(shownScript().eventAt(3)->keyOrText, "S");
    EXPECT_EQ(selected(), (std::vector<int>{2, 3, 4, 5}));
    command(IDM_EDIT_UNDO);

    select({});
    pointAnswer.x = 40;
    pointAnswer.y = 50;
    pointAnswer.button = MouseButton::Right;
    pointAnswer.doubleClick = false;
    command(IDM_EDIT_INSERT_CLICK);
    EXPECT_EQ(xs(), "0 1 2 3 4 5 40* 40* ");
    EXPECT_EQ(shownScript().eventAt(7)->button, MouseButton::Right);

    select({1});
    command(IDM_EDIT_INSERT_DELAY);
    EXPECT_DOUBLE_EQ(shownScript().eventAt(1)->delay, 2.01) << "the pause lengthens the step's own wait";

    // A press changed: its release moves with it; the moves between follow.
    pointAnswer.x = 45;
    pointAnswer.button = MouseButton::Left;
    pointAnswer.delay = 0.3;
    SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_SETCARETINDEX, 6, FALSE);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_EVENT_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_EVENT_LIST)));
    EXPECT_EQ(xs(), "0 1 2 3 4 5 45* 45* ");
    EXPECT_EQ(shownScript().eventAt(7)->button, MouseButton::Left) << "the release keeps the press's button";
    EXPECT_DOUBLE_EQ(shownScript().eventAt(6)->delay, 0.3);
    command(IDM_EDIT_UNDO);
    EXPECT_EQ(xs(), "0 1 2 3 4 5 40* 40* ") << "one undo step";
}

TEST_F(StepEditorTest, TheMenuShowsTheKeysAndNothingRunsDuringAPlayback)
{
    select({1});
    const MenuHandle menu = testWindow().makeListMenu();
    const struct {
        int id;
        const wchar_t* text;
    } items[] = {{IDM_EDIT_MOVE_UP, L"上移\tAlt+↑"},
                 {IDM_EDIT_MOVE_DOWN, L"下移\tAlt+↓"},
                 {IDM_EDIT_CUT, L"剪切\tCtrl+X"},
                 {IDM_EDIT_COPY, L"复制\tCtrl+C"},
                 {IDM_EDIT_PASTE, L"粘贴\tCtrl+V"},
                 {IDM_EDIT_REDO, L"重做\tCtrl+Y"},
                 {IDM_EDIT_GO_TO, L"转到第 N 行...\tCtrl+G"},
                 {IDM_EDIT_INSERT_KEY, L"插入按键..."},
                 {IDM_EDIT_INSERT_CLICK, L"插入点击..."},
                 {IDM_EDIT_INSERT_DELAY, L"插入延迟..."},
                 {IDM_EDIT_INSERT_SCRIPT, L"插入脚本..."},
                 {IDM_EDIT_STEP, L"编辑..."}};
    for (const auto& item : items) {
        wchar_t text[64] = L"";
        GetMenuStringW(menu.get(), static_cast<UINT>(item.id), text, 64, MF_BYCOMMAND);
        EXPECT_EQ(std::wstring(text), item.text);
    }

    startHooks();
    editShownEvents([](std::vector<MacroEvent>& events) { events[0].delay = 300; });
    command(IDC_PLAY);
    ASSERT_TRUE(testPlayer().isPlaying());
    select({1, 2});
    const MenuHandle playing = testWindow().makeListMenu();
    for (const auto& item : items) {
        EXPECT_NE(GetMenuState(playing.get(), static_cast<UINT>(item.id), MF_BYCOMMAND) & MF_GRAYED, 0u);
        command(item.id);
    }
    EXPECT_EQ(shownScript().eventCount(), 6u);
    SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
}

}  // namespace
