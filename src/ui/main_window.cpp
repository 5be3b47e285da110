// The main window's controller: state derived from the recorder's and the player's flags,
// hotkeys, speed and loop-count fields, playback notifications and the close sequence.
#include "ui/main_window.h"

#include <cwchar>
#include <commctrl.h>

#include "base/message_box.h"
#include "player/player.h"
#include "player/player_messages.h"
#include "recorder/recorder.h"
#include "recorder/recorder_messages.h"
#include "script/event_description.h"
#include "ui/control_ids.h"
#include "ui/number_fields.h"
#include "ui/window_layout.h"
#include "update/update_check.h"

namespace {

bool isRecording()
{
    return theRecorder().isRecording();
}

bool isPlaying()
{
    return thePlayer().isPlaying();
}

bool isIdle()
{
    return !isRecording() && !isPlaying();
}

// Commands of the buttons and edit fields; everything else, including the IDOK and IDCANCEL that
// dialog navigation produces for Enter and Esc, goes to the default procedure.
bool isHandledCommand(int id)
{
    switch (id) {
    case IDC_RECORD:
    case IDC_RECORD_STOP:
    case IDC_SPEED:
    case IDC_LOOP:
    case IDC_PLAY:
    case IDC_PLAY_STOP:
    case IDC_SAVE:
    case IDC_LOAD:
    case IDC_CLEAR:
    case IDC_COUNT:
    case IDC_CHECK_UPDATE: return true;
    default: return false;
    }
}

}  // namespace

MainWindow& theMainWindow()
{
    static MainWindow window;
    return window;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return theMainWindow().HandleMessage(window, message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_SIZE: LayoutControls(); return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize.x = MinimumTrackWidth(dpi_);
        limits->ptMinTrackSize.y = MinimumTrackHeight(dpi_);
        return 0;
    }
    case WM_DRAWITEM: DrawActionButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(51, 51, 51));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DPICHANGED: OnDpiChanged(wParam, *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_NOTIFY:
        if (OnNotify(*reinterpret_cast<const NMHDR*>(lParam))) {
            return TRUE;
        }
        break;
    case WM_COMMAND:
        if (isHandledCommand(LOWORD(wParam))) {
            OnCommand(wParam, lParam);
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_CHECK_UPDATE) {
            CheckForUpdates(window_);
            return 0;
        }
        break;
    case WM_CLOSE: OnClose(); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_APP_EVENT_ADDED: AppendEventRow(static_cast<size_t>(wParam)); return 0;
    case WM_APP_HOTKEY_F7:
    case WM_APP_HOTKEY_F8: OnRecordHotkey(); return 0;
    case WM_APP_HOTKEY_F9: OnStopHotkey(); return 0;
    case WM_APP_PLAYBACK_ENDED: OnPlaybackEnded(wParam == 1); return 0;
    case WM_APP_PLAYBACK_LOOP: OnPlaybackLoop(static_cast<int>(wParam), static_cast<int>(lParam)); return 0;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void MainWindow::OnCreate(HWND window)
{
    window_ = window;
    dpi_ = 96;
    unsaved_ = false;
    noticeOpen_ = false;
    fonts_ = MakeUiFonts(dpi_);
    CreateControls();
    LayoutControls();
}

void MainWindow::OnDestroy()
{
    fonts_ = UiFonts{};
    window_ = nullptr;
    list_ = status_ = speed_ = speedSpin_ = count_ = countSpin_ = nullptr;
    PostQuitMessage(0);
}

void MainWindow::OnCommand(WPARAM wParam, LPARAM)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    switch (id) {
    case IDC_RECORD:
    case IDC_RECORD_STOP: ToggleRecording(); break;
    case IDC_SPEED:
        if (code == EN_KILLFOCUS) {
            NormalizeSpeedText();
        }
        break;
    case IDC_LOOP: {
        const bool countEnabled = !IsChecked(IDC_LOOP);
        EnableWindow(count_, countEnabled);
        EnableWindow(countSpin_, countEnabled);
        break;
    }
    case IDC_PLAY:
    case IDC_PLAY_STOP: TogglePlayback(); break;
    case IDC_SAVE: SaveScriptCommand(); break;
    case IDC_LOAD: LoadScriptCommand(); break;
    case IDC_CLEAR: ClearScriptCommand(); break;
    case IDC_COUNT:
        if (code == EN_KILLFOCUS) {
            NormalizeCountText();
        }
        break;
    case IDC_CHECK_UPDATE: OnCheckUpdateButton(); break;
    default: break;
    }
}

void MainWindow::OnCheckUpdateButton()
{
    if (isIdle()) {
        CheckForUpdates(window_);
        return;
    }
    ShowMessageBox(window_, L"录制 / 回放进行中，请先停止后再检查更新。", L"在线更新", MB_OK | MB_ICONINFORMATION);
}

