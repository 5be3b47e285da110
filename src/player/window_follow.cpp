#include "player/window_follow.h"

#include <cmath>

#include "script/window_table.h"

namespace {

// A wait sleeps in steps this short, so that a stop ends it at once.
constexpr uint32_t kWaitStepMilliseconds = 5;

bool hasWindow(const MacroEvent& event)
{
    return event.window.index != kNoWindow && windowInfoFor(event.kind, event.pressed) != WindowInfo::None;
}

bool isButtonDown(const bool (&down)[3])
{
    return down[0] || down[1] || down[2];
}

size_t buttonSlot(MouseButton button)
{
    switch (button) {
    case MouseButton::Right: return 1;
    case MouseButton::Middle: return 2;
    default: return 0;
    }
}

}  // namespace

std::vector<FollowStep> planFollow(const std::vector<MacroEvent>& events)
{
    std::vector<FollowStep> steps(events.size());
    bool down[3] = {};
    int32_t dragAnchor = -1;
    size_t approachStart = events.size();  // the first move since the last press, release or wheel turn
    for (size_t i = 0; i < events.size(); ++i) {
        const MacroEvent& event = events[i];
        const auto self = static_cast<int32_t>(i);
        switch (event.kind) {
        case EventKind::Move:
            if (isButtonDown(down)) {
                steps[i].anchor = dragAnchor;
            } else if (approachStart == events.size()) {
                approachStart = i;
            }
            break;
        case EventKind::Click:
            if (!event.pressed) {
                steps[i].anchor = dragAnchor;  // the release of a drag ends where its moves go
                down[buttonSlot(event.button)] = false;
                if (!isButtonDown(down)) {
                    dragAnchor = -1;
                }
                approachStart = events.size();  // moves before a release stay where they were
                break;
            }
            down[buttonSlot(event.button)] = true;
            [[fallthrough]];
        case EventKind::Scroll: {
            const int32_t anchor = hasWindow(event) ? self : -1;
            const size_t first = approachStart < i ? approachStart : i;
            for (size_t j = first; j <= i; ++j) {
                if (events[j].kind == EventKind::Move || j == i) {
                    steps[j].anchor = anchor;
                }
            }
            steps[first].waitFor = anchor;
            if (event.kind == EventKind::Click) {
                dragAnchor = anchor;
            }
            approachStart = events.size();
            break;
        }
        case EventKind::KeyDown:
        case EventKind::Text:
            if (hasWindow(event)) {
                steps[i].waitFor = self;
            }
            break;
        default: break;
        }
    }
    return steps;
}

int32_t scaleForMonitor(int32_t value, int32_t dpiNow, int32_t dpiRecorded)
{
    if (dpiNow < kMinWindowDpi || dpiNow > kMaxWindowDpi || dpiRecorded < kMinWindowDpi ||
        dpiRecorded > kMaxWindowDpi || dpiNow == dpiRecorded) {
        return value;
    }
    const double scaled = std::round(static_cast<double>(value) * dpiNow / dpiRecorded);
    if (scaled >= 2147483647.0) {
        return INT32_MAX;
    }
    return scaled <= -2147483648.0 ? INT32_MIN : static_cast<int32_t>(scaled);
}

namespace {

int32_t clampTo32(int64_t value)
{
    return static_cast<int32_t>(value < INT32_MIN ? INT32_MIN : (value > INT32_MAX ? INT32_MAX : value));
}

}  // namespace

MacroEvent shiftedEvent(const MacroEvent& event, PointShift shift)
{
    MacroEvent moved = event;
    moved.x = clampTo32(static_cast<int64_t>(event.x) + shift.dx);
    moved.y = clampTo32(static_cast<int64_t>(event.y) + shift.dy);
    return moved;
}

PointShift shiftFor(const MacroEvent& anchor, const WindowPlace& place)
{
    const int64_t x =
        static_cast<int64_t>(place.originX) + scaleForMonitor(anchor.window.x, place.dpi, anchor.window.dpi);
    const int64_t y =
        static_cast<int64_t>(place.originY) + scaleForMonitor(anchor.window.y, place.dpi, anchor.window.dpi);
    return PointShift{clampTo32(x - anchor.x), clampTo32(y - anchor.y)};
}

WindowOrigin recordedOrigin(const MacroEvent& anchor)
{
    return WindowOrigin{clampTo32(static_cast<int64_t>(anchor.x) - anchor.window.x),
                        clampTo32(static_cast<int64_t>(anchor.y) - anchor.window.y)};
}

WindowWaitEnd waitForWindow(const PlaybackClockSeam& clock, const WindowSeam& windows, int32_t index,
                            const WindowAttempt& attempt, double limitSeconds, const std::atomic<bool>& stopRequested,
                            WindowProblem& problem, PauseGate* pause)
{
    problem = attempt.attempt(attempt.context);
    if (problem == WindowProblem::None) {
        return WindowWaitEnd::Found;
    }
    windows.waiting(windows.context, index);
    double start = clock.now(clock.context);
    for (;;) {
        const double lookAt = clock.now(clock.context) + kWindowLookIntervalMilliseconds / 1000.0;
        do {
            // A refusal to press held input again shows at the next injection.
            const PauseHold held = holdIfPaused(pause);
            if (stopRequested.load() || held.stopped) {
                return WindowWaitEnd::Stopped;
            }
            start += held.pausedSeconds;
            clock.sleepMilliseconds(clock.context, kWaitStepMilliseconds);
        } while (clock.now(clock.context) < lookAt);
        if (stopRequested.load()) {
            return WindowWaitEnd::Stopped;
        }
        problem = attempt.attempt(attempt.context);
        if (problem == WindowProblem::None) {
            windows.waiting(windows.context, kNoWindow);
            return WindowWaitEnd::Found;
        }
        if (clock.now(clock.context) - start >= limitSeconds) {
            return WindowWaitEnd::TimedOut;
        }
    }
}

namespace {

struct EventAttempt {
    const WindowSeam& windows;
    const MacroEvent& event;
    FollowCheck check;
    PointShift shift;
};

WindowProblem attemptEvent(void* context)
{
    EventAttempt& a = *static_cast<EventAttempt*>(context);
    const int32_t index = a.event.window.index;
    if (a.check == FollowCheck::Front) {
        return a.windows.checkFront(a.windows.context, index);
    }
    const WindowOrigin origin = recordedOrigin(a.event);
    WindowPlace place;
    const WindowProblem found = a.windows.look(a.windows.context, index, &origin, place);
    if (found != WindowProblem::None) {
        return found;
    }
    a.shift = shiftFor(a.event, place);
    if (a.check == FollowCheck::Find) {
        return WindowProblem::None;
    }
    // The point is checked where the click will go, never at another one.
    const MacroEvent moved = shiftedEvent(a.event, a.shift);
    return a.windows.checkPoint(a.windows.context, index, moved.x, moved.y);
}

}  // namespace

FollowWait waitForEventWindow(const PlaybackClockSeam& clock, const WindowSeam& windows, const MacroEvent& event,
                              FollowCheck check, double limitSeconds, const std::atomic<bool>& stopRequested,
                              PauseGate* pause)
{
    EventAttempt attempt{windows, event, check, PointShift{}};
    FollowWait wait;
    wait.end = waitForWindow(clock, windows, event.window.index, WindowAttempt{&attempt, &attemptEvent}, limitSeconds,
                             stopRequested, wait.problem, pause);
    wait.shift = attempt.shift;
    return wait;
}
