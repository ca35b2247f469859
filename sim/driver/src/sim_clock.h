#pragma once
// Simulated time: long operations take their nominal duration divided by the speed factor.

#include <chrono>
#include <cstdint>

namespace zmpxi_sim {

class SimClock {
public:
    /// `speed` 1 is real time; 100 makes every simulated duration 100 times shorter.
    explicit SimClock(double speed = 1.0);

    /// Real time that `simulatedMs` milliseconds of simulated work take.
    std::chrono::microseconds realDuration(double simulatedMs) const;
    /// Microseconds on the driver clock (monotonic, from the clock's creation).
    std::uint64_t nowUs() const;

private:
    double m_speed;
    std::chrono::steady_clock::time_point m_origin;
};

} // namespace zmpxi_sim
