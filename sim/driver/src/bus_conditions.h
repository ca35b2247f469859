#pragma once
// What happens on the simulated cables between channels, set by ZMPXI_SIM_BUS.

#include <cstdint>
#include <string>

namespace zmpxi_sim {

/// Disturbances of the simulated CAN and UART lines; all off by default.
struct BusConditions {
    /// Percent of CAN bus time taken by traffic of other nodes (0..90); stretches each frame.
    int canLoadPercent = 0;
    /// Every Nth CAN frame a channel sends is destroyed: the reader sees an error frame instead.
    std::uint32_t canErrorEvery = 0;
    /// Every Nth UART byte arrives corrupted.
    std::uint32_t uartNoiseEvery = 0;
    /// Frames per second (0..50000) other nodes send, heard by every started CAN channel.
    std::uint32_t canTrafficPerSecond = 0;

    /// Reads "can-load=30,can-error-every=4,uart-noise-every=100,can-traffic=1000"; unknown keys or bad
    /// values leave the conditions off and name the fault in `error`.
    static BusConditions parse(const std::string& text, std::string& error);
};

} // namespace zmpxi_sim
