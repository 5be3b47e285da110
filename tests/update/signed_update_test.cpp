// Signed releases under wine with the system's ECDSA (bcrypt): a key pair made for this build of
// the tests (never one from the repository) signs releases through scripts/make-release's code.
#include "update_test_fixture.h"

#ifndef LR_TEST_KEY_FOLDER
#error "LR_TEST_KEY_FOLDER names the folder of the test keys made at build time"
#endif

namespace {

const std::string kKeyFolder = LR_TEST_KEY_FOLDER;

// The signature of "LorminRecorder|ver|digest" made with a test key ("publisher" or "stranger").
std::string signRelease(const std::string& keyName, const std::string& ver, const std::string& digest)
{
    TempFolder folder;
    const std::wstring out = folder.file(L"sig.txt");
    const std::string command = "/usr/bin/python3 " LR_SIGN_SCRIPT " " LR_MAKE_RELEASE " " + kKeyFolder + "/" +
                                keyName + ".pem " + ver + " " + digest + " " + hostPath(out);
    if (!startHostProgram(L"/usr/bin/python3", utf8ToWide(command)) || !waitFor(out, true, 20000)) {
        ADD_FAILURE() << "signing failed: " << command;
        return std::string();
    }
    std::string signature;
    readWholeFile(out, signature);
    return signature;
}

class SignedUpdateTest : public UpdateCheckTest {
protected:
    void SetUp() override
    {
        UpdateCheckTest::SetUp();
        if (hostPath(getModuleDir()).empty()) {
            GTEST_SKIP() << "signing runs the host's python3 and openssl through wine";
        }
    }
    ScopedSeam<const char*> publisherKey{publisherKeyHexSeam, LR_TEST_PUBLISHER_KEY};
};

TEST_F(SignedUpdateTest, CorrectlySignedReleaseIsOfferedDownloadedAndOfferedToRun)
{
    const std::string build = patternBytes(30000);
    const std::string digest = sha256Hex(build);
    server.answer("/rel/signed.exe", makeAnswer(200, build));
    // The digest as a publisher may paste it: the signature covers its normalised form.
    std::string upper;
    for (const char c : digest) {
        upper += static_cast<char>(toupper(static_cast<unsigned char>(c)));
    }
    manifest("{\"ver\": \"4.0.0\", \"url\": \"signed.exe\", \"sha256\": \"" + upper + "\", \"sig\": \"" +
             signRelease("publisher", "4.0.0", digest) + "\"}");
    boxes.answers = {IDYES, IDYES};
    checkForUpdates(nullptr);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].caption, L"在线更新 - 发现新版本");
    EXPECT_EQ(boxes.shown[1].updateStatus, L"下载完成");
    std::string saved;
    ASSERT_TRUE(readWholeFile(downloadPath(L"4.0.0"), saved));
    EXPECT_TRUE(saved == build);
    EXPECT_EQ(startedPrograms.size(), 1u);
    EXPECT_NE(newLogLines().find("[更新] 版本 4.0.0 的发布者签名有效"), std::string::npos) << newLogLines();
    EXPECT_EQ(newLogLines().find("不校验更新的发布者签名"), std::string::npos);
}

