#include "player/player.h"

#include <utility>

#include "base/error_log.h"
#include "base/text_encoding.h"
#include "player/pass_gap.h"
#include "player/player_messages.h"
#include "player/screen_reader_win.h"
#include "player/system_clock.h"
#include "player/system_seams.h"
#include "player/window_finder_win.h"
#include "player/window_follow.h"
#include "script/event_description.h"

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

bool Player::pausePlayback(bool paused)
{
    if (!playing_.load()) {
        return false;
    }
    pause_.request(paused);
    return true;
}

bool Player::isPaused() const
{
    return playing_.load() && pause_.requested();
}

void Player::setPassGap(int seconds)
{
    passGapSeconds_.store(seconds < kMinPassGapSeconds ? kMinPassGapSeconds
                                                       : (seconds > kMaxPassGapSeconds ? kMaxPassGapSeconds : seconds));
}

void Player::joinPlaybackThread()
{
    // The playback thread never joins itself; its own end leaves the object to the next start.
    if (thread_.started() && !thread_.isCurrent()) {
        thread_.join();
    }
}

bool Player::playbackWindow(int32_t index, WindowIdentity& identity) const
{
    if (index < 0 || static_cast<size_t>(index) >= windows_.size()) {
        return false;
    }
    identity = windows_[static_cast<size_t>(index)];
    return true;
}

WindowProblem Player::windowProblem() const
{
    return windowProblem_.load();
}

bool Player::startPlayback(const std::vector<MacroEvent>& events, double speed, bool infinite, int loops,
                           bool clickFidelity, const WindowFollowing& following)
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
    job.followWindows = following.follow;
    job.windowWaitSeconds =
        following.waitSeconds < kMinWindowWaitSeconds
            ? kMinWindowWaitSeconds
            : (following.waitSeconds > kMaxWindowWaitSeconds ? kMaxWindowWaitSeconds : following.waitSeconds);
    windows_ = following.windows;
    job.passGapSeconds = passGapSeconds_.load();
    pause_.request(false);
    progress_.pass.store(0);
    progress_.step.store(0);
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
    SystemClock clock;
    PlaybackSeams seams;
    seams.clock = clock.seam();
    seams.context = this;
    // The desktop's windows, looked for on this thread only.
    struct Following {
        Player& player;
        WindowFinder finder;
        Following(Player& owner, const std::vector<WindowIdentity>& table) : player(owner), finder(table) {}
    } following(*this, windows_);
    windowProblem_.store(WindowProblem::None);
    seams.windows.context = &following;
    seams.windows.look = [](void* context, int32_t index, const WindowOrigin* recorded, WindowPlace& place) {
        return static_cast<Following*>(context)->finder.look(index, recorded, place);
    };
    seams.windows.checkPoint = [](void* context, int32_t index, int32_t x, int32_t y) {
        return static_cast<Following*>(context)->finder.checkPoint(index, x, y);
    };
    seams.windows.checkFront = [](void* context, int32_t index) {
        return static_cast<Following*>(context)->finder.checkFront(index);
    };
    seams.windows.gaveUp = [](void* context, int32_t, WindowProblem problem) {
        static_cast<Following*>(context)->player.windowProblem_.store(problem);
    };
    seams.windows.waiting = [](void* context, int32_t index) {
        HWND window = static_cast<Following*>(context)->player.mainWindow_.load();
        if (window != nullptr) {
            PostMessageW(window, WM_APP_WINDOW_WAIT, static_cast<WPARAM>(static_cast<intptr_t>(index)), 0);
        }
    };
    // The screen, for wait steps.
    ScreenReader screen(windows_);
    seams.screen = screen.seam(
        [](void* context, int32_t step) {
            HWND window = static_cast<Player*>(context)->mainWindow_.load();
            if (window != nullptr) {
                PostMessageW(window, WM_APP_SCREEN_WAIT, static_cast<WPARAM>(static_cast<intptr_t>(step)), 0);
            }
        },
        this);
    timedOutWait_.clear();
    playingEvents_ = &job.events;
    seams.doubleClickSeconds = &systemDoubleClickSeconds;
    seams.inject = [](void* context, const MacroEvent& event) {
        Player& player = *static_cast<Player*>(context);
        // Told before the cursor moves: a real move that the jump itself causes is then near.
        PlaybackPointer* pointer = player.pointer_.load();
        if (pointer != nullptr && (event.kind == EventKind::Move || event.kind == EventKind::Click)) {
            pointer->place(event.x, event.y);
        }
        return injectEvent(playbackInputSeam, player.held_, event);
    };
    seams.typeText = [](void* context, const MacroEvent& event, const std::atomic<bool>& stopRequested) {
        Player& player = *static_cast<Player*>(context);
        return typeText(playbackInputSeam, player.held_, event.keyOrText, stopRequested, &player.pause_);
    };
    PauseActions actions;
    actions.context = this;
    actions.letGo = [](void* context) {
        Player& player = *static_cast<Player*>(context);
        // Where the playback had the pointer: it put it there and the person has not moved yet.
        POINT cursor{};
        GetCursorPos(&cursor);
        PlaybackPointer* pointer = player.pointer_.load();
        if (pointer != nullptr) {
            pointer->setPaused(true);
        }
        player.letGo_ = letGoOfHeld(playbackInputSeam, player.held_, cursor.x, cursor.y);
    };
    actions.pressAgain = [](void* context) {
        Player& player = *static_cast<Player*>(context);
        // Told before the cursor jumps back, so that the jump is no takeover.
        PlaybackPointer* pointer = player.pointer_.load();
        if (pointer != nullptr) {
            pointer->place(player.letGo_.pointerX, player.letGo_.pointerY);
            pointer->setPaused(false);
        }
        return pressAgain(playbackInputSeam, player.held_, player.letGo_);
    };
    pause_.arm(seams.clock, stopRequested_, actions);
    seams.pause = &pause_;
    seams.progress = &progress_;
    seams.passGap = [](void* context, int nextPass, int secondsLeft) {
        HWND window = static_cast<Player*>(context)->mainWindow_.load();
        if (window != nullptr) {
            PostMessageW(window, WM_APP_PASS_GAP, static_cast<WPARAM>(nextPass), static_cast<LPARAM>(secondsLeft));
        }
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
        WindowIdentity missing;
        if (end == PlaybackEnd::WindowMissing &&
            static_cast<Player*>(context)->playbackWindow(static_cast<int32_t>(error), missing)) {
            const WindowProblem problem = static_cast<Player*>(context)->windowProblem();
            ErrorLog::write(L"%ls，回放已停止 title=%ls exe=%ls class=%ls", windowProblemText(problem),
                            utf8ToWide(missing.title).c_str(), utf8ToWide(missing.exe).c_str(),
                            utf8ToWide(missing.windowClass).c_str());
        }
        Player& player = *static_cast<Player*>(context);
        if (end == PlaybackEnd::WaitTimedOut && error < player.playingEvents_->size()) {
            player.timedOutWait_ = waitedForText((*player.playingEvents_)[error], player.windows_);
            ErrorLog::write(L"等待超时，回放已停止：%ls", player.timedOutWait_.c_str());
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
