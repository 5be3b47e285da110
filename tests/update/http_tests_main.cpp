#include <gtest/gtest.h>

#include <winsock2.h>

int wmain(int argc, wchar_t** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // The loopback servers of the transfer tests use Winsock.
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return 2;
    }
    const int result = RUN_ALL_TESTS();
    WSACleanup();
    return result;
}
