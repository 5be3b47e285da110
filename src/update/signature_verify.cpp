// ECDSA P-256 verification of a release signature with the system's CNG (bcrypt).
#include "update/signature_verify.h"

#include <cstring>
#include <vector>
#include <windows.h>
#include <bcrypt.h>

#include "base/win_owners.h"

namespace {

bool sha256Of(const std::string& message, UCHAR (&digest)[32])
{
    BCRYPT_ALG_HANDLE opened = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        return false;
    }
    const AlgorithmHandle algorithm(opened);
    BCRYPT_HASH_HANDLE created = nullptr;
    // No hash object buffer: the provider allocates its own (Windows 7 and later).
    if (!BCRYPT_SUCCESS(BCryptCreateHash(algorithm.get(), &created, nullptr, 0, nullptr, 0, 0))) {
        return false;
    }
    const HashHandle hash(created);
    std::vector<UCHAR> bytes(message.begin(), message.end());
    return BCRYPT_SUCCESS(BCryptHashData(hash.get(), bytes.data(), static_cast<ULONG>(bytes.size()), 0)) &&
           BCRYPT_SUCCESS(BCryptFinishHash(hash.get(), digest, sizeof digest, 0));
}

}  // namespace

bool VerifyReleaseSignature(const PublicKeyBytes& key, const std::string& message, const SignatureBytes& signature)
{
    UCHAR digest[32] = {};
    if (!sha256Of(message, digest)) {
        return false;
    }
    BCRYPT_ALG_HANDLE opened = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&opened, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
        return false;
    }
    const AlgorithmHandle algorithm(opened);
    // BCRYPT_ECCPUBLIC_BLOB: the header, then X and Y.
    std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
    BCRYPT_ECCKEY_BLOB header{};
    header.dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header.cbKey = 32;
    std::memcpy(blob.data(), &header, sizeof header);
    std::memcpy(blob.data() + sizeof header, key.data(), key.size());
    BCRYPT_KEY_HANDLE imported = nullptr;
    if (!BCRYPT_SUCCESS(BCryptImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &imported, blob.data(),
                                            static_cast<ULONG>(blob.size()), 0))) {
        return false;
    }
    const KeyHandle publicKey(imported);
    std::vector<UCHAR> signatureBytes(signature.begin(), signature.end());
    return BCryptVerifySignature(publicKey.get(), nullptr, digest, sizeof digest, signatureBytes.data(),
                                 static_cast<ULONG>(signatureBytes.size()), 0) == 0;
}
