// The waits of the wait steps on a simulated clock and screen: when they end, how often they look,
// where they look (with and without following windows), the click on a found picture, and how a
// playback goes on or ends when a wait's time is up.
#include "player/screen_waits.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "player/playback_loop.h"
#include "script/screen_wait.h"

namespace {

constexpr uint32_t kBackground = 0x3A6EA5;
constexpr uint32_t kBlue = 0x1E90FF;

// A 200 x 100 screen at (-50, 0) of the background colour; from changeAt on, the pixel at
// (10, 20) turns blue and a 4 x 3 picture (a cross of colours) shows at (120, 60).
struct Screen {
    double time = 10.0;
    double changeAt = 1e9;
    double stopAt = 1e9;
    double lookCost = 0.0;  // what each capture takes
    WindowPresence presence[2] = {WindowPresence::Missing, WindowPresence::Missing};
    double presenceFrom = 1e9;
    WindowPresence presenceLater = WindowPresence::Front;
    ScreenRect client{500, 500, 600, 560};
    int32_t clientDpi = 144;
    std::atomic<bool> stop{false};
    std::vector<double> looks;
    std::vector<ScreenRect> captured;
    std::vector<int32_t> statuses;

    static Screen& self(void* c) { return *static_cast<Screen*>(c); }

    static uint32_t pictureAt(int32_t x, int32_t y) { return static_cast<uint32_t>(0x101010 * (x + 1) + 0x030303 * y); }

    uint32_t pixel(int32_t x, int32_t y) const
    {
        if (time >= changeAt) {
            if (x == 10 && y == 20) {
                return kBlue;
            }
            if (x >= 120 && x < 124 && y >= 60 && y < 63) {
                return pictureAt(x - 120, y - 60);
            }
        }
        return kBackground;
    }

    PlaybackClockSeam clock()
    {
        PlaybackClockSeam s;
        s.context = this;
        s.now = [](void* c) { return self(c).time; };
        s.sleepMilliseconds = [](void* c, uint32_t ms) {
            Screen& d = self(c);
            d.time += ms == 0 ? 0.0001 : ms / 1000.0;
            if (d.time >= d.stopAt) {
                d.stop.store(true);
            }
        };
        s.pause = [](void* c) { self(c).time += 0.00001; };
        s.setPriority = [](void*, PlaybackPriority) {};
        return s;
    }

    ScreenSeam seam()
    {
        ScreenSeam s;
        s.context = this;
        s.capture = [](void* c, const ScreenRect& area, PixelBuffer& pixels) {
            Screen& d = self(c);
            d.looks.push_back(d.time);
            d.captured.push_back(area);
            pixels.width = static_cast<int32_t>(area.width());
            pixels.height = static_cast<int32_t>(area.height());
            pixels.pixels.clear();
            for (int32_t y = area.top; y < area.bottom; ++y) {
                for (int32_t x = area.left; x < area.right; ++x) {
                    pixels.pixels.push_back(d.pixel(x, y));
                }
            }
            d.time += d.lookCost;
            return true;
        };
        s.virtualScreen = [](void*) { return ScreenRect{-50, 0, 150, 100}; };
        s.windowPresence = [](void* c, int32_t index) {
            Screen& d = self(c);
            d.looks.push_back(d.time);
            return d.time >= d.presenceFrom ? d.presenceLater : d.presence[index];
        };
        s.clientArea = [](void* c, int32_t, ScreenRect& area, int32_t& dpi) {
            area = self(c).client;
            dpi = self(c).clientDpi;
            return true;
        };
        // The "PNG" of these tests is the picture's pixels as text: its size only.
        s.decodePng = [](void*, const std::string& png, PixelBuffer& pixels) {
            if (png != "cross") {
                return false;
            }
            pixels.width = 4;
            pixels.height = 3;
            pixels.pixels.clear();
            for (int32_t y = 0; y < 3; ++y) {
                for (int32_t x = 0; x < 4; ++x) {
                    pixels.pixels.push_back(pictureAt(x, y));
                }
            }
            return true;
        };
        s.waiting = [](void* c, int32_t step) { self(c).statuses.push_back(step); };
        return s;
    }
};

MacroEvent waitStep(EventKind kind, int32_t x, int32_t y, ScreenWait wait)
{
    MacroEvent e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    if (kind == EventKind::WaitPicture) {
        wait.png = "cross";
        wait.pictureWidth = 4;
        wait.pictureHeight = 3;
    }
    e.wait = std::make_shared<const ScreenWait>(wait);
    return e;
}

ScreenWait colour(bool absent, double timeout)
{
    ScreenWait w;
    w.rgb = kBlue;
    w.absent = absent;
    w.tolerance = 16;
    w.timeoutSeconds = timeout;
    return w;
}

}  // namespace

