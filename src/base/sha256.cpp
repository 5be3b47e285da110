#include "base/sha256.h"

#include <cstdio>
#include <vector>
#include <windows.h>
#include <bcrypt.h>

#include "base/win_owners.h"

namespace {

// One running hash. The provider allocates the hash object itself (Windows 7 and later).
class Sha256Hasher {
public:
    Sha256Hasher()
    {
        BCRYPT_ALG_HANDLE opened = nullptr;
        if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
            return;
        }
        algorithm_.reset(opened);
        BCRYPT_HASH_HANDLE created = nullptr;
        if (BCRYPT_SUCCESS(BCryptCreateHash(algorithm_.get(), &created, nullptr, 0, nullptr, 0, 0))) {
            hash_.reset(created);
        }
    }

    bool add(const void* data, size_t length)
    {
        return hash_ && BCRYPT_SUCCESS(BCryptHashData(hash_.get(), static_cast<PUCHAR>(const_cast<void*>(data)),
                                                      static_cast<ULONG>(length), 0));
    }

    bool finish(Sha256Digest& digest)
    {
        return hash_ &&
               BCRYPT_SUCCESS(BCryptFinishHash(hash_.get(), digest.data(), static_cast<ULONG>(digest.size()), 0));
    }

private:
    AlgorithmHandle algorithm_;
    // Declared after the provider it was made by, so it is destroyed first.
    HashHandle hash_;
};

}  // namespace

bool sha256OfBytes(const std::string& bytes, Sha256Digest& digest)
{
    Sha256Hasher hasher;
    return hasher.add(bytes.data(), bytes.size()) && hasher.finish(digest);
}

bool sha256OfFile(const std::wstring& path, Sha256Digest& digest)
{
    Sha256Hasher hasher;
    const FileStream input(_wfopen(path.c_str(), L"rb"));
    if (!input) {
        return false;
    }
    std::vector<unsigned char> chunk(65536);
    for (;;) {
        const size_t got = fread(chunk.data(), 1, chunk.size(), input.get());
        if (got == 0) {
            break;
        }
        if (!hasher.add(chunk.data(), got)) {
            return false;
        }
    }
    return !ferror(input.get()) && hasher.finish(digest);
}
