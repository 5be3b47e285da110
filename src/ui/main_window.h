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
#include "ui/library_runs.h"
#include "ui/recovery_journal.h"
#include "ui/tray_icon.h"
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

    // Start-up of the session's window: asks about the unsaved events of an instance that ended
    // without closing (recovery_commands.cpp), then journals this one's.
    void recoverUnsavedWork();
    const DocumentJournal& journal() const { return journal_; }

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
        int passGapSeconds = -1;    // the wait between passes; -1: as the settings say
    };
    bool startUnattendedPlayback(const UnattendedPlayback& request);
    enum class PlaybackOutcome { None, Completed, Stopped, Refused, WindowMissing, WaitTimedOut };
    // How the unattended playback ended (None while it runs or when there was none).
    PlaybackOutcome unattendedOutcome() const { return outcome_; }
    // What the wait step whose time was up waited for, after a WaitTimedOut end.
    const std::wstring& timedOutWait() const { return player_.timedOutWait(); }

    // The script library (library_commands.cpp). Start-up of the window instance: reads
    // library.json (a file that cannot be used is named in one box), arms the entries' keys and
    // schedules. Never called for an unattended playback.
    void useLibrary();
    // The library dialog (the system menu's 脚本库...; the notification-area menu's too).
    void libraryCommand();
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
    // The unsaved events are saved or given up as the user says (in a box owned by boxOwner);
    // false: the window stays as it is.
    bool confirmClosing(HWND boxOwner);
    // Ends whatever runs and destroys the window, without a question.
    void closeNow();
    void onCheckUpdateButton();
    // The update check (update_commands.cpp); when the downloaded build was started and shows its
    // window, this one closes (its unsaved events were asked about before the start).
    void updateCommand();
    static bool mayCloseForUpdate(void* self, HWND boxOwner);
    void onSystemCommand(WPARAM command);

    // The script library (library_commands.cpp).
    // The entries' keys into the hook and their schedules re-armed, after any change.
    void applyLibrary();
    void armLibraryTimer(std::optional<int64_t> wake);
    void onEntryKey(WPARAM entry, LPARAM event);
    void onLibraryTimer();
    // The clock was set or the machine woke: missed runs are logged, due times follow the clock.
    void onClockChanged();
    void runLibraryEntry(size_t index, LibraryOrigin origin, uint32_t modifierKeys);
    // Logs how a library run ended and forgets it.
    void endLibraryRun(PlaybackOutcome outcome);

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
    // The one way into the player, for the window's script and the library's alike: starts the
    // playback and says so in the status line. libraryName: the library entry that plays (empty:
    // the window's script from fromRow).
    struct PlaybackRequest {
        std::vector<MacroEvent> events;
        double speed = 1.0;
        bool endless = false;
        int loops = 1;
        bool fidelity = true;
        WindowFollowing following;
    };
    bool beginPlayback(const PlaybackRequest& request, size_t fromRow, const std::wstring& libraryName);
    void stopPlaybackCommand();
    // reason: the WM_APP_PLAYBACK_ENDED wParam (0 completed, 1 stopped, 2 refused by the system).
    // detail: the WM_APP_PLAYBACK_ENDED lParam.
    void onPlaybackEnded(int reason, LPARAM detail);
    // A followed window is waited for (index into the playback's window table), or no longer (-1).
    void onWindowWait(int index);
    void onPlaybackLoop(int pass, int limit);
    // "▶ 回放中", or "▶ 从第 N 条回放中" when the playback starts at row N, or "▶ 脚本库：<name>".
    std::wstring playbackLead() const;
    double readSpeed() const;
    int readLoopCount() const;
    void normalizeSpeedText();
    void normalizeCountText();
    bool onSpinDelta(int spinId, int delta);

    // Pausing (pause_commands.cpp).
    void onPauseHotkey();
    // Pauses (true) or resumes the playback when the state allows it.
    void pauseCommand(bool pause);
    // The countdown before the next pass.
    void onPassGap(int nextPass, int seconds);
    // The system menu's 暂停回放 / 继续回放, its text and whether it is enabled.
    void refreshPauseMenuItem();
    // mayRun with every fact (a paused playback, an empty script).
    bool mayRunNow(WindowCommand command) const;

    // The notification-area icon (tray_commands.cpp).
    void refreshTray();
    TrayProgress trayProgress() const;
    bool onTimer(WPARAM id);
    void onTrayIcon(WPARAM anchor, LPARAM event);
    void runTrayCommand(TrayCommand command);
    void showFromTray();
    void onTaskbarCreated();
    void onMinimized();

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
    // The wait steps (wait_step_commands.cpp): 插入等待 ▸ in the list's menu, their dialogs, the
    // status while a playback waits in one.
    void appendWaitStepItems(HMENU menu) const;
    bool onWaitStepCommand(int id);
    void insertWaitStepCommand(EventKind kind);
    // Opens the wait step at row; false when the row holds no wait step.
    bool editWaitStepCommand(size_t row);
    void onScreenWait(int step);
    // After an edit: unsaved, rows renumbered in place, the given rows selected.
    void eventsEdited(const std::vector<EventRange>& select);

    // The editor (step_editor_commands.cpp): move rows, cut, copy, paste, redo, go to a row,
    // insert a key, a click, a pause or a script, change a step with the dialog of its kind.
    void addEditorMenuItems(HMENU menu) const;
    void addRedoMenuItem(HMENU menu) const;
    bool onEditorCommand(int id);
    void moveSelectionCommand(bool up);
    bool copySelectionCommand();
    void cutSelectionCommand();
    void pasteCommand();
    void redoCommand();
    void goToRowCommand();
    void insertKeyCommand();
    void insertClickCommand();
    void insertPauseCommand();
    void insertScriptCommand();
    // Changes the step at row (the first selected one when kNoRow) with the dialog of its kind.
    void editStepCommand(size_t row);
    void editPositionStep(size_t row);
    void editKeyStep(size_t row);
    size_t insertionRow() const;
    void insertSteps(size_t at, ScriptContents&& steps);
    // The dialog that changes a step of a kind.
    struct StepEditor {
        EventKind kind;
        void (MainWindow::*edit)(size_t row);
    };
    static const StepEditor kStepEditors[];
    const StepEditor* stepEditorAt(size_t row) const;

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
    DocumentJournal journal_{document_, recorder_};
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
    int unattendedPassGap_ = -1;
    std::wstring pauseKeyName_ = L"F10";
    // The text the status line had before a pause; back at the resume.
    std::wstring statusBeforePause_;
    TrayIcon tray_;
    bool trayTimer_ = false;
    bool trayRefused_ = false;
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
    LibraryRuns library_;
};