TEST(ScreenWaits, EachWaitEndsWhenItsConditionHoldsOrItsTimeIsUp)
{
    ScreenWait picture;
    picture.click = FoundClick::Double;
    picture.timeoutSeconds = 5;
    ScreenWait front;
    front.until = WindowCondition::Front;
    ScreenWait gone;
    gone.until = WindowCondition::Gone;
    const struct {
        const char* name;
        MacroEvent step;
        double changeAt;  // when the screen changes, from the wait's start
        ScreenWaitEnd end;
        double lastsAbout;  // seconds, within one look interval
    } cases[] = {
        {"colour already there", waitStep(EventKind::WaitColour, 10, 20, colour(false, 5)), -1, ScreenWaitEnd::Met, 0},
        {"colour comes", waitStep(EventKind::WaitColour, 10, 20, colour(false, 5)), 2, ScreenWaitEnd::Met, 2},
        {"colour never comes", waitStep(EventKind::WaitColour, 10, 20, colour(false, 0.5)), 2, ScreenWaitEnd::TimedOut,
         0.5},
        {"colour goes away", waitStep(EventKind::WaitColour, 10, 20, colour(true, 5)), 1, ScreenWaitEnd::Met, 0},
        {"colour at a point off the screen", waitStep(EventKind::WaitColour, 500, 20, colour(true, 1)), 0,
         ScreenWaitEnd::TimedOut, 1},
        {"picture comes", waitStep(EventKind::WaitPicture, 0, 0, picture), 3, ScreenWaitEnd::Met, 3},
        {"window in front", waitStep(EventKind::WaitWindow, 0, 0, front), 1.5, ScreenWaitEnd::Met, 1.5},
        {"window gone", waitStep(EventKind::WaitWindow, 0, 0, gone), 1.5, ScreenWaitEnd::Met, 0},
    };
    for (const auto& c : cases) {
        Screen screen;
        screen.changeAt = screen.time + c.changeAt;
        screen.presenceFrom = screen.time + c.changeAt;
        MacroEvent step = c.step;
        step.window.index = step.kind == EventKind::WaitWindow ? 0 : kNoWindow;
        const double start = screen.time;
        const ScreenWaitResult result = runScreenWait(step, 3, screen.clock(), screen.seam(), false, screen.stop);
        EXPECT_EQ(result.end, c.end) << c.name;
        EXPECT_NEAR(screen.time - start, c.lastsAbout, kLookIntervalSeconds + 0.011) << c.name;
        // Looks come at most every 50 ms.
        for (size_t i = 1; i < screen.looks.size(); ++i) {
            EXPECT_GE(screen.looks[i] - screen.looks[i - 1], kLookIntervalSeconds - 1e-9) << c.name;
        }
        // The status is told only when the first look did not find it, and taken back after.
        EXPECT_EQ(screen.statuses, c.lastsAbout > 0 ? std::vector<int32_t>({3, -1}) : std::vector<int32_t>()) << c.name;
    }
}

TEST(ScreenWaits, AStopEndsAWaitAtOnceAndCostlyLooksAreSpacedOut)
{
    Screen screen;
    screen.stopAt = screen.time + 1.0;
    const double start = screen.time;
    EXPECT_EQ(runScreenWait(waitStep(EventKind::WaitColour, 10, 20, colour(false, 60)), 0, screen.clock(),
                            screen.seam(), false, screen.stop)
                  .end,
              ScreenWaitEnd::Stopped);
    EXPECT_LT(screen.time - start, 1.01);

    // A look of 10 ms: 50 ms apart; of 20 ms: 80 ms (a quarter of the time); of 40 ms: 160 ms.
    for (const double cost : {0.01, 0.02, 0.04}) {
        Screen slow;
        slow.lookCost = cost;
        runScreenWait(waitStep(EventKind::WaitColour, 10, 20, colour(false, 2)), 0, slow.clock(), slow.seam(), false,
                      slow.stop);
        ASSERT_GT(slow.looks.size(), 10u);
        const double gap = slow.looks[5] - slow.looks[4];
        const double expected = cost < 0.0125 ? 0.05 : cost * 4;
        EXPECT_GE(gap, expected - 1e-9) << cost;
        EXPECT_LE(gap, expected + 0.006) << cost;
    }
}

TEST(ScreenWaits, AFoundPictureIsClickedAtItsCentreOrAtThePickedPoint)
{
    const struct {
        bool atPoint;
        int32_t x, y;
    } cases[] = {{false, 122, 61}, {true, 123, 60}};
    for (const auto& c : cases) {
        ScreenWait wait;
        wait.click = FoundClick::Left;
        wait.clickAtPoint = c.atPoint;
        wait.clickX = 3;
        wait.clickY = 0;
        Screen screen;
        screen.changeAt = 0;
        const ScreenWaitResult result = runScreenWait(waitStep(EventKind::WaitPicture, 0, 0, wait), 0, screen.clock(),
                                                      screen.seam(), false, screen.stop);
        EXPECT_TRUE(result.click);
        EXPECT_EQ(result.x, c.x);
        EXPECT_EQ(result.y, c.y);
        // The whole screen was captured, nothing more.
        EXPECT_TRUE(screen.captured.back() == (ScreenRect{-50, 0, 150, 100}));
    }
}

