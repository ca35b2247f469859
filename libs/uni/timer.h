#pragma once
// Monotonic microsecond time stamps, a stopwatch over them, and sleeps.

#include <cstdint>

namespace uni {

class Timer {
public:
    /// Starts the stopwatch now.
    Timer() : m_start(stampUs()) {}

    /// Restarts the stopwatch.
    void restart() { m_start = stampUs(); }
    /// Microseconds since construction or the last restart().
    std::int64_t elapsedUs() const { return diffUs(m_start, stampUs()); }

    /// Microseconds on a clock that wall-clock changes do not move; the origin is arbitrary.
    static std::uint64_t stampUs();
    /// `later` minus `earlier` in microseconds; negative when `later` is the older stamp.
    static std::int64_t diffUs(std::uint64_t earlier, std::uint64_t later)
    {
        return static_cast<std::int64_t>(later - earlier);
    }

    /// Sleeps at least `ms` milliseconds; signals do not cut the sleep short.
    static void sleepMs(std::uint32_t ms);
    /// Sleeps at least `us` microseconds; signals do not cut the sleep short.
    static void sleepUs(std::uint64_t us);

private:
    std::uint64_t m_start;
};

} // namespace uni
