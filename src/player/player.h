#pragma once
// The Player, made at start-up and handed to the main window: replays a copy of the events on a
// playback thread with exact timing, speed, passes and click fidelity, and releases held input at
// the end.

#include <atomic>
#include <vector>
#include <windows.h>

#include "base/playback_pointer.h"
#include "base/thread.h"
#include "player/input_injection.h"
#include "player/playback_loop.h"
#include "script/macro_event.h"

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
                       bool clickFidelity);
    void stopPlayback();  // returns after the playback thread has ended
    bool isPlaying() const;

private:
    void playbackThread(PlaybackJob job);
    void joinPlaybackThread();

    std::atomic<HWND> mainWindow_{nullptr};
    std::atomic<PlaybackPointer*> pointer_{nullptr};
    Thread thread_;
    std::atomic<bool> playing_{false};
    std::atomic<bool> stopRequested_{false};
    HeldInput held_;
};
