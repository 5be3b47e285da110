#pragma once
// The named guards one user session shares between the program's processes: the window instance
// (one window per session), a recording under way and an unattended playback under way. A guard is
// held while any process keeps it; it goes with the process, also when the process crashes.
// Every caller reaches the system through sessionGuardSeam, so that tests can stand in for another
// process (or for one the session may not look into).

#include <cstdint>

enum class SessionGuard { WindowInstance, Recording, Playback };

enum class GuardState {
    Free,     // nobody held it (after take: this process holds it alone)
    Held,     // another process holds it (after take: this process holds it as well)
    NoAccess  // it exists but this process may not open it: an instance running as administrator
};

// Held or NoAccess: somebody else has it.
inline bool isGuardTaken(GuardState state)
{
    return state != GuardState::Free;
}

// The guard's object name in the session's namespace, e.g. "Local\LorminRecorder.Window".
const wchar_t* sessionGuardName(SessionGuard guard);

// What the system's answer to creating or opening the named object says about the guard: whether a
// handle came back and the error code the call left (0 when none).
constexpr uint32_t kGuardErrorAccessDenied = 5;     // ERROR_ACCESS_DENIED
constexpr uint32_t kGuardErrorAlreadyExists = 183;  // ERROR_ALREADY_EXISTS
GuardState guardStateFromCreate(bool gotHandle, uint32_t lastError);
GuardState guardStateFromOpen(bool gotHandle, uint32_t lastError);

struct SessionGuardSeam {
    // Makes this process a holder of the guard (until giveUp or the end of the process) and says
    // what it found. NoAccess takes nothing.
    GuardState (*take)(SessionGuard guard);
    // Looks without taking; this process's own hold counts as well.
    GuardState (*probe)(SessionGuard guard);
    // Lets go of this process's hold (nothing when it holds none); true when it held one. Safe
    // from any thread.
    bool (*giveUp)(SessionGuard guard);
};
extern SessionGuardSeam sessionGuardSeam;  // the named objects of the system

// Lets go of every guard this process holds: the crash handler does it before its box, so a start
// while the box is open begins afresh.
void giveUpEverySessionGuard();
