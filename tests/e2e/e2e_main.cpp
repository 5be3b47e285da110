#include <cstdio>

#include <windows.h>
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

int wmain(int argc, wchar_t** argv)
{
    // Positions and pixels are compared in physical pixels, whatever the screen scale.
    SetProcessDPIAware();
    testing::InitGoogleTest(&argc, argv);
    // On a display that was just started the wine desktop takes some seconds before xdotool's
    // pointer reaches it; every scenario relies on it, whichever runs first.
    if (!waitUntil(&pointerMatchesScreen, 30000, 500)) {
        std::fprintf(stderr, "xdotool's pointer and the wine desktop still disagree after 30 s\n");
    }
    return RUN_ALL_TESTS();
}
