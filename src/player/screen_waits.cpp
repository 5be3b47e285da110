#include "player/screen_waits.h"

#include <memory>

#include "screen_match/picture_search.h"
#include "script/screen_wait.h"

namespace {

// A rest sleeps in steps this short, so that a stop ends a wait at once.
constexpr uint32_t kRestStepMilliseconds = 5;

bool anchored(const MacroEvent& step)
{
    return step.window.index != kNoWindow;
}

// The step's point now: moved with its window when followed (false while the window is missing).
bool stepPoint(const MacroEvent& step, const ScreenSeam& screen, bool followWindows, int64_t& x, int64_t& y,
               int32_t& dpiNow)
{
    x = step.x;
    y = step.y;
    dpiNow = step.window.dpi;
    if (!followWindows || !anchored(step)) {
        return true;
    }
    ScreenRect client;
    if (!screen.clientArea(screen.context, step.window.index, client, dpiNow)) {
        return false;
    }
    x = static_cast<int64_t>(client.left) + scaleDistance(step.window.x, dpiNow, step.window.dpi);
    y = static_cast<int64_t>(client.top) + scaleDistance(step.window.y, dpiNow, step.window.dpi);
    return true;
}

// What one look at the screen tells a colour or picture wait.
class ScreenLook {
public:
    ScreenLook(const MacroEvent& step, const ScreenSeam& screen, bool followWindows)
        : step_(step), wait_(*step.wait), screen_(screen), follow_(followWindows)
    {
        if (step.kind == EventKind::WaitPicture) {
            PixelBuffer picture;
            if (screen.decodePng(screen.context, wait_.png, picture)) {
                search_ = std::make_unique<PictureSearch>(picture.view(), wait_.tolerance);
            }
        }
    }

    // Whether what the step waits for is there now (with found filled for a picture).
    bool met(ScreenPoint& found)
    {
        switch (step_.kind) {
        case EventKind::WaitWindow: return windowMet();
        case EventKind::WaitColour: return colourMet();
        case EventKind::WaitPicture: return pictureMet(found);
        default: return true;
        }
    }

private:
    bool windowMet() const
    {
        const WindowPresence presence = screen_.windowPresence(screen_.context, step_.window.index);
        switch (wait_.until) {
        case WindowCondition::Front: return presence == WindowPresence::Front;
        case WindowCondition::Gone: return presence == WindowPresence::Missing;
        default: return presence != WindowPresence::Missing;
        }
    }

    bool colourMet()
    {
        const ScreenRect area = screenWaitArea(step_, screen_, follow_);
        if (area.empty() || !screen_.capture(screen_.context, area, pixels_) || pixels_.pixels.empty()) {
            return false;  // nothing seen: neither the colour nor another
        }
        const bool has = pixelsWithin(pixels_.pixels[0], wait_.rgb, static_cast<uint32_t>(wait_.tolerance));
        return has != wait_.absent;
    }

    bool pictureMet(ScreenPoint& found)
    {
        if (search_ == nullptr) {
            return false;
        }
        const ScreenRect area = screenWaitArea(step_, screen_, follow_);
        if (picturePlaces(area, search_->width(), search_->height()).empty() ||
            !screen_.capture(screen_.context, area, pixels_)) {
            return false;
        }
        ScreenPoint at;
        if (!search_->find(pixels_.view(), at)) {
            return false;
        }
        found = ScreenPoint{area.left + at.x, area.top + at.y};
        return true;
    }

    const MacroEvent& step_;
    const ScreenWait& wait_;
    const ScreenSeam& screen_;
    const bool follow_;
    std::unique_ptr<PictureSearch> search_;
    PixelBuffer pixels_;  // kept from look to look: a capture of the same size needs no new memory
};

}  // namespace

