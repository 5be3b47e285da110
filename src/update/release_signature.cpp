#include "update/release_signature.h"

#ifndef LR_UPDATE_PUBLIC_KEY
#define LR_UPDATE_PUBLIC_KEY ""
#endif

const char* publisherKeyHexSeam = LR_UPDATE_PUBLIC_KEY;

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

bool parseHexBytes(const std::string& hex, uint8_t* bytes, size_t count)
{
    if (hex.size() != count * 2) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        const int high = hexValue(hex[2 * i]);
        const int low = hexValue(hex[2 * i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return true;
}

bool normalizeDigest(const std::string& text, std::string& lowerHex)
{
    std::string digits;
    for (const char c : text) {
        if (c == ' ' || c == '\t') {
            continue;
        }
        if (hexValue(c) < 0) {
            return false;
        }
        digits += (c >= 'A' && c <= 'F') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (digits.size() != 64) {
        return false;
    }
    lowerHex = digits;
    return true;
}

std::string signedReleaseText(const std::string& ver, const std::string& lowerHexDigest)
{
    return "LorminRecorder|" + ver + "|" + lowerHexDigest;
}

ReleaseCheck checkReleaseSignature(const ManifestFields& fields, const char* publicKeyHex, VerifySignatureFn verify)
{
    const std::string keyHex = publicKeyHex != nullptr ? publicKeyHex : "";
    if (keyHex.empty()) {
        return ReleaseCheck::NotChecked;
    }
    PublicKeyBytes key{};
    if (!parseHexBytes(keyHex, key.data(), key.size())) {
        return ReleaseCheck::BadKey;
    }
    if (fields.sig.empty()) {
        return ReleaseCheck::MissingSignature;
    }
    std::string digest;
    if (!normalizeDigest(fields.sha256, digest)) {
        return ReleaseCheck::MissingDigest;
    }
    SignatureBytes signature{};
    if (!parseHexBytes(fields.sig, signature.data(), signature.size())) {
        return ReleaseCheck::MalformedSignature;
    }
    if (verify == nullptr || !verify(key, signedReleaseText(fields.ver, digest), signature)) {
        return ReleaseCheck::BadSignature;
    }
    return ReleaseCheck::Valid;
}

std::wstring releaseRefusalText(ReleaseCheck check)
{
    switch (check) {
    case ReleaseCheck::MissingSignature: return L"更新信息没有发布者签名，已拒绝";
    case ReleaseCheck::MissingDigest: return L"更新信息缺少有效的 sha256 校验值，无法核对签名，已拒绝";
    case ReleaseCheck::MalformedSignature: return L"更新信息签名格式不正确，已拒绝";
    case ReleaseCheck::BadSignature: return L"更新信息签名无效，已拒绝";
    case ReleaseCheck::BadKey: return L"本程序内置的发布者公钥无效，无法校验更新";
    case ReleaseCheck::NotChecked:
    case ReleaseCheck::Valid: break;
    }
    return std::wstring();
}

bool isRefusedRelease(ReleaseCheck check)
{
    switch (check) {
    case ReleaseCheck::MissingSignature:
    case ReleaseCheck::MissingDigest:
    case ReleaseCheck::MalformedSignature:
    case ReleaseCheck::BadSignature: return true;
    case ReleaseCheck::NotChecked:
    case ReleaseCheck::Valid:
    case ReleaseCheck::BadKey: break;
    }
    return false;
}

std::wstring refusedReleaseBoxText(const std::wstring& reason)
{
    return L"更新信息未通过发布者的签名校验，已拒绝：\n" + reason +
           L"\n\n服务器或网络可能已被篡改，请不要使用此次提供的更新。请到官网手动下载正式版本。";
}
