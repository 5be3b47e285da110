#include "player/coarse_wait.h"

#include <string>

#include <gtest/gtest.h>

namespace {

// A system offering what a case says, counting what was asked of it.
struct FakeSupport {
    bool hasTimer = false;
    bool canIgnoreThrottling = false;
    int timersMade = 0;
    int exemptionsAsked = 0;
    int timer = 0;  // its address stands for the timer's handle

    TimerSupportSeam seam()
    {
        TimerSupportSeam s;
        s.context = this;
        s.makeHighResolutionTimer = [](void* c) -> void* {
            FakeSupport& f = *static_cast<FakeSupport*>(c);
            ++f.timersMade;
            return f.hasTimer ? &f.timer : nullptr;
        };
        s.ignoreTimerThrottling = [](void* c) {
            FakeSupport& f = *static_cast<FakeSupport*>(c);
            ++f.exemptionsAsked;
            return f.canIgnoreThrottling;
        };
        return s;
    }
};

}  // namespace

TEST(CoarseWait, TheTimerWhereTheSystemMakesOneElseTheExemptionElseSleep)
{
    const struct {
        const char* system;
        bool hasTimer;
        bool canIgnoreThrottling;
        CoarseWait wait;
        int exemptionsAsked;
    } cases[] = {
        {"Windows 11", true, true, CoarseWait::HighResolutionTimer, 0},
        {"Windows 10 1803 and later", true, false, CoarseWait::HighResolutionTimer, 0},
        {"a timer refused, the exemption offered", false, true, CoarseWait::UnthrottledSleep, 1},
        {"Windows 7 and 8", false, false, CoarseWait::Sleep, 1},
    };
    for (const auto& c : cases) {
        FakeSupport fake;
        fake.hasTimer = c.hasTimer;
        fake.canIgnoreThrottling = c.canIgnoreThrottling;
        const CoarseWaitChoice choice = chooseCoarseWait(fake.seam());
        EXPECT_EQ(choice.wait, c.wait) << c.system;
        EXPECT_EQ(fake.timersMade, 1) << c.system;
        EXPECT_EQ(fake.exemptionsAsked, c.exemptionsAsked) << c.system;
        // The timer is handed over exactly when it is used, so its owner closes it.
        EXPECT_EQ(choice.timer, c.hasTimer ? static_cast<void*>(&fake.timer) : nullptr) << c.system;
    }
}
