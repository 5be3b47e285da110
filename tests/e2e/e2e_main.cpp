#include <windows.h>
#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv)
{
    // Positions and pixels are compared in physical pixels, whatever the screen scale.
    SetProcessDPIAware();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
