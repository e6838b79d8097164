// Timing and memory helpers shared by the benchmarks.
#pragma once

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

namespace bench {

// Runs fn `iterations` times and returns nanoseconds per run.
template <class Fn>
double nanosecondsPerRun(long iterations, Fn&& fn) {
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < iterations; ++i) fn();
    std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / static_cast<double>(iterations);
}

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Peak resident set size of this process in KiB.
inline long peakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

inline void row(const char* name, double value, const char* unit) {
    std::printf("%-44s %12.1f %s\n", name, value, unit);
}

}  // namespace bench
