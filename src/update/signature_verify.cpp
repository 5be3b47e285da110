// ECDSA P-256 verification of a release signature with the system's CNG (bcrypt).
#include "update/signature_verify.h"

#include <cstring>
#include <vector>
#include <windows.h>
#include <bcrypt.h>

#include "base/sha256.h"
#include "base/win_owners.h"

bool verifyReleaseSignature(const PublicKeyBytes& key, const std::string& message, const SignatureBytes& signature)
{
    Sha256Digest digest{};
    if (!sha256OfBytes(message, digest)) {
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
    return BCryptVerifySignature(publicKey.get(), nullptr, digest.data(), static_cast<ULONG>(digest.size()),
                                 signatureBytes.data(), static_cast<ULONG>(signatureBytes.size()), 0) == 0;
}
