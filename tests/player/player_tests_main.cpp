#include <cstdio>

#include <windows.h>
#include <gtest/gtest.h>
#include <timeapi.h>

#include "input_hook_probe.h"

// The player runs under the 1 ms timer resolution that the program sets for its whole run.
int wmain(int argc, wchar_t** argv)
{
    testing::InitGoogleTest(&argc, argv);
    timeBeginPeriod(1);
    if (!startInputProbe()) {
        fprintf(stderr, "low-level hooks could not be installed\n");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    stopInputProbe();
    timeEndPeriod(1);
    return result;
}