TEST(ScreenWaits, AreasFollowTheirWindowOnlyWhenWindowsAreFollowed)
{
    ScreenWait rectangle;
    rectangle.areaWidth = 40;
    rectangle.areaHeight = 20;
    const auto anchoredAt = [](MacroEvent e, int32_t wx, int32_t wy) {
        e.window = EventWindow{0, wx, wy, 96};
        return e;
    };
    Screen screen;
    screen.client = ScreenRect{-40, 10, 60, 90};  // at 144 DPI
    const ScreenSeam seam = screen.seam();
    const struct {
        const char* name;
        MacroEvent step;
        bool follow;
        ScreenRect area;
    } cases[] = {
        {"colour, screen point", waitStep(EventKind::WaitColour, 7, 8, colour(false, 1)), true, {7, 8, 8, 9}},
        {"colour, anchored, not followed",
         anchoredAt(waitStep(EventKind::WaitColour, 7, 8, colour(false, 1)), 2, 4),
         false,
         {7, 8, 8, 9}},
        {"colour, anchored, followed and scaled",
         anchoredAt(waitStep(EventKind::WaitColour, 7, 8, colour(false, 1)), 2, 4),
         true,
         {-37, 16, -36, 17}},
        {"rectangle, followed and scaled",
         anchoredAt(waitStep(EventKind::WaitPicture, 0, 0, rectangle), 10, 10),
         true,
         {-25, 25, 35, 55}},
        {"rectangle off the screen", waitStep(EventKind::WaitPicture, 150, 0, rectangle), false, {}},
        {"client area, not followed",
         anchoredAt(waitStep(EventKind::WaitPicture, 0, 0, ScreenWait{}), 0, 0),
         false,
         {-40, 10, 60, 90}},
        {"whole screen", waitStep(EventKind::WaitPicture, 5, 5, ScreenWait{}), true, {-50, 0, 150, 100}},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(screenWaitArea(c.step, seam, c.follow) == c.area) << c.name;
    }
}

TEST(ScreenWaits, APlaybackStopsOrGoesOnWhenAWaitsTimeIsUpAndClicksAFoundPicture)
{
    struct Run {
        Screen screen;
        std::atomic<bool> playing{true};
        std::vector<std::string> injected;
        PlaybackEnd end = PlaybackEnd::Completed;
        uint32_t detail = 0;
    };
    const auto play = [](Run& run, const std::vector<MacroEvent>& events) {
        PlaybackSeams s;
        s.context = &run;
        s.clock = run.screen.clock();
        s.screen = run.screen.seam();
        s.doubleClickSeconds = [](void*) { return 0.5; };
        s.inject = [](void* c, const MacroEvent& e) {
            static_cast<Run*>(c)->injected.push_back(std::string(kindToken(e.kind)) + (e.pressed ? "+" : "") + "@" +
                                                     std::to_string(e.x) + "," + std::to_string(e.y));
            return SendResult{};
        };
        s.releaseHeld = [](void*) {};
        s.releaseModifiers = [](void*) { return SendResult{}; };
        s.passStarted = [](void*, int, int) {};
        s.ended = [](void* c, PlaybackEnd how, uint32_t what) {
            static_cast<Run*>(c)->end = how;
            static_cast<Run*>(c)->detail = what;
        };
        return runPlayback(makePlaybackJob(events, 1.0, false, 1, false), s, run.playing, run.screen.stop);
    };
    MacroEvent key;
    key.kind = EventKind::KeyDown;
    key.keyOrText = "A";
    ScreenWait go = colour(false, 0.3);
    go.onTimeout = TimeoutAction::Go;
    ScreenWait picture;
    picture.click = FoundClick::Right;
    {
        Run run;
        EXPECT_EQ(play(run, {key, waitStep(EventKind::WaitColour, 10, 20, colour(false, 0.3)), key}),
                  PlaybackEnd::WaitTimedOut);
        EXPECT_EQ(run.detail, 1u);
        EXPECT_EQ(run.injected.size(), 1u);
    }
    {
        Run run;
        EXPECT_EQ(play(run, {key, waitStep(EventKind::WaitColour, 10, 20, go), key}), PlaybackEnd::Completed);
        EXPECT_EQ(run.injected.size(), 2u);
    }
    {
        Run run;
        run.screen.changeAt = run.screen.time + 1;
        EXPECT_EQ(play(run, {waitStep(EventKind::WaitPicture, 0, 0, picture), key}), PlaybackEnd::Completed);
        EXPECT_EQ(run.injected, (std::vector<std::string>{"m@122,61", "c+@122,61", "c@122,61", "kd@0,0"}));
    }
}