ScreenRect screenWaitArea(const MacroEvent& step, const ScreenSeam& screen, bool followWindows)
{
    const ScreenRect desktop = screen.virtualScreen(screen.context);
    if (step.wait == nullptr) {
        return ScreenRect{};
    }
    if (step.kind == EventKind::WaitColour) {
        int64_t x = 0;
        int64_t y = 0;
        int32_t dpi = 0;
        if (!stepPoint(step, screen, followWindows, x, y, dpi)) {
            return ScreenRect{};
        }
        return intersection(
            rectAt(clampToInt32(x), clampToInt32(y), x == clampToInt32(x) ? 1 : 0, y == clampToInt32(y) ? 1 : 0),
            desktop);
    }
    const ScreenWait& wait = *step.wait;
    if (wait.areaWidth > 0) {
        int64_t x = 0;
        int64_t y = 0;
        int32_t dpi = 0;
        if (!stepPoint(step, screen, followWindows, x, y, dpi)) {
            return ScreenRect{};
        }
        const bool scaled = followWindows && anchored(step);
        const int64_t width = scaled ? scaleDistance(wait.areaWidth, dpi, step.window.dpi) : wait.areaWidth;
        const int64_t height = scaled ? scaleDistance(wait.areaHeight, dpi, step.window.dpi) : wait.areaHeight;
        // The part of a rectangle reaching past the 32-bit range is cut where it crosses it.
        const int64_t left = x < INT32_MIN ? INT32_MIN : x;
        const int64_t top = y < INT32_MIN ? INT32_MIN : y;
        return intersection(rectAt(clampToInt32(left), clampToInt32(top), width - (left - x), height - (top - y)),
                            desktop);
    }
    if (anchored(step)) {
        // The window's whole client area: wherever the window is, followed or not.
        ScreenRect client;
        int32_t dpi = 0;
        return screen.clientArea(screen.context, step.window.index, client, dpi) ? intersection(client, desktop)
                                                                                 : ScreenRect{};
    }
    return desktop;
}

bool restBeforeNextLook(const PlaybackClockSeam& clock, double lookAt, const std::atomic<bool>& stopRequested,
                        PauseGate* pause, double& pausedSeconds)
{
    do {
        // A refusal to press held input again shows at the next injection.
        const PauseHold held = holdIfPaused(pause);
        if (stopRequested.load() || held.stopped) {
            return false;
        }
        pausedSeconds += held.pausedSeconds;
        lookAt += held.pausedSeconds;
        clock.sleepMilliseconds(clock.context, kRestStepMilliseconds);
    } while (clock.now(clock.context) < lookAt);
    return !stopRequested.load();
}

ScreenWaitResult runScreenWait(const MacroEvent& step, int32_t stepIndex, const PlaybackClockSeam& clock,
                               const ScreenSeam& screen, bool followWindows, const std::atomic<bool>& stopRequested,
                               PauseGate* pause)
{
    ScreenWaitResult result;
    if (step.wait == nullptr) {
        return result;
    }
    const ScreenWait& wait = *step.wait;
    double start = clock.now(clock.context);  // moved on by the time paused
    ScreenLook look(step, screen, followWindows);
    bool told = false;
    for (;;) {
        const double lookStart = clock.now(clock.context);
        ScreenPoint found;
        if (look.met(found)) {
            if (step.kind == EventKind::WaitPicture && wait.click != FoundClick::None) {
                const int32_t dx = wait.clickAtPoint ? wait.clickX : wait.pictureWidth / 2;
                const int32_t dy = wait.clickAtPoint ? wait.clickY : wait.pictureHeight / 2;
                const ScreenPoint at = pointInPicture(found, dx, dy);
                result.click = true;
                result.x = at.x;
                result.y = at.y;
            }
            break;
        }
        const double now = clock.now(clock.context);
        if (now - start >= wait.timeoutSeconds) {
            result.end = ScreenWaitEnd::TimedOut;
            break;
        }
        if (!told) {
            screen.waiting(screen.context, stepIndex);
            told = true;
        }
        // A costly look (a picture in a large area, a slow screen) spaces the looks out.
        const double cost = now - lookStart;
        const double interval =
            cost / kLookShareOfTime > kLookIntervalSeconds ? cost / kLookShareOfTime : kLookIntervalSeconds;
        // The last look may come up to one interval after the time is up: never two looks closer.
        if (!restBeforeNextLook(clock, lookStart + interval, stopRequested, pause, start)) {
            result.end = ScreenWaitEnd::Stopped;
            break;
        }
    }
    if (told) {
        screen.waiting(screen.context, -1);
    }
    return result;
}
