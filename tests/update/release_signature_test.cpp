#include "update/release_signature.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

const std::string kDigest = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::string kKeyHex = std::string(64, '1') + std::string(63, 'a') + "F";
const std::string kSigHex = "00" + std::string(124, '7') + "fF";

TEST(signedReleaseText, BindsNameVersionAndDigest)
{
    EXPECT_EQ(signedReleaseText("2.1.0", kDigest), "LorminRecorder|2.1.0|" + kDigest);
    EXPECT_EQ(signedReleaseText("", ""), "LorminRecorder||");
}

TEST(parseHexBytes, TakesExactlyTwoDigitsPerByte)
{
    const struct {
        std::string hex;
        bool ok;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"00ff7Aa0", true, {0x00, 0xff, 0x7a, 0xa0}},
        {"00ff7aa", false, {}},
        {"00ff7aa0b", false, {}},
        {"00ff7ag0", false, {}},
        {"00 ff7aa", false, {}},
        {"", false, {}},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes(4, 0xEE);
        EXPECT_EQ(parseHexBytes(c.hex, bytes.data(), bytes.size()), c.ok) << c.hex;
        if (c.ok) {
            EXPECT_EQ(bytes, c.bytes) << c.hex;
        }
    }
}

TEST(normalizeDigest, FoldsCaseDropsBlanksAndNeeds64Digits)
{
    const struct {
        std::string text;
        bool ok;
    } cases[] = {
        {kDigest, true},
        {"BA7816BF 8F01CFEA\t414140DE5DAE2223B00361A396177A9CB410FF61F20015AD", true},
        {kDigest.substr(1), false},
        {kDigest + "0", false},
        {kDigest.substr(1) + "g", false},
        {"", false},
    };
    for (const auto& c : cases) {
        std::string normal = "untouched";
        EXPECT_EQ(normalizeDigest(c.text, normal), c.ok) << c.text;
        EXPECT_EQ(normal, c.ok ? kDigest : std::string("untouched")) << c.text;
    }
}

// A stand-in for the system's verification: records what it was given, answers as told.
struct VerifyCall {
    int calls = 0;
    bool answer = true;
    PublicKeyBytes key{};
    std::string message;
    SignatureBytes signature{};
} verifyCall;

bool fakeVerify(const PublicKeyBytes& key, const std::string& message, const SignatureBytes& signature)
{
    ++verifyCall.calls;
    verifyCall.key = key;
    verifyCall.message = message;
    verifyCall.signature = signature;
    return verifyCall.answer;
}

