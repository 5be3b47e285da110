#include "base/session_guards.h"

#include <gtest/gtest.h>

namespace {

TEST(SessionGuards, TheSystemsAnswersMeanFreeHeldOrNoAccess)
{
    const struct {
        bool gotHandle;
        uint32_t error;
        GuardState created;
        GuardState opened;
    } cases[] = {
        {true, 0, GuardState::Free, GuardState::Held},
        {true, kGuardErrorAlreadyExists, GuardState::Held, GuardState::Held},
        // An instance running as administrator: the object is there, but not for this process.
        {false, kGuardErrorAccessDenied, GuardState::NoAccess, GuardState::NoAccess},
        {false, 2 /* ERROR_FILE_NOT_FOUND */, GuardState::NoAccess, GuardState::Free},
        {false, 0, GuardState::NoAccess, GuardState::Free},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(guardStateFromCreate(c.gotHandle, c.error), c.created) << c.gotHandle << " " << c.error;
        EXPECT_EQ(guardStateFromOpen(c.gotHandle, c.error), c.opened) << c.gotHandle << " " << c.error;
    }
    EXPECT_FALSE(isGuardTaken(GuardState::Free));
    EXPECT_TRUE(isGuardTaken(GuardState::NoAccess)) << "counts as a running instance";
}

}  // namespace
