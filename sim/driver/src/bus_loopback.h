#pragma once
// CAN and UART channels of a board. CAN channels are joined in pairs by a simulated cable
// (0 with 1, 2 with 3; an odd last channel hears itself); UART channels are wired back to
// themselves. What goes over a line takes the time its bit rate gives it and may be disturbed
// as the bus conditions say.

#include <cstdint>
#include <deque>
#include <map>
#include <type_traits>
#include <vector>

#include "bus_conditions.h"
#include "zmpxi_api.h"

namespace zmpxi_sim {

/// The channels of one bus kind on a board. `Frame` is what is queued and lent out; UART is
/// written and read as a byte stream, CAN frame by frame.
template <class Frame>
class LoopbackBus {
public:
    static constexpr bool kByteStream = std::is_same_v<Frame, ZaMoUartFrame>;
    using Item = std::conditional_t<kByteStream, std::uint8_t, Frame>;
    /// Frames or blocks held per board; what arrives beyond is lost and counted.
    static constexpr std::size_t kQueueLimit = 4096;
    /// Read-only channel properties: frames (CAN) or bytes (UART) lost because the reader fell
    /// behind, and error frames received (CAN) or bytes received corrupted (UART).
    static constexpr std::int32_t kLostProperty = 4;
    static constexpr std::int32_t kDisturbedProperty = 5;
    /// A CAN channel whose error counter reaches this leaves the bus until it is restarted.
    static constexpr std::uint32_t kBusOffErrors = 256;
    /// The standard id of the frames other nodes send (`can-traffic`).
    static constexpr std::uint32_t kTrafficId = 0x7A0;

    explicit LoopbackBus(int channels);

    void setConditions(const BusConditions& conditions) { m_conditions = conditions; }
    /// The bus's time moves on to `nowUs`: what other nodes sent until then is queued. Every
    /// call into the bus comes after this, so a channel starts at the time of its start call.
    void advanceTo(std::uint64_t nowUs);
    std::int32_t open();
    std::int32_t close();
    std::int32_t start(std::int32_t channel) { return setStarted(channel, true); }
    std::int32_t stop(std::int32_t channel) { return setStarted(channel, false); }
    std::int32_t property(std::int32_t channel, std::int32_t property, std::int64_t* value) const;
    std::int32_t setProperty(std::int32_t channel, std::int32_t property, std::int64_t value);
    std::int32_t write(const Item* items, std::int32_t count, std::int32_t* written, std::uint64_t nowUs);
    std::int32_t read(Item* items, std::int32_t maxCount, std::int32_t* count);
    /// Lends the pending frames without removing them; they stay valid until free or the next call.
    std::int32_t readRaw(Frame** frames, std::int32_t* count);
    std::int32_t free(std::int32_t count);
    std::int32_t errorCount(std::int32_t channel, std::uint32_t* errors) const;

private:
    struct Channel {
        bool started = false;
        std::map<std::int32_t, std::int64_t> properties;
        std::uint32_t errors = 0;
        std::int64_t lost = 0;
        std::int64_t disturbed = 0;
        std::uint64_t trafficFromUs = 0; ///< when it started hearing other nodes
        std::uint64_t trafficHeard = 0;  ///< their frames queued or lost since then
    };

    std::int32_t checkOpen() const;
    std::int32_t checkChannel(std::int32_t channel) const;
    std::int32_t checkProperty(std::int32_t channel, std::int32_t property) const;
    std::int32_t setStarted(std::int32_t channel, bool started);
    std::int32_t writeBytes(const Item* items, std::int32_t count, std::int32_t* written, std::uint64_t nowUs);
    std::int32_t writeFrame(Frame frame, std::uint64_t nowUs);
    /// Occupies the cable of `channel` for `durationUs`; returns when the transfer ends.
    std::uint64_t occupy(std::size_t channel, std::uint64_t durationUs, std::uint64_t nowUs);
    void deliver(const Frame& frame, std::int64_t items);
    std::size_t peer(std::size_t channel) const;
    void queueTraffic();
    /// The channel whose foreign frame is due first, its time in `atUs`; size() when none is.
    std::size_t nextTraffic(std::uint64_t& atUs) const;
    std::uint64_t trafficDue(const Channel& channel) const;
    std::uint64_t trafficTime(const Channel& channel, std::uint64_t frame) const;

    BusConditions m_conditions;
    bool m_open = false;
    std::vector<Channel> m_channels;
    std::vector<std::uint64_t> m_cableFreeUs; ///< per cable: when its last transfer ends
    std::vector<std::uint64_t> m_carried;     ///< per cable: frames or bytes carried so far
    std::deque<Frame> m_rx;
    std::vector<Frame> m_lent;
    std::size_t m_frontOffset = 0; ///< bytes of the first block already read byte-wise
    std::uint64_t m_nowUs = 0;
};

using CanBus = LoopbackBus<ZaMoCanFrame>;
using UartBus = LoopbackBus<ZaMoUartFrame>;

} // namespace zmpxi_sim
