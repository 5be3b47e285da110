// The guards as the system keeps them. Another process's hold is stood in for by a handle of the
// test's own, opened by name as another process would.
#include <windows.h>
#include <gtest/gtest.h>

#include "base/session_guards.h"
#include "base/win_owners.h"

namespace {

constexpr SessionGuard kGuards[] = {SessionGuard::WindowInstance, SessionGuard::Recording, SessionGuard::Playback};

KernelHandle holdAsAnotherProcess(SessionGuard guard)
{
    return KernelHandle(CreateMutexW(nullptr, FALSE, sessionGuardName(guard)));
}

class SessionGuardsWin : public testing::Test {
protected:
    void TearDown() override { giveUpEverySessionGuard(); }
};

TEST_F(SessionGuardsWin, TakeProbeAndGiveUpEachGuard)
{
    for (SessionGuard guard : kGuards) {
        SCOPED_TRACE(static_cast<int>(guard));
        EXPECT_EQ(sessionGuardSeam.probe(guard), GuardState::Free);
        EXPECT_EQ(sessionGuardSeam.take(guard), GuardState::Free);
        EXPECT_EQ(sessionGuardSeam.take(guard), GuardState::Free) << "taking twice keeps the one hold";
        EXPECT_EQ(sessionGuardSeam.probe(guard), GuardState::Held);
        sessionGuardSeam.giveUp(guard);
        EXPECT_EQ(sessionGuardSeam.probe(guard), GuardState::Free) << "nothing of the hold is left";
        sessionGuardSeam.giveUp(guard);  // nothing to give up: no harm
    }
}

TEST_F(SessionGuardsWin, AnotherHolderIsSeenWhenTakingAndOutlastsOurHold)
{
    for (SessionGuard guard : kGuards) {
        SCOPED_TRACE(static_cast<int>(guard));
        KernelHandle other = holdAsAnotherProcess(guard);
        ASSERT_TRUE(other);
        EXPECT_EQ(sessionGuardSeam.take(guard), GuardState::Held);
        sessionGuardSeam.giveUp(guard);
        EXPECT_EQ(sessionGuardSeam.probe(guard), GuardState::Held) << "the other holder still has it";
        other.reset();
        EXPECT_EQ(sessionGuardSeam.probe(guard), GuardState::Free);
    }
}

TEST_F(SessionGuardsWin, TheGuardsAreIndependent)
{
    ASSERT_EQ(sessionGuardSeam.take(SessionGuard::Recording), GuardState::Free);
    EXPECT_EQ(sessionGuardSeam.probe(SessionGuard::Playback), GuardState::Free);
    EXPECT_EQ(sessionGuardSeam.probe(SessionGuard::WindowInstance), GuardState::Free);
    giveUpEverySessionGuard();
    EXPECT_EQ(sessionGuardSeam.probe(SessionGuard::Recording), GuardState::Free);
}

}  // namespace
