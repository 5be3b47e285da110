#include "base/session_guards.h"

#include <string>

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
    EXPECT_TRUE(isGuardTaken(GuardState::Held));
    EXPECT_TRUE(isGuardTaken(GuardState::NoAccess));
}

TEST(SessionGuards, NamesLieInTheSessionsNamespaceAndDiffer)
{
    const std::wstring window = sessionGuardName(SessionGuard::WindowInstance);
    const std::wstring recording = sessionGuardName(SessionGuard::Recording);
    const std::wstring playback = sessionGuardName(SessionGuard::Playback);
    for (const std::wstring& name : {window, recording, playback}) {
        EXPECT_EQ(name.rfind(L"Local\\", 0), 0u) << std::string(name.begin(), name.end());
    }
    EXPECT_NE(window, recording);
    EXPECT_NE(window, playback);
    EXPECT_NE(recording, playback);
}

}  // namespace
