// The main window on real windows under wine: layout, controls, drawing, controller and script commands.
#include <cstdio>
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "player/player.h"
#include "recorder/recorder.h"
#include "recorder/recorder_messages.h"
#include "script/script_file.h"
#include "support/message_pump.h"
#include "ui/control_ids.h"
#include "ui/main_window.h"
#include "ui/window_layout.h"
#include "ui_test_support.h"

namespace {

void expectChildRect(HWND window, int id, int x, int y, int width, int height)
{
    RECT box{};
    GetWindowRect(GetDlgItem(window, id), &box);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, x) << "id " << id;
    EXPECT_EQ(box.top, y) << "id " << id;
    EXPECT_EQ(box.right - box.left, width) << "id " << id;
    EXPECT_EQ(box.bottom - box.top, height) << "id " << id;
}

struct PlacedControl {
    int id;
    int x, y, width, height;
};

void expectPlaced(HWND window, std::initializer_list<PlacedControl> controls)
{
    for (const PlacedControl& c : controls) {
        expectChildRect(window, c.id, c.x, c.y, c.width, c.height);
    }
}

// The initial window at 96 DPI: 620 x 482 client.
void expectLayoutAt96(HWND window)
{
    expectPlaced(window, {{IDC_GROUP_CAPTURE, 10, 6, 600, 52},
                          {IDC_RECORD, 22, 86, 112, 30},
                          {IDC_SPEED, 62, 149, 46, 24},
                          {IDC_PLAY, 306, 146, 104, 30},
                          {IDC_EVENT_LIST, 20, 296, 580, 142},
                          {IDC_STATUS, 0, 458, 620, 24},
                          {IDC_CHECK_UPDATE, 530, 460, 84, 20}});
}

TEST_F(MainWindowTest, OpensWithTheLayoutTableAt96Dpi)
{
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 620);
    EXPECT_EQ(client.bottom, 482);
    wchar_t title[64] = L"";
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(title, L"岚溪脚本录制软件");
    expectLayoutAt96(window);
}

TEST_F(MainWindowTest, MinimumSizeClampsTheEventsGroup)
{
    SetWindowPos(window, nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, 620);
    EXPECT_EQ(outer.bottom - outer.top, 400);
    RECT client{};
    GetClientRect(window, &client);
    ASSERT_LT(client.bottom, 276 + 24 + 10 + 80);
    expectChildRect(window, IDC_GROUP_EVENTS, 10, 276, client.right - 20, 80);
    expectChildRect(window, IDC_EVENT_LIST, 20, 296, client.right - 40, 50);
    expectChildRect(window, IDC_STATUS, 0, client.bottom - 24, client.right, 24);

    SetWindowPos(window, nullptr, 0, 0, 900, 700, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    GetClientRect(window, &client);
    expectPlaced(window, {{IDC_GROUP_CAPTURE, 10, 6, client.right - 20, 52},
                          {IDC_RECORD, 22, 86, 112, 30},
                          {IDC_GROUP_EVENTS, 10, 276, client.right - 20, client.bottom - 310},
                          {IDC_EVENT_LIST, 20, 296, client.right - 40, client.bottom - 340},
                          {IDC_STATUS, 0, client.bottom - 24, client.right, 24},
                          {IDC_CHECK_UPDATE, client.right - 90, client.bottom - 22, 84, 20}});
}

TEST(MainWindowDpi, OpensWithTheLayoutTableAt144Dpi)
{
    HWND window = openMainWindow(144);
    ASSERT_NE(window, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 930);
    EXPECT_EQ(client.bottom, 723);
    expectPlaced(window, {{IDC_GROUP_CAPTURE, 15, 9, 900, 78},
                          {IDC_RECORD, 33, 129, 168, 45},
                          {IDC_SPEED, 93, 224, 69, 36},
                          {IDC_PLAY, 459, 219, 156, 45},
                          {IDC_EVENT_LIST, 30, 444, 870, 213},
                          {IDC_STATUS, 0, 687, 930, 36},
                          {IDC_CHECK_UPDATE, 795, 690, 126, 30}});
    HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageW(window, IDC_RECORD, WM_GETFONT, 0, 0));
    LOGFONTW described{};
    ASSERT_NE(GetObjectW(font, sizeof described, &described), 0);
    EXPECT_EQ(described.lfHeight, -18);

    // A move to a monitor of another scale: new fonts, the suggested rectangle, a new layout.
    RECT suggested{40, 30, 40 + 800, 30 + 640};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(testWindow().dpi(), 120);
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, 40);
    EXPECT_EQ(outer.right - outer.left, 800);
    // At 120 DPI every term is rounded on its own: 10 + 12 becomes 13 + 15.
    GetClientRect(window, &client);
    expectPlaced(window, {{IDC_GROUP_CAPTURE, 13, 8, client.right - 26, 65},
                          {IDC_RECORD, 28, 108, 140, 38},
                          {IDC_SPEED, 78, 186, 58, 30},
                          {IDC_PLAY, 383, 183, 130, 38},
                          {IDC_STATUS, 0, client.bottom - 30, client.right, 30}});
    font = reinterpret_cast<HFONT>(SendDlgItemMessageW(window, IDC_EVENT_LIST, WM_GETFONT, 0, 0));
    ASSERT_NE(GetObjectW(font, sizeof described, &described), 0);
    EXPECT_EQ(described.lfHeight, -15);
    EXPECT_STREQ(described.lfFaceName, L"Consolas");
    closeMainWindow();
}

