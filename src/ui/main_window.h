#pragma once
// The main window: its controls, the commands of its buttons and hotkeys, and the Save, Load and
// Clear commands. It owns the script the user sees (a ScriptDocument) and is handed the recorder
// and the player it drives. Its state is never kept on the side: it is read from the recorder's
// and the player's flags, and every control and the status line are derived from it after each
// change.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include <windows.h>
#include <shellapi.h>

#include "base/win_owners.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "script/macro_event.h"
#include "script/script_document.h"
#include "settings/user_settings.h"
#include "ui/event_list_view.h"
#include "ui/hand_over_message.h"
#include "ui/ui_fonts.h"
#include "ui/window_state.h"

// Posted to the main window by its own load worker.
constexpr UINT WM_APP_LOAD_DONE = WM_APP + 30;
constexpr UINT WM_APP_LOAD_PROGRESS = WM_APP + 31;  // wParam: percent of the load done
// Posted to the main window by itself: scripts handed over by a later start wait to be opened.
constexpr UINT WM_APP_HANDED_OVER = WM_APP + 32;

extern const wchar_t* const kMainWindowClassName;  // "ScriptRecorderWnd"
extern const wchar_t* const kMainWindowTitle;      // "岚溪脚本录制软件"

class MainWindow {
public:
    // The recorder and the player outlive the window.
    MainWindow(Recorder& recorder, Player& player) : recorder_(recorder), player_(player) {}
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Start-up: the window class (icon resource 101 of the module) and the window, sized for dpi.
    static bool registerWindowClass(HINSTANCE instance);
    HWND create(HINSTANCE instance, int dpi);
    // Once the window is shown: adopt its real DPI (fonts and layout, not the outer size).
    void applyStartupDpi(int dpi);

    HWND handle() const { return window_; }
    int dpi() const { return dpi_; }
    bool isUnsaved() const { return document_.isUnsaved(); }
    // The script shown; every change of it goes through the window's commands.
    const ScriptDocument& document() const { return document_; }
    ScriptDocument& document() { return document_; }
    // Sets the status line; the text belongs to the state the window is in now.
    void setStatus(const std::wstring& text);
    // The user's settings, read at start-up (the recorder has them already); every text that
    // names a hotkey follows them.
    void useSettings(const UserSettings& settings);
    const UserSettings& settings() const { return settings_; }

    // The context menu of the event list as it would open now (its items enabled as the state
    // and the selection allow).
    MenuHandle makeListMenu() const;

    // Shows one row for every event of the script, the last one in view.
    void showEventRows();

    // Loads a script given from outside (the command line, files dropped on the window, a later
    // start) as the Load command does; of several files only the first, and the status line says so.
    void openScriptFiles(const std::vector<std::wstring>& files);

    // Start-up makes this window the session's window instance: later starts of the program bring
    // it to the front and hand their scripts to it (never the window of an unattended playback).
    void takeHandOvers();

