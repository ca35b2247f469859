#pragma once
// The calling thread's CPU time: work timed on it is not charged for what other programs on the
// machine do meanwhile.

#include <ctime>

namespace bench {

inline double threadCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

} // namespace bench