TEST_F(MainWindowTest, ControlsHaveTheirClassesTextsStylesAndFonts)
{
    struct Control {
        int id;
        const wchar_t* className;
        const wchar_t* text;
        DWORD style;  // without WS_DISABLED
        bool clientEdge;
        const wchar_t* face;
        int height;  // font height at 96 DPI after the real DPI was applied; 0: not checked
    } controls[] = {
        {IDC_GROUP_CAPTURE, L"Button", L"录制设置", 0x50000007, false, L"Microsoft YaHei", -12},
        {IDC_MOUSE, L"Button", L"鼠标", 0x50000003, false, L"Microsoft YaHei", -12},
        {IDC_KEYBOARD, L"Button", L"键盘", 0x50000003, false, L"Microsoft YaHei", -12},
        {IDC_GROUP_RECORD, L"Button", L"录制 (F8 开始 / F9 停止)", 0x50000007, false, L"Microsoft YaHei", -12},
        {IDC_RECORD, L"Button", L"● 录制", 0x5001000B, false, L"Microsoft YaHei", -12},
        {IDC_RECORD_STOP, L"Button", L"■ 停止", 0x5001000B, false, L"Microsoft YaHei", -12},
        {IDC_GROUP_PLAYBACK, L"Button", L"回放 (F9 停止)", 0x50000007, false, L"Microsoft YaHei", -12},
        {IDC_SPEED_LABEL, L"Static", L"倍速:", 0x50000000, false, L"Microsoft YaHei", -12},
        {IDC_SPEED, L"Edit", L"1.0", 0x50010080, true, L"Microsoft YaHei", -12},
        {IDC_SPEED_SPIN, L"msctls_updown32", L"", 0x500100A4, true, nullptr, 0},
        {IDC_LOOP, L"Button", L"循环", 0x50000003, false, L"Microsoft YaHei", -12},
        {IDC_CLICK_FIDELITY, L"Button", L"点击保真（点击节奏不随倍速缩放，保护双击）", 0x50000003, false,
         L"Microsoft YaHei", -12},
        {IDC_COUNT_LABEL, L"Static", L"次数:", 0x50000000, false, L"Microsoft YaHei", -12},
        {IDC_COUNT, L"Edit", L"1", 0x50010080, true, L"Microsoft YaHei", -12},
        {IDC_COUNT_SPIN, L"msctls_updown32", L"", 0x500100A4, true, nullptr, 0},
        {IDC_PLAY, L"Button", L"▶ 回放", 0x5001000B, false, L"Microsoft YaHei", -12},
        {IDC_PLAY_STOP, L"Button", L"■ 停止", 0x5001000B, false, L"Microsoft YaHei", -12},
        {IDC_EVENT_COUNT, L"Static", L"(0)", 0x50000000, false, L"Microsoft YaHei", -12},
        {IDC_GROUP_SCRIPT, L"Button", L"脚本", 0x50000007, false, L"Microsoft YaHei", -12},
        {IDC_SAVE, L"Button", L"保存", 0x5001000B, false, L"Microsoft YaHei", -12},
        {IDC_LOAD, L"Button", L"加载", 0x5001000B, false, L"Microsoft YaHei", -12},
        {IDC_CLEAR, L"Button", L"清空", 0x5001000B, false, L"Microsoft YaHei", -12},
        {IDC_GROUP_EVENTS, L"Button", L"事件列表", 0x50000007, false, L"Microsoft YaHei", -12},
        {IDC_EVENT_LIST, L"ListBox", L"", 0x50211100, true, L"Consolas", -12},
        {IDC_STATUS, L"Static", L"就绪", 0x50000200, false, L"Microsoft YaHei", -11},
        {IDC_CHECK_UPDATE, L"Button", L"检查更新", 0x50010000, false, L"Microsoft YaHei", -11},
    };
    HWND child = GetWindow(window, GW_CHILD);
    for (const Control& c : controls) {
        ASSERT_NE(child, nullptr) << "missing child before id " << c.id;
        EXPECT_EQ(GetDlgCtrlID(child), c.id) << "creation order";
        HWND control = GetDlgItem(window, c.id);
        wchar_t className[64] = L"";
        GetClassNameW(control, className, 64);
        EXPECT_EQ(lstrcmpiW(className, c.className), 0) << c.id << " is " << className;
        EXPECT_EQ(controlText(c.id), c.text) << c.id;
        const DWORD style =
            static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)) & ~static_cast<DWORD>(WS_DISABLED);
        EXPECT_EQ(style & c.style, c.style) << c.id << std::hex << " style " << style;
        const bool clientEdge = (GetWindowLongPtrW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0;
        EXPECT_EQ(clientEdge, c.clientEdge) << c.id;
        if (c.face != nullptr) {
            HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
            LOGFONTW described{};
            ASSERT_NE(GetObjectW(font, sizeof described, &described), 0) << c.id;
            EXPECT_STREQ(described.lfFaceName, c.face) << c.id;
            EXPECT_EQ(described.lfHeight, c.height) << c.id;
            EXPECT_EQ(described.lfWeight, FW_NORMAL) << c.id;
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more children than the 26 controls";

    EXPECT_EQ(IsDlgButtonChecked(window, IDC_MOUSE), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_KEYBOARD), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_LOOP), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_CLICK_FIDELITY), BST_CHECKED);
    EXPECT_EQ(SendDlgItemMessageW(window, IDC_SPEED_SPIN, UDM_GETPOS, 0, 0) & 0xFFFF, 10);
    EXPECT_EQ(SendDlgItemMessageW(window, IDC_COUNT_SPIN, UDM_GETPOS32, 0, 0), 1);
    EXPECT_EQ(reinterpret_cast<HWND>(SendDlgItemMessageW(window, IDC_SPEED_SPIN, UDM_GETBUDDY, 0, 0)),
              GetDlgItem(window, IDC_SPEED));
    expectIdle("fresh window", false);
}

