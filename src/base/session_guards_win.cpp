// The session guards as named mutexes: a guard is held while its object exists, that is while any
// process keeps a handle to it. Nobody ever waits on them. This process's holds sit in atomic
// slots, so that the crash handler, on whichever thread, can let go of them while the owner may be
// doing the same: whoever exchanges the handle out closes it, once.
#include <atomic>

#include <windows.h>

#include "base/session_guards.h"
#include "base/win_owners.h"

namespace {

std::atomic<HANDLE> heldGuards[3] = {};

std::atomic<HANDLE>& slotOf(SessionGuard guard)
{
    return heldGuards[static_cast<int>(guard)];
}

bool giveUpGuard(SessionGuard guard)
{
    const KernelHandle held(slotOf(guard).exchange(nullptr));
    return static_cast<bool>(held);
}

GuardState takeGuard(SessionGuard guard)
{
    if (slotOf(guard).load() != nullptr) {
        return GuardState::Free;  // this process holds it already
    }
    SetLastError(0);
    KernelHandle handle(CreateMutexW(nullptr, FALSE, sessionGuardName(guard)));
    const GuardState state = guardStateFromCreate(static_cast<bool>(handle), GetLastError());
    HANDLE expected = nullptr;
    if (handle && slotOf(guard).compare_exchange_strong(expected, handle.get())) {
        handle.release();  // the slot holds it now; otherwise another thread of ours was first
    }
    return state;
}

GuardState probeGuard(SessionGuard guard)
{
    if (slotOf(guard).load() != nullptr) {
        return GuardState::Held;
    }
    SetLastError(0);
    const KernelHandle handle(OpenMutexW(SYNCHRONIZE, FALSE, sessionGuardName(guard)));
    return guardStateFromOpen(static_cast<bool>(handle), GetLastError());
}

}  // namespace

SessionGuardSeam sessionGuardSeam = {&takeGuard, &probeGuard, &giveUpGuard};

void giveUpEverySessionGuard()
{
    for (SessionGuard guard : {SessionGuard::WindowInstance, SessionGuard::Recording, SessionGuard::Playback}) {
        giveUpGuard(guard);
    }
}
