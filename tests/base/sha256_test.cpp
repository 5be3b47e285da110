// The one SHA-256 helper: published vectors, the same digest from memory and from a file (also
// across the file reader's chunk boundary), and a file that cannot be read.
#include "base/sha256.h"

#include <cstdio>
#include <string>

#include <windows.h>
#include <gtest/gtest.h>

namespace {

std::string hex(const Sha256Digest& digest)
{
    std::string text;
    char pair[3];
    for (uint8_t byte : digest) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

TEST(Sha256, MemoryAndFileGiveThePublishedDigests)
{
    struct Case {
        std::string input;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        // More than one 64 KiB read of the file reader.
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    const std::wstring path = L"lr_sha256_test.bin";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input.substr(0, 8));
        Sha256Digest digest{};
        ASSERT_TRUE(sha256OfBytes(c.input, digest));
        EXPECT_EQ(hex(digest), c.digest);

        FILE* file = _wfopen(path.c_str(), L"wb");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(std::fwrite(c.input.data(), 1, c.input.size(), file), c.input.size());
        std::fclose(file);
        Sha256Digest fromFile{};
        ASSERT_TRUE(sha256OfFile(path, fromFile));
        EXPECT_EQ(hex(fromFile), c.digest);
    }
    DeleteFileW(path.c_str());
    Sha256Digest digest{};
    EXPECT_FALSE(sha256OfFile(L"lr_sha256_missing.bin", digest));
}

}  // namespace
