#pragma once
// Calls into the system that the update's tests replace: starting the downloaded build, hashing the
// downloaded file, verifying a release signature; and how long a check may take in all before it
// is ended as a failure. The program leaves them at their defaults.

#include <string>
#include <windows.h>

#include "update/release_signature.h"

struct UpdateSystemSeam {
    // Opens the program as Explorer would (errors shown to the user, owned by owner); its process,
    // or null (the error in GetLastError) when none started.
    HANDLE (*startProgram)(HWND owner, const wchar_t* path);
    // The file's SHA-256 as 64 lower-case hexadecimal digits.
    bool (*hashFile)(const std::wstring& path, std::string& digest);
    VerifySignatureFn verifySignature;
};
extern UpdateSystemSeam updateSystemSeam;

// ShellExecuteExW's "open" with the process handle kept (the default of the starting seam).
HANDLE openProgram(HWND owner, const wchar_t* path);

// The file's SHA-256 as 64 lower-case hexadecimal digits (the default of the hashing seam).
bool sha256FileHex(const std::wstring& path, std::string& digest);

// Milliseconds (30 s unless a test shortens it).
extern DWORD checkDeadlineSeam;
