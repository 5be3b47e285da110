#pragma once
// Signed releases: what the publisher signs, how the signature and the public key are written,
// and the rule that decides whether an offered release may be used. Platform-free; the ECDSA
// verification itself is passed in (bcrypt on Windows, a fake in the tests).

#include <array>
#include <cstdint>
#include <string>

#include "update/update_manifest.h"

using PublicKeyBytes = std::array<uint8_t, 64>;  // X and Y of a P-256 point, 32 bytes each
using SignatureBytes = std::array<uint8_t, 64>;  // r and s, 32 bytes each

// The public key built into the program as 128 hexadecimal digits (X then Y), or empty when the
// build has none (a developer build). Set by the CMake option LR_UPDATE_PUBLIC_KEY; tests
// replace it.
extern const char* publisherKeyHexSeam;

// Exactly 2 * bytes.size() hexadecimal digits (either case), nothing else.
bool parseHexBytes(const std::string& hex, uint8_t* bytes, size_t count);

// The manifest's "sha256" as 64 lower-case hexadecimal digits: blanks and tabs removed, letters
// folded. False when what remains is not exactly 64 hexadecimal digits.
bool normalizeDigest(const std::string& text, std::string& lowerHex);

// "LorminRecorder|<ver>|<sha256, 64 lower-case hex digits>", the UTF-8 text the publisher signs
// with ECDSA P-256 over SHA-256. Binding version and digest keeps a signed old build from being
// passed off as a new version.
std::string signedReleaseText(const std::string& ver, const std::string& lowerHexDigest);

// Verifies an ECDSA P-256 signature over SHA-256 of the message.
using VerifySignatureFn = bool (*)(const PublicKeyBytes& key, const std::string& message,
                                   const SignatureBytes& signature);

enum class ReleaseCheck {
    NotChecked,        // no key built in: the release is used as before, unsigned
    Valid,             // signed by the publisher for this version and digest
    MissingSignature,  // no "sig" member (or an empty one)
    MissingDigest,     // no usable "sha256": nothing the signature could bind the build to
    MalformedSignature,
    BadSignature,  // does not verify for this version and digest, or made with another key
    BadKey,        // the built-in key itself is unusable (a broken build)
};

// The rule: with a key built in, a release is usable only with a well-formed "sig" that verifies
// for its "ver" and normalised "sha256".
ReleaseCheck checkReleaseSignature(const ManifestFields& fields, const char* publicKeyHex, VerifySignatureFn verify);

// The user-facing refusal for every outcome other than NotChecked and Valid.
std::wstring releaseRefusalText(ReleaseCheck check);

// True when the offered release itself failed the publisher's signature check (unsigned,
// malformed, forged or without a digest to bind): the server or the network may have been
// tampered with. False for NotChecked, Valid and a broken built-in key.
bool isRefusedRelease(ReleaseCheck check);

// The message box of a refused release, around the refusal's reason.
std::wstring refusedReleaseBoxText(const std::wstring& reason);
