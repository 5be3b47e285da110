// One download over TLS from a loopback server whose self-signed certificate is trusted only in
// this test's own wine prefix (the current user's root store), and only while the test runs.
#include "update/http_transfer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>
#include <wincrypt.h>

#include "test_files.h"

#ifndef LR_TLS_SERVER_SCRIPT
#error "LR_TLS_SERVER_SCRIPT names the loopback TLS server"
#endif

namespace {

// Adds the certificate to the current user's root store and takes it out again on destruction.
class TrustedRoot {
public:
    explicit TrustedRoot(const std::string& der)
    {
        store_ = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"ROOT");
        if (store_ != nullptr) {
            CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                             static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &added_);
            // The store keeps changes in memory until it is committed or closed; the chain
            // engine reads the registry on its own and would not see the certificate yet.
            CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
        }
    }
    ~TrustedRoot()
    {
        if (added_ != nullptr) {
            // The registry key of a stored certificate is named by its SHA-1 thumbprint.
            BYTE thumbprint[20] = {};
            DWORD size = sizeof thumbprint;
            const bool named = CertGetCertificateContextProperty(added_, CERT_SHA1_HASH_PROP_ID, thumbprint, &size);
            // CertDeleteCertificateFromStore frees the context it is given.
            CertDeleteCertificateFromStore(added_);
            CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
            // Wine's registry store does not carry a deletion through to the registry, so the key
            // goes explicitly: nothing of the test stays trusted in the prefix.
            if (named) {
                wchar_t key[128] = L"Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\";
                const size_t length = wcslen(key);
                for (DWORD i = 0; i < size; ++i) {
                    swprintf(key + length + i * 2, 3, L"%02X", thumbprint[i]);
                }
                RegDeleteKeyW(HKEY_CURRENT_USER, key);
            }
        }
        if (store_ != nullptr) {
            CertCloseStore(store_, 0);
        }
    }
    TrustedRoot(const TrustedRoot&) = delete;
    TrustedRoot& operator=(const TrustedRoot&) = delete;
    bool added() const { return added_ != nullptr; }

private:
    HCERTSTORE store_ = nullptr;
    PCCERT_CONTEXT added_ = nullptr;
};

TEST(HttpsDownload, TrustedLoopbackCertificate)
{
    TempFolder folder;
    const std::string hostFolder = hostPath(folder.path());
    ASSERT_FALSE(hostFolder.empty()) << "not running under wine";
    if (!fileExists(L"Z:\\usr\\bin\\python3") || !fileExists(L"Z:\\usr\\bin\\openssl")) {
        GTEST_SKIP() << "python3 or openssl missing on the host";
    }

    const std::wstring script(LR_TLS_SERVER_SCRIPT, LR_TLS_SERVER_SCRIPT + strlen(LR_TLS_SERVER_SCRIPT));
    const std::wstring hostFolderWide(hostFolder.begin(), hostFolder.end());
    ASSERT_TRUE(startHostProgram(L"/usr/bin/python3", L"/usr/bin/python3 " + script + L" " + hostFolderWide));
    // Key generation and the server's start take a second or two; 30 s is far beyond that.
    ASSERT_TRUE(waitFor(folder.file(L"port"), true, 30000)) << "TLS server did not start";
    std::string ports;
    ASSERT_TRUE(readWholeFile(folder.file(L"port"), ports));
    const size_t space = ports.find(' ');
    ASSERT_NE(space, std::string::npos) << ports;
    const std::wstring trustedPort(ports.begin(), ports.begin() + static_cast<std::ptrdiff_t>(space));
    const std::wstring strangerPort(ports.begin() + static_cast<std::ptrdiff_t>(space) + 1, ports.end());
    std::string der;
    ASSERT_TRUE(readWholeFile(folder.file(L"trusted.der"), der));

    // Wine's chain engine reads the root store once, at the first certificate check of the
    // process, so the certificate is trusted before any TLS request is made.
    {
        TrustedRoot root(der);
        ASSERT_TRUE(root.added());

        const std::wstring target = folder.file(L"build.exe");
        std::wstring error;
        EXPECT_TRUE(httpDownloadToNewFile(L"https://127.0.0.1:" + trustedPort + L"/build.bin", target, nullptr, nullptr,
                                          nullptr, error))
            << narrow(error);
        std::string stored;
        EXPECT_TRUE(readWholeFile(target, stored));
        EXPECT_EQ(stored, patternBytes(50000));

        // The same server behind a certificate nobody trusts: the default certificate check of
        // the set-up refuses it.
        const std::wstring refused = folder.file(L"refused.exe");
        error.clear();
        EXPECT_FALSE(httpDownloadToNewFile(L"https://127.0.0.1:" + strangerPort + L"/build.bin", refused, nullptr,
                                           nullptr, nullptr, error));
        EXPECT_EQ(error, L"无法访问更新服务器（连接超时或地址不可达）");
        EXPECT_FALSE(fileExists(refused));
    }

    writeWholeFile(folder.file(L"stop"), "");
    EXPECT_TRUE(waitFor(folder.file(L"port"), false, 10000)) << "TLS server did not stop";
}

}  // namespace