// Draws one owner-drawn button into a memory bitmap and reads back its pixels.
struct DrawnButton {
    COLORREF fill = 0;
    COLORREF corner = 0;
    bool hasWhite = false;
};

DrawnButton drawButton(HWND window, int id, UINT itemState)
{
    HWND button = GetDlgItem(window, id);
    RECT bounds{};
    GetClientRect(button, &bounds);
    HDC screen = GetDC(button);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, bounds.right, bounds.bottom);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(id);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = itemState;
    item.hwndItem = button;
    item.hDC = memory;
    item.rcItem = bounds;
    SendMessageW(window, WM_DRAWITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&item));
    DrawnButton drawn;
    drawn.fill = GetPixel(memory, 5, 2);
    drawn.corner = GetPixel(memory, 0, 0);
    for (int x = 0; x < bounds.right && !drawn.hasWhite; ++x) {
        for (int y = 0; y < bounds.bottom; ++y) {
            if (GetPixel(memory, x, y) == RGB(255, 255, 255)) {
                drawn.hasWhite = true;
                break;
            }
        }
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(button, screen);
    return drawn;
}

TEST_F(MainWindowTest, ActionButtonsAreDrawnInTheirColours)
{
    struct Case {
        int id;
        UINT state;
        COLORREF fill;
    } cases[] = {
        {IDC_RECORD, 0, RGB(211, 47, 47)},
        {IDC_RECORD, ODS_SELECTED, RGB(168, 37, 37)},
        {IDC_SAVE, 0, RGB(25, 118, 210)},
        {IDC_LOAD, ODS_SELECTED, RGB(20, 94, 168)},
        {IDC_PLAY, 0, RGB(158, 158, 158)},
        {IDC_PLAY_STOP, ODS_SELECTED, RGB(158, 158, 158)},
        {IDC_RECORD_STOP, ODS_FOCUS, RGB(158, 158, 158)},
    };
    for (const Case& c : cases) {
        const DrawnButton drawn = drawButton(window, c.id, c.state);
        EXPECT_EQ(drawn.fill, c.fill) << c.id << std::hex << " got " << drawn.fill;
        EXPECT_EQ(drawn.corner, RGB(200, 200, 200)) << c.id;
        EXPECT_TRUE(drawn.hasWhite) << "white caption on " << c.id;
    }
    // Enabled state comes from the window itself, not from the item state.
    EnableWindow(GetDlgItem(window, IDC_PLAY), TRUE);
    EXPECT_EQ(drawButton(window, IDC_PLAY, ODS_DISABLED).fill, RGB(56, 142, 60));

    // The button on screen, painted by the window itself.
    HWND record = GetDlgItem(window, IDC_RECORD);
    RedrawWindow(record, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    pumpMessagesFor(100);
    HDC dc = GetDC(record);
    EXPECT_EQ(GetPixel(dc, 5, 2), RGB(211, 47, 47));
    ReleaseDC(record, dc);
}

TEST_F(MainWindowTest, SpeedAndCountFieldsAreNormalised)
{
    struct SpeedCase {
        const wchar_t* typed;
        const wchar_t* shown;
        int position;
    } speeds[] = {{L"abc", L"1.0", 10}, {L"0", L"1.0", 10},    {L"-2", L"1.0", 10},
                  {L"0.05", L"0.1", 1}, {L"25", L"10.0", 100}, {L"2.5x", L"2.5", 25}};
    for (const SpeedCase& c : speeds) {
        SetDlgItemTextW(window, IDC_SPEED, c.typed);
        command(IDC_SPEED, EN_CHANGE);
        EXPECT_EQ(controlText(IDC_SPEED), c.typed) << "only leaving the field normalises";
        command(IDC_SPEED, EN_KILLFOCUS);
        EXPECT_EQ(controlText(IDC_SPEED), c.shown) << c.typed;
        EXPECT_EQ(SendDlgItemMessageW(window, IDC_SPEED_SPIN, UDM_GETPOS, 0, 0) & 0xFFFF, c.position) << c.typed;
    }
    struct CountCase {
        const wchar_t* typed;
        const wchar_t* shown;
    } counts[] = {{L"0", L"1"}, {L"1500", L"999"}, {L"7abc", L"7"}, {L"", L"1"}};
    for (const CountCase& c : counts) {
        SetDlgItemTextW(window, IDC_COUNT, c.typed);
        command(IDC_COUNT, EN_KILLFOCUS);
        EXPECT_EQ(controlText(IDC_COUNT), c.shown) << c.typed;
        EXPECT_EQ(SendDlgItemMessageW(window, IDC_COUNT_SPIN, UDM_GETPOS32, 0, 0), _wtoi(c.shown)) << c.typed;
    }

    // Arrow steps: one tenth each, clamped at both ends, and the control's own change refused.
    SetDlgItemTextW(window, IDC_SPEED, L"10.0");
    EXPECT_EQ(spin(IDC_SPEED_SPIN, 1), TRUE);
    EXPECT_EQ(controlText(IDC_SPEED), L"10.0");
    EXPECT_EQ(spin(IDC_SPEED_SPIN, -1), TRUE);
    EXPECT_EQ(controlText(IDC_SPEED), L"9.9");
    SetDlgItemTextW(window, IDC_SPEED, L"0.1");
    spin(IDC_SPEED_SPIN, -1);
    EXPECT_EQ(controlText(IDC_SPEED), L"0.1");
    SetDlgItemTextW(window, IDC_COUNT, L"999");
    EXPECT_EQ(spin(IDC_COUNT_SPIN, 1), TRUE);
    EXPECT_EQ(controlText(IDC_COUNT), L"999");
    SetDlgItemTextW(window, IDC_COUNT, L"1");
    spin(IDC_COUNT_SPIN, -1);
    EXPECT_EQ(controlText(IDC_COUNT), L"1");
    spin(IDC_COUNT_SPIN, 4);
    EXPECT_EQ(controlText(IDC_COUNT), L"5");

    // "循环" disables the count field and its arrows.
    CheckDlgButton(window, IDC_LOOP, BST_CHECKED);
    command(IDC_LOOP);
    EXPECT_FALSE(controlEnabled(IDC_COUNT));
    EXPECT_FALSE(controlEnabled(IDC_COUNT_SPIN));
    CheckDlgButton(window, IDC_LOOP, BST_UNCHECKED);
    command(IDC_LOOP);
    EXPECT_TRUE(controlEnabled(IDC_COUNT));
    EXPECT_TRUE(controlEnabled(IDC_COUNT_SPIN));
}

TEST_F(MainWindowTest, StateTableOverIdleRecordingAndPlaying)
{
    startHooks();
    expectIdle("idle without events", false);
    EXPECT_EQ(controlText(IDC_EVENT_COUNT), L"(0)");

    // F9 while idle changes nothing.
    testWindow().setStatus(L"x");
    SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
    EXPECT_EQ(status(), L"x");
    EXPECT_TRUE(messageBoxes.shown.empty());

    // A playback that waits 300 s (30 s at speed 10) before its first event stays "playing" for the test.
    std::vector<MacroEvent> events = sampleEvents(3);
    events[0].delay = 300.0;
    loadThroughCommand(events, L"lr_ui_state.json");
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].text, L"加载 3 条");
    EXPECT_EQ(status(), L"已加载脚本");
    expectIdle("idle with events", true);
    EXPECT_EQ(controlText(IDC_EVENT_COUNT), L"(3)");

    SetDlgItemTextW(window, IDC_SPEED, L"25");
    SetDlgItemTextW(window, IDC_COUNT, L"3");
    command(IDC_PLAY);
    ASSERT_TRUE(testPlayer().isPlaying());
    EXPECT_EQ(controlText(IDC_SPEED), L"10.0") << "the fields show the values used";
    EXPECT_EQ(status(), L"▶ 回放中...（共 3 次）");
    expectButtons("playing", {{IDC_RECORD, false, L"● 录制"},
                              {IDC_RECORD_STOP, false, nullptr},
                              {IDC_PLAY, false, L"⏸ 回放中"},
                              {IDC_PLAY_STOP, true, nullptr},
                              {IDC_SAVE, false, nullptr},
                              {IDC_LOAD, false, nullptr},
                              {IDC_CLEAR, false, nullptr},
                              {IDC_CHECK_UPDATE, false, nullptr}});
    SendMessageW(window, WM_APP_RECORD_HOTKEY, 0, 0);
    SendMessageW(window, WM_APP_RECORD_ALT_HOTKEY, 0, 0);
    EXPECT_TRUE(testPlayer().isPlaying());
    EXPECT_FALSE(testRecorder().isRecording()) << "F8 while playing does nothing";
    command(IDC_CHECK_UPDATE);
    ASSERT_EQ(messageBoxes.shown.size(), 2u);
    EXPECT_EQ(messageBoxes.shown[1].text, L"录制 / 回放进行中，请先停止后再检查更新。");
    EXPECT_EQ(messageBoxes.shown[1].caption, L"在线更新");
    EXPECT_TRUE(pumpMessagesUntil([this] { return status() == L"▶ 回放中...（第 1/3 次）"; }, 3000))
        << "each pass announces itself";

    SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
    EXPECT_FALSE(testPlayer().isPlaying());
    EXPECT_EQ(status(), L"⏹ 停止");
    expectIdle("stopped playback", true);
    pumpMessagesFor(50);  // the late end message changes nothing visible
    EXPECT_EQ(status(), L"⏹ 停止");
    expectIdle("after the end message", true);

    // Recording over existing events asks first; No discards them.
    messageBoxes.answers = {IDNO};
    SendMessageW(window, WM_APP_RECORD_HOTKEY, 0, 0);
    ASSERT_TRUE(testRecorder().isRecording());
    ASSERT_EQ(messageBoxes.shown.size(), 3u);
    EXPECT_EQ(messageBoxes.shown[2].text, L"开始新录制会清空当前的 3 条事件。\n\n是否先保存当前脚本？");
    EXPECT_EQ(messageBoxes.shown[2].type, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(listRows(), 0);
    EXPECT_EQ(controlText(IDC_EVENT_COUNT), L"(0)");
    EXPECT_EQ(status(), L"● 录制中...");
    expectButtons("recording", {{IDC_RECORD, false, L"● 录制中"},
                                {IDC_RECORD_STOP, true, nullptr},
                                {IDC_PLAY, false, L"▶ 回放"},
                                {IDC_PLAY_STOP, false, nullptr},
                                {IDC_SAVE, false, nullptr},
                                {IDC_LOAD, false, nullptr},
                                {IDC_CLEAR, false, nullptr},
                                {IDC_CHECK_UPDATE, false, nullptr}});

    // F8 again while the notice is open: the second press is dropped, not queued.
    messageBoxes.onShow = [] {
        PostMessageW(testWindow().handle(), WM_APP_RECORD_HOTKEY, 0, 0);
        PostMessageW(testWindow().handle(), WM_APP_RECORD_ALT_HOTKEY, 0, 0);
        pumpMessagesFor(30);
    };
    SendMessageW(window, WM_APP_RECORD_HOTKEY, 0, 0);
    messageBoxes.onShow = nullptr;
    ASSERT_EQ(messageBoxes.shown.size(), 4u);
    EXPECT_EQ(messageBoxes.shown[3].text,
              L"程序正在录制脚本，请勿重复按F8录制。\n\n如需停止录制，请按 F9，或点击「■ 停止录制」。");
    pumpMessagesFor(30);
    EXPECT_EQ(messageBoxes.shown.size(), 4u);
    SendMessageW(window, WM_APP_RECORD_ALT_HOTKEY, 0, 0);
    EXPECT_EQ(messageBoxes.shown.size(), 5u) << "a later press shows the notice again";

    // An event captured while recording adds its row but keeps play disabled.
    captureMoves({{0, 0}});
    SendMessageW(window, WM_APP_EVENT_ADDED, 0, 0);
    SendMessageW(window, WM_APP_EVENT_ADDED, 7, 0);  // a later message for the same event finds nothing new
    EXPECT_EQ(listRows(), 1);
    EXPECT_EQ(listRow(0), L"  #0001  移动 (0,0)");
    EXPECT_FALSE(controlEnabled(IDC_PLAY));

    SendMessageW(window, WM_APP_STOP_HOTKEY, 0, 0);
    EXPECT_FALSE(testRecorder().isRecording());
    EXPECT_EQ(status(), L"已停止 (1条)");
    expectIdle("stopped recording", true);
    EXPECT_TRUE(testWindow().isUnsaved());
}

