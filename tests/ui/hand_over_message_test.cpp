#include "ui/hand_over_message.h"

#include <cstring>

#include <gtest/gtest.h>

namespace {

constexpr uint64_t kOpen = static_cast<uint64_t>(HandOverKind::OpenScripts);

TEST(HandOverMessage, FilesSurviveTheWayThroughTheMessage)
{
    const std::vector<std::vector<std::wstring>> cases = {
        {L"C:\\a.json"},
        {L"C:\\My Scripts\\宏 脚本 1.json", L"D:\\b.json", L"\\\\server\\share\\c.json"},
        {std::wstring(32000, L'x')},
    };
    for (const auto& files : cases) {
        const std::wstring data = encodeHandOverFiles(files);
        // An odd address: the sender's buffer promises no alignment.
        std::vector<char> bytes(data.size() * sizeof(wchar_t) + 1);
        std::memcpy(bytes.data() + 1, data.data(), data.size() * sizeof(wchar_t));
        HandOverRequest request;
        ASSERT_TRUE(decodeHandOver(kOpen, bytes.data() + 1, bytes.size() - 1, request)) << files.size();
        EXPECT_EQ(request.kind, HandOverKind::OpenScripts);
        EXPECT_EQ(request.files, files);
    }
}

TEST(HandOverMessage, AnActivationCarriesNothingAndIgnoresData)
{
    HandOverRequest request;
    request.files = {L"left over"};
    ASSERT_TRUE(decodeHandOver(static_cast<uint64_t>(HandOverKind::Activate), L"x", 4, request));
    EXPECT_EQ(request.kind, HandOverKind::Activate);
    EXPECT_TRUE(request.files.empty());
}

TEST(HandOverMessage, WhatThisProgramDidNotSendIsRefused)
{
    const std::wstring good = std::wstring(L"C:\\a.json") + L'\0';
    const std::wstring twoZeros = std::wstring(L"C:\\a.json") + L'\0' + L'\0';
    const std::wstring leadingZero = std::wstring(1, L'\0') + L"C:\\a.json" + L'\0';
    const std::wstring huge(kHandOverMaxBytes / sizeof(wchar_t) + 1, L'a');
    const struct {
        const char* what;
        uint64_t kind;
        const void* data;
        size_t bytes;
    } cases[] = {
        {"unknown kind", 0x1234, good.data(), good.size() * sizeof(wchar_t)},
        {"kind off by one", kOpen + 1, good.data(), good.size() * sizeof(wchar_t)},
        {"no data", kOpen, nullptr, 0},
        {"null data with a size", kOpen, nullptr, 8},
        {"odd byte count", kOpen, good.data(), good.size() * sizeof(wchar_t) - 1},
        {"no final zero", kOpen, good.data(), (good.size() - 1) * sizeof(wchar_t)},
        {"an empty path at the end", kOpen, twoZeros.data(), twoZeros.size() * sizeof(wchar_t)},
        {"an empty path first", kOpen, leadingZero.data(), leadingZero.size() * sizeof(wchar_t)},
        {"too long", kOpen, huge.data(), huge.size() * sizeof(wchar_t)},
    };
    for (const auto& c : cases) {
        HandOverRequest request;
        EXPECT_FALSE(decodeHandOver(c.kind, c.data, c.bytes, request)) << c.what;
        EXPECT_TRUE(request.files.empty()) << c.what;
    }
}

}  // namespace