bool MainWindow::OnNotify(const NMHDR& header)
{
    if (header.code != static_cast<UINT>(UDN_DELTAPOS)) {
        return false;
    }
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    wchar_t text[16];
    if (header.idFrom == IDC_SPEED_SPIN) {
        const int position = StepSpeedPosition(ReadSpeed(), change.iDelta);
        std::swprintf(text, 16, L"%.1f", position / 10.0);
        SetWindowTextW(speed_, text);
        SendMessageW(speedSpin_, UDM_SETPOS, 0, MAKELPARAM(position & 0xFFFF, 0));
        return true;
    }
    if (header.idFrom == IDC_COUNT_SPIN) {
        const int count = StepLoopCount(ReadLoopCount(), change.iDelta);
        std::swprintf(text, 16, L"%d", count);
        SetWindowTextW(count_, text);
        SendMessageW(countSpin_, UDM_SETPOS32, 0, count);
        return true;
    }
    return false;
}

void MainWindow::ToggleRecording()
{
    Recorder& recorder = theRecorder();
    if (recorder.isRecording()) {
        recorder.stopRecording();
        SetCaption(IDC_RECORD, L"● 录制");
        SetControlEnabled(IDC_RECORD, true);
        SetControlEnabled(IDC_RECORD_STOP, false);
        SetControlEnabled(IDC_PLAY, recorder.eventCount() > 0);
        SetControlEnabled(IDC_PLAY_STOP, false);
        UpdateScriptButtons();
        wchar_t status[64];
        std::swprintf(status, 64, L"已停止 (%u条)", static_cast<unsigned>(recorder.eventCount()));
        SetStatus(status);
        return;
    }
    const bool recordMouse = IsChecked(IDC_MOUSE);
    const bool recordKeyboard = IsChecked(IDC_KEYBOARD);
    if (!recordMouse && !recordKeyboard) {
        ShowMessageBox(window_, L"请至少选择鼠标或键盘", L"提示", MB_OK | MB_ICONWARNING);
        return;
    }
    const size_t existing = recorder.eventCount();
    if (existing > 0) {
        wchar_t question[128];
        std::swprintf(question, 128, L"开始新录制会清空当前的 %u 条事件。\n\n是否先保存当前脚本？",
                      static_cast<unsigned>(existing));
        const int answer = ShowMessageBox(window_, question, L"确认", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) {
            return;
        }
        if (answer == IDYES && !SaveScriptCommand()) {
            return;
        }
    }
    if (!recorder.startRecording(recordMouse, recordKeyboard)) {
        ShowMessageBox(window_,
                       L"无法开始录制：键盘鼠标钩子安装失败。\n\n常见原因：安全软件（360 等）拦截全局钩子。\n"
                       L"处理办法：把本程序加入杀软白名单后重启软件。",
                       L"错误", MB_OK | MB_ICONERROR);
        return;
    }
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    UpdateEventCount();
    unsaved_ = false;
    SetControlEnabled(IDC_PLAY, false);
    SetControlEnabled(IDC_PLAY_STOP, false);
    SetCaption(IDC_RECORD, L"● 录制中");
    SetControlEnabled(IDC_RECORD, false);
    SetControlEnabled(IDC_RECORD_STOP, true);
    SetStatus(L"● 录制中...");
    UpdateScriptButtons();
}