TEST_F(SignedUpdateTest, ReleasesWithoutAValidSignatureAreRefusedAndNothingIsDownloaded)
{
    const std::string build = patternBytes(30000);
    const std::string digest = sha256Hex(build);
    const std::string otherDigest = sha256Hex(build + "x");
    server.answer("/rel/signed.exe", makeAnswer(200, build));
    const std::string good = signRelease("publisher", "4.0.0", digest);
    ASSERT_EQ(good.size(), 128u);
    std::string flipped = good;
    flipped[70] = flipped[70] == '0' ? '1' : '0';
    const std::wstring invalid = L"更新信息签名无效，已拒绝";
    const std::wstring malformed = L"更新信息签名格式不正确，已拒绝";
    struct Case {
        const char* name;
        std::string sigMember;  // the whole "sig" member, or nothing
        std::wstring refusal;
    } cases[] = {
        {"missing sig", "", L"更新信息没有发布者签名，已拒绝"},
        {"signature of another version", ", \"sig\": \"" + signRelease("publisher", "4.0.1", digest) + "\"", invalid},
        {"signature of another digest", ", \"sig\": \"" + signRelease("publisher", "4.0.0", otherDigest) + "\"",
         invalid},
        {"flipped bit", ", \"sig\": \"" + flipped + "\"", invalid},
        {"another key", ", \"sig\": \"" + signRelease("stranger", "4.0.0", digest) + "\"", invalid},
        {"not hex", ", \"sig\": \"" + std::string("zz") + good.substr(2) + "\"", malformed},
        {"too short", ", \"sig\": \"" + good.substr(0, 126) + "\"", malformed},
        {"too long", ", \"sig\": \"" + good + "00\"", malformed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.shown.clear();
        logBefore = readLog().size();
        const size_t before = requestsFor("/rel/signed.exe");
        manifest("{\"ver\": \"4.0.0\", \"url\": \"signed.exe\", \"sha256\": \"" + digest + "\"" + c.sigMember + "}");
        boxes.answers = {IDYES};
        checkForUpdates(nullptr);
        ASSERT_EQ(boxes.shown.size(), 1u);
        // Its own text: a refusal is no network failure.
        EXPECT_EQ(boxes.shown[0].text, L"更新信息未通过发布者的签名校验，已拒绝：\n" + c.refusal +
                                           L"\n\n服务器或网络可能已被篡改，请不要使用此次提供的更新。"
                                           L"请到官网手动下载正式版本。");
        EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_ICONWARNING));
        EXPECT_EQ(requestsFor("/rel/signed.exe"), before) << "nothing is downloaded";
        EXPECT_FALSE(fileExists(downloadPath(L"4.0.0")));
        EXPECT_NE(newLogLines().find("[更新] 已拒绝版本 4.0.0 的更新信息：" + wideToUtf8(c.refusal)), std::string::npos)
            << newLogLines();
    }
}

TEST_F(SignedUpdateTest, ExistingFileIsOfferedOnlyWhenItMatchesTheSignedDigest)
{
    const std::string build = patternBytes(30000);
    const std::string digest = sha256Hex(build);
    server.answer("/rel/signed.exe", makeAnswer(200, build));
    manifest("{\"ver\": \"4.0.0\", \"url\": \"signed.exe\", \"sha256\": \"" + digest + "\", \"sig\": \"" +
             signRelease("publisher", "4.0.0", digest) + "\"}");
    ASSERT_TRUE(writeWholeFile(downloadPath(L"4.0.0"), "planted"));
    boxes.answers = {IDYES, IDNO};
    checkForUpdates(nullptr);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(requestsFor("/rel/signed.exe"), 1u) << "the planted file was not offered but replaced";
    std::string saved;
    ASSERT_TRUE(readWholeFile(downloadPath(L"4.0.0"), saved));
    EXPECT_TRUE(saved == build);
}

TEST_F(UpdateCheckTest, WithoutABuiltInKeyUnsignedReleasesWorkAndTheLogSaysSo)
{
    ScopedSeam noKey(publisherKeyHexSeam, "");
    const std::string build = patternBytes(3000);
    server.answer("/rel/plain.exe", makeAnswer(200, build));
    manifest("{\"ver\": \"4.0.0\", \"url\": \"plain.exe\", \"sha256\": \"" + sha256Hex(build) + "\"}");
    boxes.answers = {IDYES, IDNO};
    checkForUpdates(nullptr);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].updateStatus, L"下载完成");
    const std::string log = newLogLines();
    const std::string line = "[更新] 本程序未内置发布者公钥，不校验更新的发布者签名";
    ASSERT_NE(log.find(line), std::string::npos) << log;
    EXPECT_EQ(log.find(line, log.find(line) + 1), std::string::npos) << "once per check";
}

}  // namespace
