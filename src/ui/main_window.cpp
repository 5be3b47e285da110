// The main window's procedure: finds the window object from the window itself and dispatches
// every message to a named handler.
#include "ui/main_window.h"

#include <commctrl.h>

#include "base/message_box.h"
#include "player/player_messages.h"
#include "recorder/recorder_messages.h"
#include "ui/control_ids.h"
#include "ui/window_layout.h"

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        // The object comes with the creation parameters; from now on the window carries it.
        auto* self = static_cast<MainWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    ++self->handlerDepth_;
    const LRESULT result = self->handleMessage(message, wParam, lParam);
    if (--self->handlerDepth_ == 0) {
        self->resumeHandOvers();
    }
    return result;
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: onCreate(); return 0;
    case WM_SIZE:
        layoutControls();
        if (wParam == SIZE_MINIMIZED) {
            onMinimized();
        }
        return 0;
    case WM_GETMINMAXINFO: onMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
    case WM_DRAWITEM: onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_MEASUREITEM:
        EventListView::measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), fonts_.mono.get());
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(51, 51, 51));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DPICHANGED: onDpiChanged(wParam, *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_NOTIFY:
        if (onNotify(*reinterpret_cast<const NMHDR*>(lParam))) {
            return TRUE;
        }
        break;
    case WM_COMMAND:
        if (onCommand(wParam)) {
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_PAUSE_PLAYBACK) {
            onPauseHotkey();
            return 0;
        }
        if ((wParam & 0xFFF0) == IDM_CHECK_UPDATE || (wParam & 0xFFF0) == IDM_SETTINGS ||
            (wParam & 0xFFF0) == IDM_LIBRARY) {
            onSystemCommand(wParam & 0xFFF0);
            return 0;
        }
        break;
    case WM_CLOSE: onClose(); return 0;
    case WM_DESTROY: onDestroy(); return 0;
    case WM_APP_EVENT_ADDED: takeCapturedEvents(); return 0;
    case WM_APP_RECORD_ALT_HOTKEY:
    case WM_APP_RECORD_HOTKEY: onRecordHotkey(); return 0;
    case WM_APP_STOP_HOTKEY: onStopHotkey(); return 0;
    case WM_APP_PAUSE_HOTKEY: onPauseHotkey(); return 0;
    case WM_APP_PASS_GAP: onPassGap(static_cast<int>(wParam), static_cast<int>(lParam)); return 0;
    case WM_APP_TRAY_ICON: onTrayIcon(wParam, lParam); return 0;
    case WM_TIMER:
        if (wParam == kLibraryTimerId) {
            onLibraryTimer();
            return 0;
        }
        if (onTimer(wParam)) {
            return 0;
        }
        break;
    case WM_APP_USER_TAKEOVER: onUserTakeover(); return 0;
    case WM_APP_PLAYBACK_ENDED: onPlaybackEnded(static_cast<int>(wParam), lParam); return 0;
    case WM_APP_WINDOW_WAIT: onWindowWait(static_cast<int>(static_cast<intptr_t>(wParam))); return 0;
    case WM_APP_SCREEN_WAIT: onScreenWait(static_cast<int>(static_cast<intptr_t>(wParam))); return 0;
    case WM_APP_LOAD_DONE: onLoadDone(); return 0;
    case WM_APP_LOAD_PROGRESS: onLoadProgress(static_cast<int>(wParam)); return 0;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == list_) {
            onListContextMenu(lParam);
            return 0;
        }
        break;
    case WM_DROPFILES: onDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_COPYDATA: return onCopyData(lParam);
    case WM_APP_HANDED_OVER: openHandedOver(); return 0;
    case WM_APP_PLAYBACK_LOOP: onPlaybackLoop(static_cast<int>(wParam), static_cast<int>(lParam)); return 0;
    case WM_APP_ENTRY_KEY: onEntryKey(wParam, lParam); return 0;
    case WM_TIMECHANGE: onClockChanged(); return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) {
            onClockChanged();
        }
        return TRUE;
    default:
        if (message == TrayIcon::taskbarCreatedMessage()) {
            onTaskbarCreated();
            return 0;
        }
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

bool MainWindow::onCommand(WPARAM wParam)
{
    // Commands of the buttons and edit fields; everything else, including the IDOK and IDCANCEL
    // that dialog navigation produces for Enter and Esc, goes to the default procedure.
    const int code = HIWORD(wParam);
    switch (LOWORD(wParam)) {
    case IDC_RECORD:
    case IDC_RECORD_STOP: toggleRecording(); break;
    case IDC_PLAY:
    case IDC_PLAY_STOP: togglePlayback(); break;
    case IDC_SAVE:
        if (mayRun(WindowCommand::Save)) {
            saveScriptCommand();
        }
        break;
    case IDC_LOAD: loadScriptCommand(); break;
    case IDC_CLEAR: clearScriptCommand(); break;
    case IDC_CHECK_UPDATE: onCheckUpdateButton(); break;
    case IDC_EVENT_LIST:
        if (code != LBN_DBLCLK) {
            return false;
        }
        onListDoubleClick();
        break;
    case IDC_LOOP: break;  // the count field follows the box in refreshControls
    case IDC_SPEED:
        if (code == EN_KILLFOCUS) {
            normalizeSpeedText();
        }
        break;
    case IDC_COUNT:
        if (code == EN_KILLFOCUS) {
            normalizeCountText();
        }
        break;
    default:
        if (!onEditCommand(LOWORD(wParam))) {
            return false;
        }
        break;
    }
    refreshControls();
    return true;
}

bool MainWindow::onNotify(const NMHDR& header)
{
    if (header.code != static_cast<UINT>(UDN_DELTAPOS)) {
        return false;
    }
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    return onSpinDelta(static_cast<int>(header.idFrom), change.iDelta);
}

void MainWindow::onCheckUpdateButton()
{
    if (!mayRun(WindowCommand::CheckUpdate)) {
        showMessageBox(window_, L"录制 / 回放进行中，请先停止后再检查更新。", L"在线更新", MB_OK | MB_ICONINFORMATION);
        return;
    }
    updateCommand();
}

void MainWindow::onSystemCommand(WPARAM command)
{
    if (command == IDM_SETTINGS) {
        settingsCommand();
    } else if (command == IDM_LIBRARY) {
        libraryCommand();
    } else {
        // The system menu runs the check without the button's refusal.
        updateCommand();
    }
    // The window may be gone by now: closed from outside while a dialog of it was open.
    refreshControls();
}

void MainWindow::onClose()
{
    if (confirmClosing(window_)) {
        closeNow();
    }
}

bool MainWindow::confirmClosing(HWND boxOwner)
{
    if (document_.isUnsaved() && !document_.empty()) {
        const int answer =
            showMessageBox(boxOwner, L"当前脚本尚未保存，是否保存？\n\n选「否」将直接退出，本次录制的内容会丢失。",
                           L"关闭", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) {
            return false;
        }
        if (answer == IDYES && !saveScriptCommand()) {
            return false;
        }
    }
    return true;
}

void MainWindow::closeNow()
{
    // Whatever started while the prompt was open ends here as well.
    recorder_.stopRecording();
    player_.stopPlayback();
    recorder_.stopHookThread();
    DestroyWindow(window_);
}