void MainWindow::TogglePlayback()
{
    Player& player = thePlayer();
    if (player.isPlaying()) {
        player.stopPlayback();
        ResetPlaybackButtons();
        SetStatus(L"⏹ 停止");
        return;
    }
    std::vector<MacroEvent> events;
    theRecorder().copyEvents(events);
    if (events.empty()) {
        ShowMessageBox(window_, L"没有事件", L"提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    NormalizeSpeedText();
    NormalizeCountText();
    const double speed = ReadSpeed();
    const bool endless = IsChecked(IDC_LOOP);
    const int loops = endless ? 1 : ReadLoopCount();
    const bool fidelity = IsChecked(IDC_CLICK_FIDELITY);
    if (!player.startPlayback(events, speed, endless, loops, fidelity)) {
        return;
    }
    SetCaption(IDC_PLAY, L"⏸ 回放中");
    SetControlEnabled(IDC_PLAY, false);
    SetControlEnabled(IDC_PLAY_STOP, true);
    SetControlEnabled(IDC_RECORD, false);
    SetControlEnabled(IDC_RECORD_STOP, false);
    UpdateScriptButtons();
    if (endless) {
        SetStatus(L"▶ 回放中...（无限循环）");
    } else if (loops > 1) {
        wchar_t status[64];
        std::swprintf(status, 64, L"▶ 回放中...（共 %d 次）", loops);
        SetStatus(status);
    } else {
        SetStatus(L"▶ 回放中...");
    }
}

void MainWindow::AppendEventRow(size_t index)
{
    MacroEvent event;
    if (!theRecorder().eventAt(index, event)) {
        return;
    }
    const std::wstring row = formatEventRow(static_cast<uint32_t>(index), event);
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    const LRESULT rows = SendMessageW(list_, LB_GETCOUNT, 0, 0);
    if (rows > 0) {
        SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(rows - 1), 0);
    }
    unsaved_ = true;
    UpdateEventCount();
    if (rows > 0 && !isRecording()) {
        SetControlEnabled(IDC_PLAY, true);
    }
}

void MainWindow::ResetPlaybackButtons()
{
    SetCaption(IDC_PLAY, L"▶ 回放");
    SetCaption(IDC_RECORD, L"● 录制");
    SetControlEnabled(IDC_PLAY, theRecorder().eventCount() > 0);
    SetControlEnabled(IDC_PLAY_STOP, false);
    SetControlEnabled(IDC_RECORD, true);
    SetControlEnabled(IDC_RECORD_STOP, false);
    UpdateScriptButtons();
}

void MainWindow::UpdateScriptButtons()
{
    const bool idle = isIdle();
    for (int id : {IDC_SAVE, IDC_LOAD, IDC_CLEAR, IDC_CHECK_UPDATE}) {
        SetControlEnabled(id, idle);
    }
}

void MainWindow::UpdateEventCount()
{
    wchar_t text[32];
    std::swprintf(text, 32, L"(%u)", static_cast<unsigned>(theRecorder().eventCount()));
    SetDlgItemTextW(window_, IDC_EVENT_COUNT, text);
}

void MainWindow::SetControlEnabled(int id, bool enabled)
{
    HWND control = GetDlgItem(window_, id);
    if (control == nullptr) {
        return;
    }
    EnableWindow(control, enabled ? TRUE : FALSE);
    // Owner-drawn buttons change colour with their state, so they must repaint now.
    InvalidateRect(control, nullptr, TRUE);
}

void MainWindow::SetCaption(int id, const wchar_t* text)
{
    HWND control = GetDlgItem(window_, id);
    if (control == nullptr) {
        return;
    }
    SetWindowTextW(control, text);
    InvalidateRect(control, nullptr, TRUE);
}

void MainWindow::SetStatus(const wchar_t* text)
{
    SetWindowTextW(status_, text);
    // The update button lies on the right end of the status line but below it in z-order: once
    // the new text is painted, paint the button again, or it vanishes until the next full repaint.
    UpdateWindow(status_);
    RedrawWindow(GetDlgItem(window_, IDC_CHECK_UPDATE), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

bool MainWindow::IsChecked(int id) const
{
    return IsDlgButtonChecked(window_, id) == BST_CHECKED;
}

std::wstring MainWindow::ControlText(int id, size_t limit) const
{
    std::wstring text(limit + 1, L'\0');
    const int length = GetDlgItemTextW(window_, id, &text[0], static_cast<int>(limit + 1));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

double MainWindow::ReadSpeed() const
{
    return ParseSpeedText(ControlText(IDC_SPEED, 31));
}

int MainWindow::ReadLoopCount() const
{
    return ParseLoopCountText(ControlText(IDC_COUNT, 15));
}

void MainWindow::NormalizeSpeedText()
{
    const double speed = ReadSpeed();
    SetWindowTextW(speed_, FormatSpeedText(speed).c_str());
    SendMessageW(speedSpin_, UDM_SETPOS, 0, MAKELPARAM(SpeedSpinPosition(speed) & 0xFFFF, 0));
}

void MainWindow::NormalizeCountText()
{
    const int count = ReadLoopCount();
    SetWindowTextW(count_, std::to_wstring(count).c_str());
    SendMessageW(countSpin_, UDM_SETPOS32, 0, count);
}

void MainWindow::OnRecordHotkey()
{
    if (isPlaying()) {
        return;
    }
    if (!isRecording()) {
        ToggleRecording();
        return;
    }
    if (noticeOpen_) {
        return;
    }
    noticeOpen_ = true;
    ShowMessageBox(window_, L"程序正在录制脚本，请勿重复按F8录制。\n\n如需停止录制，请按 F9，或点击「■ 停止录制」。",
                   L"提示", MB_OK | MB_ICONINFORMATION);
    noticeOpen_ = false;
}

void MainWindow::OnStopHotkey()
{
    if (isPlaying()) {
        TogglePlayback();
    } else if (isRecording()) {
        ToggleRecording();
    }
}

void MainWindow::OnPlaybackEnded(bool stopped)
{
    ResetPlaybackButtons();
    SetStatus(stopped ? L"⏹ 停止" : L"✅ 完成");
}

void MainWindow::OnPlaybackLoop(int pass, int limit)
{
    wchar_t status[64];
    if (limit > 0) {
        std::swprintf(status, 64, L"▶ 回放中...（第 %d/%d 次）", pass, limit);
    } else {
        std::swprintf(status, 64, L"▶ 回放中...（第 %d 次，无限循环）", pass);
    }
    SetStatus(status);
}

void MainWindow::OnClose()
{
    if (unsaved_ && theRecorder().eventCount() > 0) {
        const int answer =
            ShowMessageBox(window_, L"当前脚本尚未保存，是否保存？\n\n选「否」将直接退出，本次录制的内容会丢失。",
                           L"关闭", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) {
            return;
        }
        if (answer == IDYES && !SaveScriptCommand()) {
            return;
        }
    }
    if (isRecording()) {
        theRecorder().stopRecording();
    }
    if (isPlaying()) {
        thePlayer().stopPlayback();
    }
    theRecorder().stopHookThread();
    DestroyWindow(window_);
}
