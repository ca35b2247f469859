#pragma once
// CAN and UART channels of a board, wired back to themselves: what is written can be read back.

#include <cstdint>
#include <deque>
#include <map>
#include <type_traits>
#include <vector>

#include "zmpxi_api.h"

namespace zmpxi_sim {

/// The channels of one bus kind on a board. `Frame` is what is queued and lent out; UART is
/// written and read as a byte stream, CAN frame by frame.
template <class Frame>
class LoopbackBus {
public:
    static constexpr bool kByteStream = std::is_same_v<Frame, ZaMoUartFrame>;
    using Item = std::conditional_t<kByteStream, std::uint8_t, Frame>;
    /// Frames or blocks held per board before writes are refused.
    static constexpr std::size_t kQueueLimit = 4096;

    explicit LoopbackBus(int channels);

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
    };

    std::int32_t checkOpen() const;
    std::int32_t checkChannel(std::int32_t channel) const;
    std::int32_t checkProperty(std::int32_t channel, std::int32_t property) const;
    std::int32_t setStarted(std::int32_t channel, bool started);

    bool m_open = false;
    std::vector<Channel> m_channels;
    std::deque<Frame> m_rx;
    std::vector<Frame> m_lent;
    std::size_t m_frontOffset = 0; ///< bytes of the first block already read byte-wise
};

using CanBus = LoopbackBus<ZaMoCanFrame>;
using UartBus = LoopbackBus<ZaMoUartFrame>;

} // namespace zmpxi_sim
