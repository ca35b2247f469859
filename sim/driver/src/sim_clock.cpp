#include "sim_clock.h"

namespace zmpxi_sim {

SimClock::SimClock(double speed) : m_speed(speed > 0.0 ? speed : 1.0), m_origin(std::chrono::steady_clock::now()) {}

std::chrono::microseconds SimClock::realDuration(double simulatedMs) const
{
    if (!(simulatedMs > 0.0))
        return std::chrono::microseconds(0);
    return std::chrono::microseconds(static_cast<std::int64_t>(simulatedMs * 1000.0 / m_speed));
}

std::uint64_t SimClock::nowUs() const
{
    const auto elapsed = std::chrono::steady_clock::now() - m_origin;
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count());
}

} // namespace zmpxi_sim
