#pragma once
// The main window: its controls, the commands of its buttons and hotkeys, and the Save, Load and
// Clear commands. Its state is never kept on the side: it is read from the recorder's and the
// player's flags, and every control and the status line are derived from it after each change.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>
#include <shellapi.h>

#include "base/win_owners.h"
#include "script/macro_event.h"
#include "script/script_edits.h"
#include "settings/user_settings.h"
#include "ui/event_list_view.h"
#include "ui/ui_fonts.h"
#include "ui/window_state.h"

// Posted to the main window by its own load worker.
constexpr UINT WM_APP_LOAD_DONE = WM_APP + 30;
constexpr UINT WM_APP_LOAD_PROGRESS = WM_APP + 31;  // wParam: percent of the load done

extern const wchar_t* const kMainWindowClassName;  // "ScriptRecorderWnd"
extern const wchar_t* const kMainWindowTitle;      // "岚溪脚本录制软件"

class MainWindow {
public:
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Start-up: the window class (icon resource 101 of the module) and the window, sized for dpi.
    static bool RegisterWindowClass(HINSTANCE instance);
    HWND Create(HINSTANCE instance, int dpi);
    // Once the window is shown: adopt its real DPI (fonts and layout, not the outer size).
    void ApplyStartupDpi(int dpi);

    HWND Handle() const { return window_; }
    int Dpi() const { return dpi_; }
    bool IsUnsaved() const { return unsaved_; }
    // Sets the status line; the text belongs to the state the window is in now.
    void SetStatus(const std::wstring& text);
    // The user's settings, read at start-up or chosen in the settings dialog: put to work in the
    // recorder (hotkeys, takeover watch), and every text that names a hotkey follows them.
    void useSettings(const UserSettings& settings);
    const UserSettings& settings() const { return settings_; }

    // The context menu of the event list as it would open now (its items enabled as the state
    // and the selection allow).
    MenuHandle MakeListMenu() const;

    // Shows one row for every event the recorder holds, the last one in view.
    void ShowEventRows();

    // Loads a script given from outside (the command line, files dropped on the window) as the
    // Load command does; of several files only the first, and the status line says so.
    void OpenScriptFiles(const std::vector<std::wstring>& files);

