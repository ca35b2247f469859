#include "bus_loopback.h"

#include <algorithm>
#include <cstring>

#include "result_codes.h"

namespace zmpxi_sim {
namespace {

struct BusCodes {
    std::int32_t notOpen;
    std::int32_t channelNotValid;
    std::int32_t propertyNotValid;
    std::int32_t alreadyStarted;
    std::int32_t notStarted;
};

/// Where the two bus kinds differ: their result codes and their channels' property defaults.
template <class Frame>
struct BusKind;

template <>
struct BusKind<ZaMoCanFrame> {
    static constexpr BusCodes codes{rc::canNotOpen, rc::canChannelNotValid, rc::canItemNotValid, rc::canAlreadyStarted,
                                    rc::canNotStarted};
    // 0 bit rate, 1 listen only, 2 termination, 3 flexible data rate
    static inline const std::map<std::int32_t, std::int64_t> defaults = {{0, 500000}, {1, 0}, {2, 1}, {3, 0}};
};

template <>
struct BusKind<ZaMoUartFrame> {
    static constexpr BusCodes codes{rc::uartNotOpen, rc::invalidChannelNo, rc::uartUsedNotValid, rc::uartAlreadyStarted,
                                    rc::uartNotStarted};
    // 0 baud rate, 1 data bits, 2 parity, 3 stop bits
    static inline const std::map<std::int32_t, std::int64_t> defaults = {{0, 115200}, {1, 8}, {2, 0}, {3, 1}};
};

constexpr std::size_t kLendLimit = 256;
constexpr std::uint8_t kMaxCanData = 8;

} // namespace

template <class Frame>
LoopbackBus<Frame>::LoopbackBus(int channels) : m_channels(static_cast<std::size_t>(std::max(channels, 0)))
{
    for (Channel& channel : m_channels)
        channel.properties = BusKind<Frame>::defaults;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::open()
{
    if (m_channels.empty())
        return rc::functionNotValidForBoard;
    m_open = true;
    return rc::ok;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::close()
{
    if (!m_open)
        return BusKind<Frame>::codes.notOpen;
    m_open = false;
    for (Channel& channel : m_channels)
        channel.started = false;
    m_rx.clear();
    m_lent.clear();
    m_frontOffset = 0;
    return rc::ok;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::checkOpen() const
{
    if (m_channels.empty())
        return rc::functionNotValidForBoard;
    return m_open ? rc::ok : BusKind<Frame>::codes.notOpen;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::checkChannel(std::int32_t channel) const
{
    if (const std::int32_t result = checkOpen())
        return result;
    if (channel < 0 || static_cast<std::size_t>(channel) >= m_channels.size())
        return BusKind<Frame>::codes.channelNotValid;
    return rc::ok;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::setStarted(std::int32_t channel, bool started)
{
    if (const std::int32_t result = checkChannel(channel))
        return result;
    Channel& c = m_channels[static_cast<std::size_t>(channel)];
    if (c.started == started)
        return started ? BusKind<Frame>::codes.alreadyStarted : BusKind<Frame>::codes.notStarted;
    c.started = started;
    return rc::ok;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::checkProperty(std::int32_t channel, std::int32_t property) const
{
    if (const std::int32_t result = checkChannel(channel))
        return result;
    const bool known = m_channels[static_cast<std::size_t>(channel)].properties.count(property) > 0;
    return known ? rc::ok : BusKind<Frame>::codes.propertyNotValid;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::property(std::int32_t channel, std::int32_t property, std::int64_t* value) const
{
    if (const std::int32_t result = checkProperty(channel, property))
        return result;
    *value = m_channels[static_cast<std::size_t>(channel)].properties.at(property);
    return rc::ok;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::setProperty(std::int32_t channel, std::int32_t property, std::int64_t value)
{
    if (const std::int32_t result = checkProperty(channel, property))
        return result;
    m_channels[static_cast<std::size_t>(channel)].properties[property] = value;
    return rc::ok;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::write(const Item* items, std::int32_t count, std::int32_t* written,
                                       std::uint64_t nowUs)
{
    *written = 0;
    if (const std::int32_t result = checkOpen())
        return result;
    if constexpr (kByteStream) {
        // The byte interface has no channel: the bytes go out on the first started channel.
        const auto started =
            std::find_if(m_channels.begin(), m_channels.end(), [](const Channel& c) { return c.started; });
        if (started == m_channels.end())
            return BusKind<Frame>::codes.notStarted;
        const auto channel = static_cast<std::uint8_t>(started - m_channels.begin());
        while (*written < count && m_rx.size() < kQueueLimit) {
            Frame block{};
            block.timestampUs = nowUs;
            block.channel = channel;
            const std::int32_t chunk =
                std::min<std::int32_t>(count - *written, static_cast<std::int32_t>(sizeof block.data));
            std::memcpy(block.data, items + *written, static_cast<std::size_t>(chunk));
            block.length = static_cast<std::uint32_t>(chunk);
            m_rx.push_back(block);
            *written += chunk;
        }
    } else {
        for (std::int32_t i = 0; i < count; ++i) {
            Frame frame = items[i];
            if (frame.channel >= m_channels.size())
                return BusKind<Frame>::codes.channelNotValid;
            if (!m_channels[frame.channel].started)
                return BusKind<Frame>::codes.notStarted;
            if (m_rx.size() >= kQueueLimit)
                return rc::ok;
            frame.dlc = std::min(frame.dlc, kMaxCanData);
            frame.timestampUs = nowUs;
            m_rx.push_back(frame);
            ++*written;
        }
    }
    return rc::ok;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::read(Item* items, std::int32_t maxCount, std::int32_t* count)
{
    *count = 0;
    if (const std::int32_t result = checkOpen())
        return result;
    m_lent.clear();
    while (*count < maxCount && !m_rx.empty()) {
        if constexpr (kByteStream) {
            const Frame& front = m_rx.front();
            const std::size_t n = std::min(front.length - m_frontOffset, static_cast<std::size_t>(maxCount - *count));
            std::memcpy(items + *count, front.data + m_frontOffset, n);
            *count += static_cast<std::int32_t>(n);
            m_frontOffset += n;
            if (m_frontOffset < front.length)
                continue;
        } else {
            items[(*count)++] = m_rx.front();
        }
        m_rx.pop_front();
        m_frontOffset = 0;
    }
    return rc::ok;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::readRaw(Frame** frames, std::int32_t* count)
{
    *frames = nullptr;
    *count = 0;
    if (const std::int32_t result = checkOpen())
        return result;
    const std::size_t n = std::min(m_rx.size(), kLendLimit);
    m_lent.assign(m_rx.begin(), m_rx.begin() + static_cast<std::ptrdiff_t>(n));
    if constexpr (kByteStream) {
        if (!m_lent.empty() && m_frontOffset > 0) {
            // Bytes already read byte-wise are not handed out again.
            Frame& first = m_lent.front();
            std::memmove(first.data, first.data + m_frontOffset, first.length - m_frontOffset);
            first.length -= static_cast<std::uint32_t>(m_frontOffset);
        }
    }
    *frames = m_lent.empty() ? nullptr : m_lent.data();
    *count = static_cast<std::int32_t>(n);
    return rc::ok;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::free(std::int32_t count)
{
    if (const std::int32_t result = checkOpen())
        return result;
    const std::size_t n = std::min(static_cast<std::size_t>(std::max(count, 0)), m_lent.size());
    m_rx.erase(m_rx.begin(), m_rx.begin() + static_cast<std::ptrdiff_t>(n));
    if (n > 0)
        m_frontOffset = 0;
    m_lent.clear();
    return rc::ok;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::errorCount(std::int32_t channel, std::uint32_t* errors) const
{
    if (const std::int32_t result = checkChannel(channel))
        return result;
    *errors = 0; // a loopback never loses arbitration or sees bit errors
    return rc::ok;
}

template class LoopbackBus<ZaMoCanFrame>;
template class LoopbackBus<ZaMoUartFrame>;

} // namespace zmpxi_sim
