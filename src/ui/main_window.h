#pragma once
// The one main window of the process: its controls, its state over idle, recording and playing
// (derived from the recorder's and the player's flags), and the Save, Load and Clear commands.

#include <cstddef>
#include <string>
#include <vector>
#include <windows.h>

#include "script/macro_event.h"
#include "ui/ui_fonts.h"

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
    void SetStatus(const wchar_t* text);

    // Controller.
    void ToggleRecording();
    void TogglePlayback();
    void AppendEventRow(size_t index);
    void ResetPlaybackButtons();
    void UpdateScriptButtons();
    void UpdateEventCount();
    void SetControlEnabled(int id, bool enabled);
    double ReadSpeed() const;
    int ReadLoopCount() const;
    void NormalizeSpeedText();
    void NormalizeCountText();

    // Script commands.
    bool SaveScriptCommand();
    void LoadScriptCommand();
    void ClearScriptCommand();
    void FillEventList(const std::vector<MacroEvent>& events);

    // Controls, layout and drawing.
    void CreateControls();
    void LayoutControls();
    void ApplyDpiFonts();
    void DrawActionButton(const DRAWITEMSTRUCT& item) const;

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnCreate(HWND window);
    void OnDestroy();
    void OnClose();
    void OnCommand(WPARAM wParam, LPARAM lParam);
    bool OnNotify(const NMHDR& header);
    void OnDpiChanged(WPARAM wParam, const RECT& suggested);
    void OnRecordHotkey();
    void OnStopHotkey();
    void OnPlaybackEnded(bool stopped);
    void OnPlaybackLoop(int pass, int limit);
    void OnCheckUpdateButton();
    void SetCaption(int id, const wchar_t* text);
    bool IsChecked(int id) const;
    std::wstring ControlText(int id, size_t limit) const;

    HWND window_ = nullptr;
    int dpi_ = 96;
    bool unsaved_ = false;
    bool noticeOpen_ = false;
    UiFonts fonts_;
    HWND list_ = nullptr;
    HWND status_ = nullptr;
    HWND speed_ = nullptr;
    HWND speedSpin_ = nullptr;
    HWND count_ = nullptr;
    HWND countSpin_ = nullptr;
};

// The single main window, alive for the whole process.
MainWindow& theMainWindow();
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
