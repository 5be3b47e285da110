#pragma once
// Scheduling accuracy of the playback loop: how late each event is injected after its target
// time (the pass start plus the scaled delays before it). Shared by the native program, which
// injects into a fake, and the Windows program, which injects with SendInput.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "player/click_fidelity.h"
#include "player/playback_loop.h"

namespace timing {

// A script of count events with delays from 0 to 50 ms: about a third back to back (delay 0,
// as in recorded typing and drags), the rest spread over 1..50 ms. Moves, clicks, wheel turns
// and keys in turn, positioned inside a 1280x1024 desktop.
inline std::vector<MacroEvent> makeScript(size_t count)
{
    std::vector<MacroEvent> events(count);
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (size_t i = 0; i < count; ++i) {
        MacroEvent& e = events[i];
        const uint32_t r = next();
        e.delay = (r % 3 == 0) ? 0.0 : static_cast<double>(next() % 50001) / 1e6;
        e.x = static_cast<int32_t>(200 + next() % 800);
        e.y = static_cast<int32_t>(200 + next() % 600);
        switch (i % 8) {
        case 2:
            e.kind = EventKind::Click;
            e.pressed = true;
            e.button = MouseButton::Left;
            break;
        case 3:
            e.kind = EventKind::Click;
            e.pressed = false;
            e.button = MouseButton::Left;
            break;
        case 5:
            e.kind = EventKind::Scroll;
            e.dy = (i % 16 == 5) ? 1 : -1;
            break;
        case 6:
            e.kind = EventKind::KeyDown;
            e.keyOrText = "Shift";
            break;
        case 7:
            e.kind = EventKind::KeyUp;
            e.keyOrText = "Shift";
            break;
        default: e.kind = EventKind::Move; break;
        }
    }
    return events;
}

struct Stats {
    double median = 0;
    double p99 = 0;
    double max = 0;
    double mean = 0;
};

inline Stats summarise(std::vector<double> values)
{
    Stats s;
    if (values.empty()) {
        return s;
    }
    std::sort(values.begin(), values.end());
    s.median = values[values.size() / 2];
    s.p99 = values[std::min(values.size() - 1, static_cast<size_t>(static_cast<double>(values.size()) * 0.99))];
    s.max = values.back();
    double sum = 0;
    for (double v : values) {
        sum += v;
    }
    s.mean = sum / static_cast<double>(values.size());
    return s;
}

// Wraps a playback's seams: the clock passes through, every injection first notes the clock,
// then goes on to the wrapped injector (if any).
struct Probe {
    PlaybackSeams inner;
    double passStart = 0;
    std::vector<double> injectedAt;  // relative to the pass start

    PlaybackSeams seams()
    {
        PlaybackSeams s = inner;
        s.context = this;
        s.doubleClickSeconds = [](void*) { return 0.5; };
        s.inject = [](void* c, const MacroEvent& e) {
            Probe& p = self(c);
            p.injectedAt.push_back(p.now() - p.passStart);
            return p.inner.inject != nullptr ? p.inner.inject(p.inner.context, e) : SendResult{};
        };
        s.releaseHeld = [](void* c) {
            if (self(c).inner.releaseHeld != nullptr) {
                self(c).inner.releaseHeld(self(c).inner.context);
            }
        };
        s.releaseModifiers = [](void* c) {
            return self(c).inner.releaseModifiers != nullptr ? self(c).inner.releaseModifiers(self(c).inner.context)
                                                             : SendResult{};
        };
        // The loop reads the clock for the pass start right after this call.
        s.passStarted = [](void* c, int, int) { self(c).passStart = self(c).now(); };
        s.ended = [](void*, PlaybackEnd, uint32_t) {};
        return s;
    }

    double now() const { return inner.clock.now(inner.clock.context); }
    static Probe& self(void* c) { return *static_cast<Probe*>(c); }
};

// Plays the script once at the given speed and returns the lateness of every event in seconds.
inline std::vector<double> schedulingErrors(const std::vector<MacroEvent>& events, double speed,
                                            const PlaybackSeams& inner)
{
    Probe probe;
    probe.inner = inner;
    std::atomic<bool> playing{true};
    std::atomic<bool> stop{false};
    const PlaybackJob job = makePlaybackJob(events, speed, false, 1, false);
    runPlayback(job, probe.seams(), playing, stop);
    const std::vector<double> delays = computeScaledDelays(job.events, job.speed, false, 0.5);
    std::vector<double> errors;
    double target = 0;
    for (size_t i = 0; i < probe.injectedAt.size(); ++i) {
        target += delays[i];
        errors.push_back(probe.injectedAt[i] - target);
    }
    return errors;
}

inline void printStats(const char* label, const Stats& s)
{
    std::printf("%-34s median %8.1f us   p99 %8.1f us   max %8.1f us   mean %8.1f us\n", label, s.median * 1e6,
                s.p99 * 1e6, s.max * 1e6, s.mean * 1e6);
}

}  // namespace timing
