#include "base/performance_clock.h"

#include <windows.h>

double performanceSeconds()
{
    // Function-local static: initialised exactly once even when two threads ask first together.
    static const double frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency;
}