TEST(checkReleaseSignature, OnlyAWellFormedSignatureThatVerifiesIsValid)
{
    const struct {
        const char* label;
        std::string key;
        ManifestFields fields;
        bool verifies;
        ReleaseCheck expected;
        int calls;
    } cases[] = {
        {"no key built in", "", {"2.1.0", "a.exe", "", "", ""}, false, ReleaseCheck::NotChecked, 0},
        {"valid", kKeyHex, {"2.1.0", "a.exe", kDigest, "", kSigHex}, true, ReleaseCheck::Valid, 1},
        {"digest in capitals with blanks",
         kKeyHex,
         {"2.1.0", "a.exe", "BA7816BF 8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD", "", kSigHex},
         true,
         ReleaseCheck::Valid,
         1},
        {"does not verify", kKeyHex, {"2.1.0", "a.exe", kDigest, "", kSigHex}, false, ReleaseCheck::BadSignature, 1},
        {"no sig", kKeyHex, {"2.1.0", "a.exe", kDigest, "", ""}, true, ReleaseCheck::MissingSignature, 0},
        {"no sha256", kKeyHex, {"2.1.0", "a.exe", "", "", kSigHex}, true, ReleaseCheck::MissingDigest, 0},
        {"short sha256",
         kKeyHex,
         {"2.1.0", "a.exe", kDigest.substr(2), "", kSigHex},
         true,
         ReleaseCheck::MissingDigest,
         0},
        {"sig too short",
         kKeyHex,
         {"2.1.0", "a.exe", kDigest, "", kSigHex.substr(2)},
         true,
         ReleaseCheck::MalformedSignature,
         0},
        {"sig too long",
         kKeyHex,
         {"2.1.0", "a.exe", kDigest, "", kSigHex + "00"},
         true,
         ReleaseCheck::MalformedSignature,
         0},
        {"sig not hex",
         kKeyHex,
         {"2.1.0", "a.exe", kDigest, "", "zz" + kSigHex.substr(2)},
         true,
         ReleaseCheck::MalformedSignature,
         0},
        {"key too short", kKeyHex.substr(2), {"2.1.0", "a.exe", kDigest, "", kSigHex}, true, ReleaseCheck::BadKey, 0},
    };
    for (const auto& c : cases) {
        verifyCall = VerifyCall{};
        verifyCall.answer = c.verifies;
        EXPECT_EQ(checkReleaseSignature(c.fields, c.key.c_str(), &fakeVerify), c.expected) << c.label;
        EXPECT_EQ(verifyCall.calls, c.calls) << c.label;
    }

    verifyCall = VerifyCall{};
    const ManifestFields fields{"2.1.0", "a.exe", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD",
                                "", kSigHex};
    ASSERT_EQ(checkReleaseSignature(fields, kKeyHex.c_str(), &fakeVerify), ReleaseCheck::Valid);
    EXPECT_EQ(verifyCall.message, "LorminRecorder|2.1.0|" + kDigest) << "the signed text uses the lower-case digest";
    EXPECT_EQ(verifyCall.key[0], 0x11);
    EXPECT_EQ(verifyCall.key[32], 0xaa);
    EXPECT_EQ(verifyCall.key[63], 0xaf);
    EXPECT_EQ(verifyCall.signature[0], 0x00);
    EXPECT_EQ(verifyCall.signature[1], 0x77);
    EXPECT_EQ(verifyCall.signature[63], 0xff);
    EXPECT_EQ(checkReleaseSignature(fields, kKeyHex.c_str(), nullptr), ReleaseCheck::BadSignature)
        << "no verifier, no trust";
}

TEST(ReleaseRefusalText, EveryRefusalHasItsTextAndOnlyTheReleasesOwnFailuresAreRefusals)
{
    struct Case {
        ReleaseCheck check;
        const wchar_t* text;
        bool refused;  // the release failed the publisher's check (not the build's own key)
    } cases[] = {
        {ReleaseCheck::BadSignature, L"更新信息签名无效，已拒绝", true},
        {ReleaseCheck::MissingSignature, L"更新信息没有发布者签名，已拒绝", true},
        {ReleaseCheck::MalformedSignature, L"更新信息签名格式不正确，已拒绝", true},
        {ReleaseCheck::MissingDigest, L"更新信息缺少有效的 sha256 校验值，无法核对签名，已拒绝", true},
        {ReleaseCheck::BadKey, L"本程序内置的发布者公钥无效，无法校验更新", false},
        {ReleaseCheck::Valid, L"", false},
        {ReleaseCheck::NotChecked, L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.check));
        EXPECT_EQ(releaseRefusalText(c.check), c.text);
        EXPECT_EQ(isRefusedRelease(c.check), c.refused);
    }
}

TEST(ReleaseRefusalText, TheRefusalBoxNamesTheSignatureTamperingAndTheManualDownload)
{
    const std::wstring box = refusedReleaseBoxText(L"更新信息签名无效，已拒绝");
    EXPECT_EQ(box, L"更新信息未通过发布者的签名校验，已拒绝：\n更新信息签名无效，已拒绝\n\n服务器或网络可能已被篡改，"
                   L"请不要使用此次提供的更新。请到官网手动下载正式版本。");
    EXPECT_EQ(box.find(L"请确认网络可用"), std::wstring::npos) << "a refusal is no network failure";
}

}  // namespace
