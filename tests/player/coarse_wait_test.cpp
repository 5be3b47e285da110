#include "player/coarse_wait.h"

#include <gtest/gtest.h>

namespace {

// A system offering what a case says; counts the exemptions asked for.
struct FakeSupport {
    bool hasTimer = false;
    bool canIgnoreThrottling = false;
    int exemptionsAsked = 0;
    int timer = 0;  // its address stands for the timer's handle

    static FakeSupport& self(void* c) { return *static_cast<FakeSupport*>(c); }
    TimerSupportSeam seam()
    {
        return {this, [](void* c) -> void* { return self(c).hasTimer ? &self(c).timer : nullptr; },
                [](void* c) { return ++self(c).exemptionsAsked, self(c).canIgnoreThrottling; }};
    }
};

}  // namespace

TEST(CoarseWait, TheTimerWhereTheSystemMakesOneElseTheExemptionElseSleep)
{
    const struct {
        bool hasTimer;
        bool canIgnoreThrottling;
        CoarseWait wait;
        int exemptionsAsked;
    } cases[] = {
        {true, true, CoarseWait::HighResolutionTimer, 0},
        {true, false, CoarseWait::HighResolutionTimer, 0},
        {false, true, CoarseWait::UnthrottledSleep, 1},
        {false, false, CoarseWait::Sleep, 1},
    };
    for (const auto& c : cases) {
        FakeSupport fake{c.hasTimer, c.canIgnoreThrottling};
        const CoarseWaitChoice choice = chooseCoarseWait(fake.seam());
        EXPECT_EQ(choice.wait, c.wait) << c.hasTimer << c.canIgnoreThrottling;
        EXPECT_EQ(fake.exemptionsAsked, c.exemptionsAsked) << c.hasTimer << c.canIgnoreThrottling;
        // The timer is handed over exactly when it is used, so its owner closes it.
        EXPECT_EQ(choice.timer, c.hasTimer ? static_cast<void*>(&fake.timer) : nullptr);
    }
}