TEST_F(MainWindowTest, PlaybackToTheEndShowsDone)
{
    startHooks();
    std::vector<MacroEvent> events = sampleEvents(2);
    events[0].x = 600;
    events[0].y = 500;
    events[1] = events[0];
    loadThroughCommand(events, L"lr_ui_done.json");
    SetDlgItemTextW(window, IDC_COUNT, L"1");
    command(IDC_PLAY);
    EXPECT_EQ(status(), L"▶ 回放中...");
    ASSERT_TRUE(pumpMessagesUntil([] { return !testPlayer().isPlaying(); }, 5000));
    pumpMessagesFor(50);
    EXPECT_EQ(status(), L"✅ 完成");
    expectIdle("after a completed playback", true);
}

TEST_F(MainWindowTest, RecordRefusalsLeaveEventsAlone)
{
    startHooks();
    loadThroughCommand(sampleEvents(2), L"lr_ui_refuse.json");
    messageBoxes.shown.clear();

    CheckDlgButton(window, IDC_MOUSE, BST_UNCHECKED);
    CheckDlgButton(window, IDC_KEYBOARD, BST_UNCHECKED);
    command(IDC_RECORD);
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].text, L"请至少选择鼠标或键盘");
    EXPECT_EQ(messageBoxes.shown[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_FALSE(testRecorder().isRecording());

    CheckDlgButton(window, IDC_MOUSE, BST_CHECKED);
    messageBoxes.answers = {IDCANCEL};
    command(IDC_RECORD);
    EXPECT_FALSE(testRecorder().isRecording());
    messageBoxes.answers = {IDYES};  // then the save dialog is cancelled
    command(IDC_RECORD);
    EXPECT_FALSE(testRecorder().isRecording());
    EXPECT_EQ(fileDialogs.shown, 2);  // the load, then the cancelled save
    EXPECT_EQ(shownScript().eventCount(), 2u);
    EXPECT_EQ(listRows(), 2);
    expectIdle("after refused recordings", true);
}

TEST_F(MainWindowTest, CloseWithUnsavedEventsAsksAndCancelKeepsTheWindow)
{
    recordMoves({{0, 0}, {1, 0}});
    ASSERT_TRUE(testWindow().isUnsaved());
    EXPECT_TRUE(controlEnabled(IDC_PLAY));

    messageBoxes.answers = {IDCANCEL};
    SendMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(window));
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].text,
              L"当前脚本尚未保存，是否保存？\n\n选「否」将直接退出，本次录制的内容会丢失。");
    EXPECT_EQ(messageBoxes.shown[0].caption, L"关闭");

    messageBoxes.answers = {IDYES};  // the save dialog is cancelled: the window stays
    SendMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(testRecorder().hookState(), HookState::Installed);

    messageBoxes.answers = {IDNO};
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(testWindow().handle(), nullptr);
    MSG quit{};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(MainWindowTest, SaveWritesTheScriptAndReportsFailures)
{
    command(IDC_SAVE);
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].text, L"无事件");
    EXPECT_EQ(fileDialogs.shown, 0);

    recordMoves({{0, 0}, {1, 0}, {2, 0}});
    const std::wstring path = tempPath(L"lr_ui_saved.json");
    DeleteFileW(path.c_str());
    fileDialogs.paths = {L"Z:\\no\\such\\folder\\x.json", path};
    command(IDC_SAVE);
    ASSERT_EQ(messageBoxes.shown.size(), 2u);
    EXPECT_EQ(messageBoxes.shown[1].text.rfind(L"保存失败: ", 0), 0u)
        << "got: " << std::string(messageBoxes.shown[1].text.begin(), messageBoxes.shown[1].text.end());
    EXPECT_EQ(messageBoxes.shown[1].caption, L"错误");
    EXPECT_TRUE(testWindow().isUnsaved());

    command(IDC_SAVE);
    ASSERT_EQ(messageBoxes.shown.size(), 3u);
    EXPECT_EQ(messageBoxes.shown[2].text, L"已保存");
    EXPECT_EQ(status(), L"已保存脚本");
    EXPECT_FALSE(testWindow().isUnsaved());
    std::vector<MacroEvent> reloaded;
    std::wstring error;
    ASSERT_TRUE(loadScript(path, reloaded, error));
    EXPECT_EQ(reloaded.size(), 3u);
    DeleteFileW(path.c_str());
}

