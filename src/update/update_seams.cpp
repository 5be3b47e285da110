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

UpdateSystemSeam updateSystemSeam = {&ShellExecuteW, &sha256FileHex, &verifyReleaseSignature};
DWORD checkDeadlineSeam = 30000;
