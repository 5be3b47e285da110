#include "player/player.h"

#include <utility>

#include "base/error_log.h"
#include "player/player_messages.h"
#include "player/system_seams.h"

Player::~Player()
{
    stopRequested_.exchange(true);
    joinPlaybackThread();
}

void Player::setMainWindow(HWND mainWindow)
{
    mainWindow_.store(mainWindow);
}

void Player::setPlaybackPointer(PlaybackPointer* pointer)
{
    pointer_.store(pointer);
}

bool Player::isPlaying() const
{
    return playing_.load();
}

void Player::joinPlaybackThread()
{
    // The playback thread never joins itself; its own end leaves the object to the next start.
    if (thread_.started() && !thread_.isCurrent()) {
        thread_.join();
    }
}

bool Player::startPlayback(const std::vector<MacroEvent>& events, double speed, bool infinite, int loops,
                           bool clickFidelity)
{
    if (playing_.load() || events.empty()) {
        return false;
    }
    joinPlaybackThread();
    if (thread_.started()) {
        return false;  // called from the previous playback's own thread
    }
    stopRequested_.exchange(false);
    playing_.exchange(true);
    PlaybackJob job = makePlaybackJob(events, speed, infinite, loops, clickFidelity);
    if (!thread_.start([this, job = std::move(job)]() mutable { playbackThread(std::move(job)); })) {
        // Without a thread nobody would ever clear playing, and the window would stay in
        // its playing state for good.
        const DWORD error = GetLastError();
        playing_.exchange(false);
        ErrorLog::write(L"无法创建回放线程 err=%lu", static_cast<unsigned long>(error));
        return false;
    }
    return true;
}

void Player::stopPlayback()
{
    stopRequested_.exchange(true);
    joinPlaybackThread();
}

void Player::playbackThread(PlaybackJob job)
{
    PlaybackSeams seams;
    seams.context = this;
    useSystemClock(seams);
    seams.inject = [](void* context, const MacroEvent& event) {
        Player& player = *static_cast<Player*>(context);
        // Told before the cursor moves: a real move that the jump itself causes is then near.
        PlaybackPointer* pointer = player.pointer_.load();
        if (pointer != nullptr &&
            (event.kind == EventKind::Move || (event.kind == EventKind::Click && event.pressed))) {
            pointer->place(event.x, event.y);
        }
        return injectEvent(playbackInputSeam, player.held_, event);
    };
    seams.typeText = [](void* context, const MacroEvent& event, const std::atomic<bool>& stopRequested) {
        return typeText(playbackInputSeam, static_cast<Player*>(context)->held_, event.keyOrText, stopRequested);
    };
    seams.releaseHeld = [](void* context) { releaseHeld(playbackInputSeam, static_cast<Player*>(context)->held_); };
    seams.releaseModifiers = [](void*) { return releaseModifiers(playbackInputSeam); };
    seams.passStarted = [](void* context, int pass, int limit) {
        HWND window = static_cast<Player*>(context)->mainWindow_.load();
        if (window != nullptr) {
            PostMessageW(window, WM_APP_PLAYBACK_LOOP, static_cast<WPARAM>(pass), static_cast<LPARAM>(limit));
        }
    };
    seams.ended = [](void* context, PlaybackEnd end, uint32_t error) {
        PlaybackPointer* pointer = static_cast<Player*>(context)->pointer_.load();
        if (pointer != nullptr) {
            pointer->end();
        }
        if (end == PlaybackEnd::Refused) {
            ErrorLog::write(L"回放被系统拒绝，已停止 err=%lu", static_cast<unsigned long>(error));
        }
        HWND window = static_cast<Player*>(context)->mainWindow_.load();
        if (window != nullptr) {
            PostMessageW(window, WM_APP_PLAYBACK_ENDED, static_cast<WPARAM>(end), static_cast<LPARAM>(error));
        }
    };
    PlaybackPointer* pointer = pointer_.load();
    if (pointer != nullptr) {
        POINT cursor{};
        GetCursorPos(&cursor);
        pointer->begin(cursor.x, cursor.y);
    }
    runPlayback(job, seams, playing_, stopRequested_);
}
