#include "uni/timer.h"

#include <cerrno>
#include <ctime>

namespace uni {

std::uint64_t Timer::stampUs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

void Timer::sleepMs(std::uint32_t ms)
{
    sleepUs(static_cast<std::uint64_t>(ms) * 1000u);
}

void Timer::sleepUs(std::uint64_t us)
{
    timespec left{};
    left.tv_sec = static_cast<time_t>(us / 1000000u);
    left.tv_nsec = static_cast<long>(us % 1000000u) * 1000L;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

} // namespace uni
