#include "app/crash_filter.h"

#include <string>

#include <windows.h>
#include <gtest/gtest.h>

#include "base/message_box.h"
#include "support/scoped_seam.h"
#include "support/test_log.h"

namespace {

struct CrashBox {
    std::wstring text, caption;
    UINT type = 0;
    HWND owner = nullptr;
};
CrashBox crashBox;

int recordCrashBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    crashBox = {text, caption, type, owner};
    return IDOK;
}

constexpr size_t kStampLength = 22;  // "[2026-01-02 03:04:05] "

TEST(crashFilter, LogsCodeAndAddressTellsTheUserAndEndsTheProcess)
{
    TestErrorLog log;
    {
        ScopedSeam box(messageBoxSeam, &recordCrashBox);
        EXCEPTION_RECORD record{};
        record.ExceptionCode = 0xC0000005;
        record.ExceptionAddress = reinterpret_cast<void*>(0x1234ABCD);
        EXCEPTION_POINTERS pointers{&record, nullptr};
        EXPECT_EQ(crashFilter(&pointers), EXCEPTION_EXECUTE_HANDLER);
        EXPECT_EQ(crashFilter(nullptr), EXCEPTION_EXECUTE_HANDLER);
    }

    EXPECT_EQ(crashBox.text, L"程序遇到未预期的错误，已记录日志。\n\n请重启软件后重试。");
    EXPECT_EQ(crashBox.caption, L"岚溪脚本录制软件");
    EXPECT_EQ(crashBox.type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(crashBox.owner, nullptr);
    const std::string bytes = log.bytes();
    ASSERT_GE(bytes.size(), 3u);
    const std::string lines = bytes.substr(3);
    const size_t firstEnd = lines.find("\r\n");
    ASSERT_NE(firstEnd, std::string::npos);
    // The address as the runtime's %p prints it: 16 upper-case hexadecimal digits.
    EXPECT_EQ(lines.substr(kStampLength, firstEnd - kStampLength), "未捕获异常 code=0xC0000005 addr=000000001234ABCD");
    const std::string second = lines.substr(firstEnd + 2);
    EXPECT_EQ(second.substr(kStampLength), "未捕获异常 code=0x00000000 addr=0000000000000000\r\n");
}

}  // namespace
