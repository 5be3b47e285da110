#pragma once
// The Player, made at start-up and handed to the main window: replays a copy of the events on a
// playback thread with exact timing, speed, passes and click fidelity, and releases held input at
// the end.

#include <atomic>
#include <string>
#include <vector>
#include <windows.h>

#include "base/playback_pointer.h"
#include "base/thread.h"
#include "player/input_injection.h"
#include "player/pause_gate.h"
#include "player/playback_loop.h"
#include "script/event_window.h"
#include "script/macro_event.h"

// What a playback needs to follow windows: the script's window table and the user's choice.
struct WindowFollowing {
    std::vector<WindowIdentity> windows;
    bool follow = false;
    int waitSeconds = 10;  // the longest wait for one window, 1 to 600
};

class Player {
public:
    Player() = default;
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Receiver of WM_APP_PLAYBACK_LOOP and WM_APP_PLAYBACK_ENDED; null posts nothing.
    void setMainWindow(HWND mainWindow);
    // Where playbacks tell the places they put the cursor (for the recorder's takeover watch);
    // null tells nobody. Set it while no playback runs.
    void setPlaybackPointer(PlaybackPointer* pointer);

    bool startPlayback(const std::vector<MacroEvent>& events, double speed, bool infinite, int loops,
                       bool clickFidelity, const WindowFollowing& following = WindowFollowing{});
    void stopPlayback();  // returns after the playback thread has ended
    bool isPlaying() const;
    // Pauses the running playback (true) or resumes it (false); false when none runs. It stays
    // playing while paused: the stop ends it as always.
    bool pausePlayback(bool paused);
    // Whether a pause of the running playback was asked for and not lifted.
    bool isPaused() const;
    // The wait between passes of the playbacks started from now on, in whole seconds (0 to 3600).
    void setPassGap(int seconds);
    // How far the running (or last) playback has come; any thread.
    const PlaybackProgress& progress() const { return progress_; }
    // The entry of the current (or last) playback's window table that a WM_APP_WINDOW_WAIT or a
    // WindowMissing end names; false for an index outside it. User-interface thread.
    bool playbackWindow(int32_t index, WindowIdentity& identity) const;
    // What the wait step whose time was up waited for ("颜色 #1E90FF @ (640, 400)"), after a
    // WaitTimedOut end; empty after any other. User-interface thread.
    const std::wstring& timedOutWait() const { return timedOutWait_; }
    // What kept the input from the window that a WindowMissing end names (Missing: none came).
    WindowProblem windowProblem() const;

private:
    void playbackThread(PlaybackJob job);
    void joinPlaybackThread();

    std::atomic<HWND> mainWindow_{nullptr};
    std::atomic<PlaybackPointer*> pointer_{nullptr};
    Thread thread_;
    std::atomic<bool> playing_{false};
    std::atomic<bool> stopRequested_{false};
    HeldInput held_;
    PauseGate pause_;
    LetGoInput letGo_;  // what the current pause let go of; playback thread only
    PlaybackProgress progress_;
    std::atomic<int> passGapSeconds_{0};
    // Written by startPlayback while no playback runs, read by the playback thread.
    std::vector<WindowIdentity> windows_;
    std::wstring timedOutWait_;                               // written by the playback thread before it posts its end
    const std::vector<MacroEvent>* playingEvents_ = nullptr;  // the playback thread's job
    std::atomic<WindowProblem> windowProblem_{WindowProblem::None};
};
