#pragma once

#include <sys/resource.h>
#include <time.h>

#include <cstdint>

// CLOCK_MONOTONIC is one clock for every network namespace, so times taken
// by the sender, the receivers and the finder compare directly.
namespace bench_clock {

inline std::int64_t toNs(const timespec &t)
{
    return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

inline std::int64_t monotonicNs()
{
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return toNs(t);
}

inline std::int64_t threadCpuNs()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return toNs(t);
}

// User and system time of every thread of this process, not of its children.
inline std::int64_t processCpuNs()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto us = [](const timeval &v) { return std::int64_t{v.tv_sec} * 1'000'000 + v.tv_usec; };
    return (us(usage.ru_utime) + us(usage.ru_stime)) * 1000;
}

} // namespace bench_clock