    // A playback nobody watches: the script is shown, the fields show the values used, the
    // playback starts at once, and the window closes itself when it ends. Nothing waits for a
    // person meanwhile. False when the playback could not start.
    struct UnattendedPlayback {
        std::vector<MacroEvent> events;
        double speed = 1.0;
        int loops = 1;
        bool endless = false;
        bool clickFidelity = true;
        std::vector<WindowIdentity> windows;  // the script's window table
        // Following windows for this run: null means as the settings say.
        std::optional<bool> followWindows;
        int windowWaitSeconds = 0;  // 0: as the settings say
    };
    bool startUnattendedPlayback(const UnattendedPlayback& request);
    enum class PlaybackOutcome { None, Completed, Stopped, Refused, WindowMissing };
    // How the unattended playback ended (None while it runs or when there was none).
    PlaybackOutcome unattendedOutcome() const { return outcome_; }
    // Why the last playback did not complete, for the caller's console ("" when it completed).
    const std::wstring& playbackEndText() const { return endText_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Later starts of the program (handed_over_scripts.cpp). A request is answered at once and
    // opened when the window is free: not while a handler of it waits in a dialog or a box.
    LRESULT onCopyData(LPARAM copyData);
    void openHandedOver();
    // After the outermost handler returned: a request that waited is opened now.
    void resumeHandOvers();
    // Before a script from a file replaces unsaved events: they are saved, dropped or kept as the
    // user says. True when the opening may go on.
    bool confirmReplacingUnsaved();
    // The session's recording guard, taken for a recording unless an unattended playback of
    // another process plays; false (and nothing taken) then.
    bool takeRecordingGuard();
    // Given up whenever the window finds itself not recording.
    void giveUpRecordingGuardWhenStopped();

    // Window life and layout (main_window_controls.cpp).
    void onCreate();
    void onDestroy();
    void onDpiChanged(WPARAM wParam, const RECT& suggested);
    void onMinMaxInfo(MINMAXINFO& limits) const;
    void createControls();
    void layoutControls();
    void applyDpiFonts();
    void onDrawItem(const DRAWITEMSTRUCT& item) const;
    void drawActionButton(const DRAWITEMSTRUCT& item) const;

    // Messages (main_window.cpp).
    bool onCommand(WPARAM wParam);
    bool onNotify(const NMHDR& header);
    void onClose();
    void onCheckUpdateButton();
    void onSystemCommand(WPARAM command);

    // Settings (settings_commands.cpp).
    void settingsCommand();
    void onUserTakeover();
    void setHotkeyNames(const std::wstring& recordKey, const std::wstring& stopKey);

    // State (main_window_state.cpp).
    Activity currentActivity() const;
    WindowFacts currentFacts() const;
    // True when the command may run now; asked before a command and after each of its dialogs.
    bool mayRun(WindowCommand command) const;
    // Derives every control and, when the state moved on, the status line from the true state.
    void refreshControls();
    void setControlEnabled(int id, bool enabled);
    void setCaption(int id, const wchar_t* text);
    void updateEventCount();
    bool isChecked(int id) const;
    std::wstring controlText(int id, size_t limit) const;

    // Recording (recording_commands.cpp).
    void toggleRecording();
    void startRecordingCommand();
    void stopRecordingCommand();
    void onRecordHotkey();
    void onStopHotkey();
    // WM_APP_EVENT_ADDED: the events the recorder captured since the last one join the script.
    void takeCapturedEvents();

    // Playback (playback_commands.cpp).
    void togglePlayback();
    // Plays the events from fromRow on (0: the whole script); every pass starts there. True when
    // the playback started (it may have ended already: a short one, or one the system refused).
    bool startPlaybackCommand(size_t fromRow = 0);
    void stopPlaybackCommand();
    // reason: the WM_APP_PLAYBACK_ENDED wParam (0 completed, 1 stopped, 2 refused by the system).
    // detail: the WM_APP_PLAYBACK_ENDED lParam.
    void onPlaybackEnded(int reason, LPARAM detail);
    // A followed window is waited for (index into the playback's window table), or no longer (-1).
    void onWindowWait(int index);
    void onPlaybackLoop(int pass, int limit);
    // "▶ 回放中", or "▶ 从第 N 条回放中" when the playback starts at row N.
    std::wstring playbackLead() const;
    double readSpeed() const;
    int readLoopCount() const;
    void normalizeSpeedText();
    void normalizeCountText();
    bool onSpinDelta(int spinId, int delta);

    // Requests from outside the window (outside_requests.cpp).
    void onDropFiles(HDROP drop);
    void endUnattendedPlayback(PlaybackOutcome outcome);

    // Loading a script (script_loading.cpp). The Load command confirms with a box; a script that
    // comes from outside only says so in the status line.
    enum class LoadOrigin { LoadCommand, Outside };
    struct LoadJob;
    void beginLoad(const std::wstring& path, LoadOrigin origin, size_t fileCount);
    void onLoadProgress(int percent);
    void onLoadDone();
    void finishLoad(LoadJob& job);

    // Editing the steps (edit_commands.cpp).
    void onListContextMenu(LPARAM position);
    bool onEditCommand(int id);
    void deleteSelectedCommand();
    void setDelayCommand();
    void trimFirstDelayCommand();
    void undoCommand();
    void playFromSelectionCommand();
    void insertTextCommand();
    // Edits the text step at row, or the first selected one when row is kNoRow.
    void editTextCommand(size_t row);
    size_t firstSelectedTextRow() const;
    void onListDoubleClick();
    static constexpr size_t kNoRow = static_cast<size_t>(-1);
    // After an edit: unsaved, rows renumbered in place, the given rows selected.
    void eventsEdited(const std::vector<EventRange>& select);

    // Script commands (script_commands.cpp).
    bool saveScriptCommand();
    void loadScriptCommand();
    void clearScriptCommand();
    // The one way a new script comes to be shown (a recording's start, a load, a clear, an
    // unattended playback's script): the document takes it, saved and with nothing to undo, and
    // the rows, the count and the controls follow.
    void showNewScript(ScriptContents&& contents, bool scrollToEnd);
    // The rows and the count for the script as it is now (a new one, or a recording's).
    void showScriptRows(bool scrollToEnd);

    Recorder& recorder_;
    Player& player_;
    ScriptDocument document_;
    HWND window_ = nullptr;
    int dpi_ = 96;
    bool noticeOpen_ = false;
    // The playback was stopped because the user took over the mouse; its end keeps saying so.
    bool stoppedByTakeover_ = false;
    UserSettings settings_;
    std::wstring recordKeyName_ = L"F8";
    std::wstring stopKeyName_ = L"F9";
    bool unattended_ = false;
    PlaybackOutcome outcome_ = PlaybackOutcome::None;
    std::wstring endText_;
    // An unattended playback's own choice about following windows (the command line's).
    std::optional<bool> unattendedFollow_;
    int unattendedWindowWait_ = 0;
    // The playing text a wait for a window replaced; empty while none is waited for.
    std::wstring statusBeforeWait_;
    // The state the status line's text was written in.
    Activity statusActivity_ = Activity::Idle;
    // The first row the current playback plays (0: the whole script).
    size_t playFrom_ = 0;
    std::shared_ptr<LoadJob> loadJob_;  // a load running on a worker thread
    bool takesHandOvers_ = false;
    // Scripts handed over by later starts, oldest first, and whether WM_APP_HANDED_OVER is on its way.
    std::deque<HandOverRequest> handOvers_;
    bool handOverPosted_ = false;
    // How many of the window's handlers run now, one inside another's dialog or box.
    int handlerDepth_ = 0;
    UiFonts fonts_;
    EventListView eventList_{document_};
    HWND list_ = nullptr;
    HWND status_ = nullptr;
    HWND speed_ = nullptr;
    HWND speedSpin_ = nullptr;
    HWND count_ = nullptr;
    HWND countSpin_ = nullptr;
};
