#pragma once
// Calls into the system that the update's tests replace: starting a program, hashing the
// downloaded file, verifying a release signature; and how long a check may take in all before it
// is ended as a failure. The program leaves them at their defaults.

#include <string>
#include <windows.h>

#include "update/release_signature.h"

struct UpdateSystemSeam {
    HINSTANCE(WINAPI* shellExecute)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    // The file's SHA-256 as 64 lower-case hexadecimal digits.
    bool (*hashFile)(const std::wstring& path, std::string& digest);
    VerifySignatureFn verifySignature;
};
extern UpdateSystemSeam updateSystemSeam;

// The file's SHA-256 as 64 lower-case hexadecimal digits (the default of the hashing seam).
bool sha256FileHex(const std::wstring& path, std::string& digest);

// Milliseconds (30 s unless a test shortens it).
extern DWORD checkDeadlineSeam;