TEST_F(MainWindowTest, LoadAndClearKeepOrReplaceTheScript)
{
    loadThroughCommand(sampleEvents(4), L"lr_ui_four.json");
    ASSERT_EQ(listRows(), 4);
    EXPECT_EQ(listRow(3), L"  #0004  移动 (3,0)");

    // A broken file: error shown, events, rows and count kept.
    const std::wstring broken = tempPath(L"lr_ui_broken.json");
    FILE* file = _wfopen(broken.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    std::fputs("{\"v\": 4, \"events\": [", file);
    std::fclose(file);
    fileDialogs.paths = {broken};
    messageBoxes.shown.clear();
    command(IDC_LOAD);
    DeleteFileW(broken.c_str());
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].text.rfind(L"加载失败: ", 0), 0u);
    EXPECT_EQ(messageBoxes.shown[0].caption, L"错误");
    EXPECT_EQ(shownScript().eventCount(), 4u);
    EXPECT_EQ(listRows(), 4);
    EXPECT_EQ(controlText(IDC_EVENT_COUNT), L"(4)");

    // A cancelled dialog is silent.
    messageBoxes.shown.clear();
    command(IDC_LOAD);
    EXPECT_TRUE(messageBoxes.shown.empty());

    // Clear answered No changes nothing; Yes empties everything.
    messageBoxes.answers = {IDNO};
    command(IDC_CLEAR);
    EXPECT_EQ(messageBoxes.shown.back().text, L"清空所有事件？");
    EXPECT_EQ(shownScript().eventCount(), 4u);
    messageBoxes.answers = {IDYES};
    command(IDC_CLEAR);
    EXPECT_EQ(shownScript().eventCount(), 0u);
    EXPECT_EQ(listRows(), 0);
    EXPECT_EQ(controlText(IDC_EVENT_COUNT), L"(0)");
    EXPECT_EQ(status(), L"已清空");
    expectIdle("cleared", false);

    // Clear on an empty script asks nothing.
    const size_t shownBefore = messageBoxes.shown.size();
    command(IDC_CLEAR);
    EXPECT_EQ(messageBoxes.shown.size(), shownBefore);

    // A script of zero events loads: "加载 0 条", empty list, play stays disabled.
    loadThroughCommand({}, L"lr_ui_zero.json");
    EXPECT_EQ(messageBoxes.shown.back().text, L"加载 0 条");
    EXPECT_EQ(listRows(), 0);
    expectIdle("zero events loaded", false);
}

