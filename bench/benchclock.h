#pragma once

#include <algorithm>
#include <ctime>
#include <vector>

// CPU time of the calling thread, in milliseconds: on a loaded machine the
// wall clock also counts the time other programs had the processor.
inline double threadCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The median of some timings (the upper one of an even count).
inline double medianOf(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(values.size() / 2), values.end());
    return values[values.size() / 2];
}
