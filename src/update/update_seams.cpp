#include "update/update_seams.h"

#include <shellapi.h>

#include "base/sha256.h"
#include "update/signature_verify.h"
#include "update/update_manifest.h"

bool sha256FileHex(const std::wstring& path, std::string& digest)
{
    digest.clear();
    Sha256Digest bytes{};
    if (!sha256OfFile(path, bytes)) {
        return false;
    }
    digest = hexDigest(bytes.data(), bytes.size());
    return true;
}

HANDLE openProgram(HWND owner, const wchar_t* path)
{
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    run.hwnd = owner;
    run.lpVerb = L"open";
    run.lpFile = path;
    run.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&run)) {
        return nullptr;
    }
    return run.hProcess;
}

UpdateSystemSeam updateSystemSeam = {&openProgram, &sha256FileHex, &verifyReleaseSignature};
DWORD checkDeadlineSeam = 30000;
