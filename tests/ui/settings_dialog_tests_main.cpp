#include <cstdio>

#include <windows.h>
#include <gtest/gtest.h>

#include "support/xdotool.h"

int wmain(int argc, wchar_t** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!waitForRealKeys(30000)) {
        fwprintf(stderr, L"xdotool input does not reach this program\n");
        return 3;
    }
    return RUN_ALL_TESTS();
}
