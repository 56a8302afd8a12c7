#pragma once
// Timing for the benchmark programs: a clock, and the median of several runs.
#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

inline double Seconds() {
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds of the median run; the slowest run goes to worst when asked for.
template <typename F>
double MedianMs(int runs, F f, double* worst = nullptr) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = Seconds();
        f();
        times.push_back((Seconds() - start) * 1000.0);
    }
    std::sort(times.begin(), times.end());
    if (worst) *worst = times.back();
    return times[times.size() / 2];
}

}  // namespace bench
