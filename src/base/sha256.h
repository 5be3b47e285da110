#pragma once
// SHA-256 through the system's CNG (bcrypt): the one digest of the program, used to verify a
// downloaded build and to check a release signature.

#include <array>
#include <cstdint>
#include <string>

using Sha256Digest = std::array<uint8_t, 32>;

// The digest of bytes in memory; false when the system's provider fails.
bool sha256OfBytes(const std::string& bytes, Sha256Digest& digest);
// The digest of a whole file; false when it cannot be opened or read to its end (the digest of a
// prefix is no digest).
bool sha256OfFile(const std::wstring& path, Sha256Digest& digest);
