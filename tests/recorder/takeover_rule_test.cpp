#include "recorder/takeover_rule.h"

#include <gtest/gtest.h>

#include "recorder/capture_rules.h"

namespace {

namespace M = HookMessage;

TEST(TakeoverRule, RealMovesFarFromThePlaybackAndRealPressesTakeOver)
{
    PlaybackPointer pointer;
    pointer.begin(100, 100);
    pointer.place(500, 400);  // the playback's last two places: (100, 100) and (500, 400)
    const PlaybackPointer::Places places = pointer.read();
    const struct {
        const char* what;
        uint32_t message;
        int32_t x;
        int32_t y;
        uint32_t flags;
        bool takeover;
    } rows[] = {
        {"at the last place", M::kMouseMove, 500, 400, 0, false},
        {"8 pixels away", M::kMouseMove, 508, 400, 0, false},
        {"9 pixels away", M::kMouseMove, 500, 391, 0, true},
        {"diagonally within 8", M::kMouseMove, 505, 406, 0, false},  // 7.8 pixels
        {"diagonally beyond 8", M::kMouseMove, 506, 406, 0, true},   // 8.5 pixels
        {"at the place before (its notification came late)", M::kMouseMove, 103, 98, 0, false},
        {"far away, injected", M::kMouseMove, 900, 900, kMouseInjectedFlag, false},
        {"far away", M::kMouseMove, 900, 900, 0, true},
        {"left press at the place", M::kLButtonDown, 500, 400, 0, true},
        {"right press", M::kRButtonDown, 500, 400, 0, true},
        {"middle press", M::kMButtonDown, 500, 400, 0, true},
        {"side button press", M::kXButtonDown, 500, 400, 0, true},
        {"injected press", M::kLButtonDown, 500, 400, kMouseInjectedFlag, false},
        {"a release alone", M::kLButtonUp, 900, 900, 0, false},
        {"a wheel turn", M::kMouseWheel, 900, 900, 0, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(isUserTakeover(row.message, row.x, row.y, row.flags, places), row.takeover) << row.what;
    }
}

TEST(TakeoverRule, NothingWithoutAPlayback)
{
    PlaybackPointer pointer;
    EXPECT_FALSE(isUserTakeover(M::kLButtonDown, 0, 0, 0, pointer.read())) << "before any playback";
    pointer.begin(10, 10);
    EXPECT_TRUE(isUserTakeover(M::kMouseMove, 30, 10, 0, pointer.read()));
    pointer.end();
    EXPECT_FALSE(isUserTakeover(M::kMouseMove, 30, 10, 0, pointer.read())) << "after the playback";
}

TEST(PlaybackPointer, KeepsTheLastTwoPlacesAndOneTakeoverPerPlayback)
{
    PlaybackPointer pointer;
    pointer.begin(-20, 30);
    pointer.place(1, 2);
    pointer.place(-3000, 4000);
    pointer.place(-3000, 4000);  // the same place again (a press after its move) keeps the one before
    const PlaybackPointer::Places places = pointer.read();
    EXPECT_TRUE(places.active);
    EXPECT_EQ(places.lastX, -3000);
    EXPECT_EQ(places.lastY, 4000);
    EXPECT_EQ(places.previousX, 1);
    EXPECT_EQ(places.previousY, 2);
    EXPECT_TRUE(pointer.claimTakeover());
    EXPECT_FALSE(pointer.claimTakeover()) << "reported once";
    pointer.end();
    pointer.begin(0, 0);
    EXPECT_TRUE(pointer.claimTakeover()) << "a new playback may be taken over again";
}

}  // namespace
