#pragma once
// Where a playback last placed the cursor, shared between the player, which writes it, and the
// recorder's mouse hook, which tells the user's own mouse movement from the playback's with it.
// Neither knows the other: start-up hands both the same object.

#include <atomic>
#include <cstdint>

class PlaybackPointer {
public:
    // The last two places, so that a real move that reports the place before the newest one
    // (its notification was on the way while the playback moved on) is not taken for the user's.
    struct Places {
        bool active = false;  // a playback runs and is not paused
        int32_t lastX = 0;
        int32_t lastY = 0;
        int32_t previousX = 0;
        int32_t previousY = 0;
    };

    // A playback starts with the cursor at x, y.
    void begin(int32_t x, int32_t y)
    {
        const uint64_t place = pack(x, y);
        previous_.store(place);
        last_.store(place);
        takeoverClaimed_.store(false);
        paused_.store(false);
        active_.store(true);
    }
    // A pause: the person works with the mouse meanwhile, and no move of theirs is a takeover.
    // At the resume the playback places the cursor back (place) before it lifts the pause.
    void setPaused(bool paused) { paused_.store(paused); }
    // Whether a playback runs, paused or not.
    bool replaying() const { return active_.load(); }
    // The playback puts the cursor at x, y. A place repeated (a press where the move before it
    // went) keeps the one before: the notification of that earlier place may still be on its way.
    void place(int32_t x, int32_t y)
    {
        const uint64_t place = pack(x, y);
        const uint64_t last = last_.load();
        if (place != last) {
            previous_.store(last);
            last_.store(place);
        }
    }
    void end() { active_.store(false); }

    Places read() const
    {
        Places places;
        places.active = active_.load() && !paused_.load();
        unpack(last_.load(), places.lastX, places.lastY);
        unpack(previous_.load(), places.previousX, places.previousY);
        return places;
    }

    // True for the first caller of a playback: the user's takeover is reported once.
    bool claimTakeover() { return !takeoverClaimed_.exchange(true); }

private:
    static uint64_t pack(int32_t x, int32_t y)
    {
        return (static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32) | static_cast<uint32_t>(y);
    }
    static void unpack(uint64_t place, int32_t& x, int32_t& y)
    {
        x = static_cast<int32_t>(static_cast<uint32_t>(place >> 32));
        y = static_cast<int32_t>(static_cast<uint32_t>(place));
    }

    std::atomic<bool> active_{false};
    std::atomic<bool> paused_{false};
    std::atomic<bool> takeoverClaimed_{false};
    std::atomic<uint64_t> last_{0};
    std::atomic<uint64_t> previous_{0};
};
