// The wall clock of tests and benchmarks: the performance counter, in seconds
// or milliseconds.
#pragma once
#include <windows.h>

inline double WallSeconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

inline double WallMs() { return 1000.0 * WallSeconds(); }
