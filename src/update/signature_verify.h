#pragma once
// The system's ECDSA P-256 verification (bcrypt) for release signatures.

#include <string>

#include "update/release_signature.h"

bool verifyReleaseSignature(const PublicKeyBytes& key, const std::string& message, const SignatureBytes& signature);
