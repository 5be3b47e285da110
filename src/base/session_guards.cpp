#include "base/session_guards.h"

const wchar_t* sessionGuardName(SessionGuard guard)
{
    switch (guard) {
    case SessionGuard::WindowInstance: return L"Local\\LorminRecorder.Window";
    case SessionGuard::Recording: return L"Local\\LorminRecorder.Recording";
    case SessionGuard::Playback: return L"Local\\LorminRecorder.Playback";
    }
    return L"Local\\LorminRecorder.Unknown";
}

GuardState guardStateFromCreate(bool gotHandle, uint32_t lastError)
{
    if (!gotHandle) {
        // Creating fails only when the object exists with rights this process lacks, or when the
        // system is out of resources; either way the guard cannot be had, and a running instance
        // is the likely owner.
        return GuardState::NoAccess;
    }
    return lastError == kGuardErrorAlreadyExists ? GuardState::Held : GuardState::Free;
}

GuardState guardStateFromOpen(bool gotHandle, uint32_t lastError)
{
    if (gotHandle) {
        return GuardState::Held;
    }
    return lastError == kGuardErrorAccessDenied ? GuardState::NoAccess : GuardState::Free;
}