    // A playback nobody watches: the script is shown, the fields show the values used, the
    // playback starts at once, and the window closes itself when it ends. Nothing waits for a
    // person meanwhile. False when the playback could not start.
    struct UnattendedPlayback {
        std::vector<MacroEvent> events;
        double speed = 1.0;
        int loops = 1;
        bool endless = false;
        bool clickFidelity = true;
    };
    bool StartUnattendedPlayback(const UnattendedPlayback& request);
    enum class PlaybackOutcome { None, Completed, Stopped, Refused };
    // How the unattended playback ended (None while it runs or when there was none).
    PlaybackOutcome UnattendedOutcome() const { return outcome_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Window life and layout (main_window_controls.cpp).
    void OnCreate();
    void OnDestroy();
    void OnDpiChanged(WPARAM wParam, const RECT& suggested);
    void OnMinMaxInfo(MINMAXINFO& limits) const;
    void CreateControls();
    void LayoutControls();
    void ApplyDpiFonts();
    void OnDrawItem(const DRAWITEMSTRUCT& item) const;
    void DrawActionButton(const DRAWITEMSTRUCT& item) const;

    // Messages (main_window.cpp).
    bool OnCommand(WPARAM wParam);
    bool OnNotify(const NMHDR& header);
    void OnClose();
    void OnCheckUpdateButton();
    void OnSystemCommand(WPARAM command);

    // Settings (settings_commands.cpp).
    void settingsCommand();
    void onUserTakeover();
    void setHotkeyNames(const std::wstring& recordKey, const std::wstring& stopKey);

    // State (main_window_state.cpp).
    Activity CurrentActivity() const;
    WindowFacts CurrentFacts() const;
    // True when the command may run now; asked before a command and after each of its dialogs.
    bool MayRun(WindowCommand command) const;
    // Derives every control and, when the state moved on, the status line from the true state.
    void RefreshControls();
    void SetControlEnabled(int id, bool enabled);
    void SetCaption(int id, const wchar_t* text);
    void UpdateEventCount();
    bool IsChecked(int id) const;
    std::wstring ControlText(int id, size_t limit) const;

    // Recording (recording_commands.cpp).
    void ToggleRecording();
    void StartRecordingCommand();
    void StopRecordingCommand();
    void OnRecordHotkey();
    void OnStopHotkey();
    void AppendEventRow(size_t index);

    // Playback (playback_commands.cpp).
    void TogglePlayback();
    // Plays the events from fromRow on (0: the whole script); every pass starts there.
    void StartPlaybackCommand(size_t fromRow = 0);
    void StopPlaybackCommand();
    // reason: the WM_APP_PLAYBACK_ENDED wParam (0 completed, 1 stopped, 2 refused by the system).
    void OnPlaybackEnded(int reason);
    void OnPlaybackLoop(int pass, int limit);
    // "▶ 回放中", or "▶ 从第 N 条回放中" when the playback starts at row N.
    std::wstring PlaybackLead() const;
    double ReadSpeed() const;
    int ReadLoopCount() const;
    void NormalizeSpeedText();
    void NormalizeCountText();
    bool OnSpinDelta(int spinId, int delta);

    // Requests from outside the window (outside_requests.cpp).
    void OnDropFiles(HDROP drop);
    void EndUnattendedPlayback(PlaybackOutcome outcome);

    // Loading a script (script_loading.cpp). The Load command confirms with a box; a script that
    // comes from outside only says so in the status line.
    enum class LoadOrigin { LoadCommand, Outside };
    struct LoadJob;
    void BeginLoad(const std::wstring& path, LoadOrigin origin, size_t fileCount);
    void OnLoadProgress(int percent);
    void OnLoadDone();
    void FinishLoad(LoadJob& job);

    // Editing the steps (edit_commands.cpp).
    void OnListContextMenu(LPARAM position);
    bool OnEditCommand(int id);
    void DeleteSelectedCommand();
    void SetDelayCommand();
    void TrimFirstDelayCommand();
    void UndoCommand();
    void PlayFromSelectionCommand();
    void insertTextCommand();
    // Edits the text step at row, or the first selected one when row is kNoRow.
    void editTextCommand(size_t row);
    size_t firstSelectedTextRow() const;
    void onListDoubleClick();
    static constexpr size_t kNoRow = static_cast<size_t>(-1);
    // After an edit: unsaved, rows renumbered in place, the given rows selected.
    void EventsEdited(const std::vector<EventRange>& select);

    // Script commands (script_commands.cpp).
    bool SaveScriptCommand();
    void LoadScriptCommand();
    void ClearScriptCommand();
    // The events changed as a whole: a new generation of the script.
    void ScriptReplaced();

    HWND window_ = nullptr;
    int dpi_ = 96;
    bool unsaved_ = false;
    bool noticeOpen_ = false;
    // The playback was stopped because the user took over the mouse; its end keeps saying so.
    bool stoppedByTakeover_ = false;
    UserSettings settings_;
    std::wstring recordKeyName_ = L"F8";
    std::wstring stopKeyName_ = L"F9";
    bool unattended_ = false;
    PlaybackOutcome outcome_ = PlaybackOutcome::None;
    // Counts every change of the events, so that a command can tell after a dialog whether the
    // script it worked on is still the one shown.
    uint64_t scriptGeneration_ = 0;
    // The state the status line's text was written in.
    Activity statusActivity_ = Activity::Idle;
    // Edits of the script shown, undone last first; emptied when another script replaces it.
    EditHistory history_;
    // The first row the current playback plays (0: the whole script).
    size_t playFrom_ = 0;
    std::shared_ptr<LoadJob> loadJob_;  // a load running on a worker thread
    UiFonts fonts_;
    EventListView eventList_;
    HWND list_ = nullptr;
    HWND status_ = nullptr;
    HWND speed_ = nullptr;
    HWND speedSpin_ = nullptr;
    HWND count_ = nullptr;
    HWND countSpin_ = nullptr;
};