TEST_F(MainWindowTest, UpdateButtonStaysVisibleOverTheStatusLine)
{
    // The button lies on top of the right end of the status line; a new status text must not
    // paint over it.
    HWND button = GetDlgItem(window, IDC_CHECK_UPDATE);
    RECT box{};
    GetWindowRect(button, &box);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    for (const wchar_t* text : {L"已加载脚本", L"▶ 回放中...（第 12/999 次）", L"就绪  ·  F8 录制 / F9 停止"}) {
        testWindow().setStatus(text);
        pumpMessagesFor(100);
        HDC dc = GetDC(window);
        const COLORREF edge = GetPixel(dc, box.right - 1, box.bottom - 1);
        ReleaseDC(window, dc);
        EXPECT_NE(edge, GetSysColor(COLOR_BTNFACE)) << "the button's frame is gone after the status text";
    }
}

TEST_F(MainWindowTest, HundredThousandRowsFillWithinSeconds)
{
    const std::vector<MacroEvent> events = sampleEvents(100000);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    replaceShownEvents(events);
    testWindow().showEventRows();
    QueryPerformanceCounter(&end);
    const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    std::printf("filling 100000 rows took %.3f s\n", seconds);
    ASSERT_EQ(listRows(), 100000);
    EXPECT_EQ(listRow(99999), L"  #100000  移动 (999,99)");
    EXPECT_EQ(SendDlgItemMessageW(window, IDC_EVENT_LIST, LB_GETTOPINDEX, 0, 0) > 99000, true);
    EXPECT_LT(seconds, 30.0);  // generous: row by row with repainting it takes minutes
}

}  // namespace
