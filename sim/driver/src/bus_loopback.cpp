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
    static constexpr std::int64_t minRate = 5000;
    static constexpr std::int64_t maxRate = 1000000;
};

template <>
struct BusKind<ZaMoUartFrame> {
    static constexpr BusCodes codes{rc::uartNotOpen, rc::invalidChannelNo, rc::uartUsedNotValid, rc::uartAlreadyStarted,
                                    rc::uartNotStarted};
    // 0 baud rate, 1 data bits, 2 parity, 3 stop bits
    static inline const std::map<std::int32_t, std::int64_t> defaults = {{0, 115200}, {1, 8}, {2, 0}, {3, 1}};
    static constexpr std::int64_t minRate = 300;
    static constexpr std::int64_t maxRate = 4000000;
};

constexpr std::size_t kLendLimit = 256;
constexpr std::uint8_t kMaxCanData = 8;
constexpr std::uint8_t kExtendedId = 0x01;
constexpr std::uint8_t kRemoteFrame = 0x02;
constexpr std::uint8_t kErrorFrame = 0x04;
constexpr std::uint32_t kErrorsPerFault = 8; // a transmit error costs eight, a success gives one back
constexpr std::uint64_t kErrorFrameBits = 20;
constexpr std::int32_t kRateProperty = 0;
constexpr std::uint64_t kUsPerSecond = 1000000;

/// Bits a data or remote frame takes on the cable, without stuffing.
std::uint64_t canFrameBits(const ZaMoCanFrame& frame)
{
    const std::uint64_t header = (frame.flags & kExtendedId) ? 67 : 47;
    return header + ((frame.flags & kRemoteFrame) ? 0 : 8u * frame.dlc);
}

std::uint64_t durationUs(std::uint64_t bits, std::int64_t rate, int loadPercent)
{
    // Foreign traffic leaves only the rest of the bus time to this cable.
    return bits * 1000000u * 100u / (static_cast<std::uint64_t>(rate) * static_cast<std::uint64_t>(100 - loadPercent));
}

} // namespace

template <class Frame>
LoopbackBus<Frame>::LoopbackBus(int channels)
    : m_channels(static_cast<std::size_t>(std::max(channels, 0))), m_cableFreeUs(m_channels.size()),
      m_carried(m_channels.size())
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
    for (Channel& channel : m_channels) {
        channel.started = false;
        channel.errors = 0;
    }
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
    c.errors = 0; // a restart brings a channel back from bus-off
    c.trafficFromUs = m_nowUs;
    c.trafficHeard = 0;
    return rc::ok;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::checkProperty(std::int32_t channel, std::int32_t property) const
{
    if (const std::int32_t result = checkChannel(channel))
        return result;
    if (property == kLostProperty || property == kDisturbedProperty)
        return rc::ok;
    const bool known = m_channels[static_cast<std::size_t>(channel)].properties.count(property) > 0;
    return known ? rc::ok : BusKind<Frame>::codes.propertyNotValid;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::property(std::int32_t channel, std::int32_t property, std::int64_t* value) const
{
    if (const std::int32_t result = checkProperty(channel, property))
        return result;
    const Channel& c = m_channels[static_cast<std::size_t>(channel)];
    if (property == kLostProperty)
        *value = c.lost;
    else if (property == kDisturbedProperty)
        *value = c.disturbed;
    else
        *value = c.properties.at(property);
    return rc::ok;
}

template <class Frame>
std::int32_t LoopbackBus<Frame>::setProperty(std::int32_t channel, std::int32_t property, std::int64_t value)
{
    if (const std::int32_t result = checkProperty(channel, property))
        return result;
    const bool counter = property == kLostProperty || property == kDisturbedProperty;
    const bool badRate =
        property == kRateProperty && (value < BusKind<Frame>::minRate || value > BusKind<Frame>::maxRate);
    if (counter || badRate)
        return BusKind<Frame>::codes.propertyNotValid;
    m_channels[static_cast<std::size_t>(channel)].properties[property] = value;
    return rc::ok;
}

template <class Frame>
std::size_t LoopbackBus<Frame>::peer(std::size_t channel) const
{
    if constexpr (kByteStream)
        return channel;
    const std::size_t other = channel ^ 1u;
    return other < m_channels.size() ? other : channel;
}

template <class Frame>
std::uint64_t LoopbackBus<Frame>::occupy(std::size_t channel, std::uint64_t durationUs, std::uint64_t nowUs)
{
    std::uint64_t& freeAt = m_cableFreeUs[std::min(channel, peer(channel))];
    freeAt = std::max(freeAt, nowUs) + durationUs;
    return freeAt;
}

template <class Frame>
void LoopbackBus<Frame>::deliver(const Frame& frame, std::int64_t items)
{
    Channel& receiver = m_channels[frame.channel];
    if (m_rx.size() >= kQueueLimit) {
        receiver.lost += items;
        return;
    }
    m_rx.push_back(frame);
}

template <class Frame>
void LoopbackBus<Frame>::advanceTo(std::uint64_t nowUs)
{
    m_nowUs = std::max(m_nowUs, nowUs);
    if constexpr (!kByteStream) {
        if (m_open && m_conditions.canTrafficPerSecond != 0)
            queueTraffic();
    }
}

template <class Frame>
std::uint64_t LoopbackBus<Frame>::trafficDue(const Channel& channel) const
{
    // In two parts, so that no product overflows however long the channel ran.
    const std::uint64_t rate = m_conditions.canTrafficPerSecond;
    const std::uint64_t elapsed = m_nowUs - channel.trafficFromUs;
    return elapsed / kUsPerSecond * rate + elapsed % kUsPerSecond * rate / kUsPerSecond;
}

template <class Frame>
std::uint64_t LoopbackBus<Frame>::trafficTime(const Channel& channel, std::uint64_t frame) const
{
    const std::uint64_t rate = m_conditions.canTrafficPerSecond;
    const std::uint64_t n = frame + 1;
    return channel.trafficFromUs + n / rate * kUsPerSecond + n % rate * kUsPerSecond / rate;
}

template <class Frame>
std::size_t LoopbackBus<Frame>::nextTraffic(std::uint64_t& atUs) const
{
    std::size_t next = m_channels.size();
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        const Channel& c = m_channels[i];
        if (!c.started || c.trafficHeard >= trafficDue(c))
            continue;
        const std::uint64_t at = trafficTime(c, c.trafficHeard);
        if (next == m_channels.size() || at < atUs) {
            next = i;
            atUs = at;
        }
    }
    return next;
}

template <class Frame>
void LoopbackBus<Frame>::queueTraffic()
{
    if constexpr (!kByteStream) {
        // The channels' frames go into the one queue in the order they arrived.
        std::uint64_t atUs = 0;
        for (std::size_t next = nextTraffic(atUs); next < m_channels.size() && m_rx.size() < kQueueLimit;
             next = nextTraffic(atUs)) {
            Channel& c = m_channels[next];
            ZaMoCanFrame frame{};
            frame.channel = static_cast<std::uint8_t>(next);
            frame.id = kTrafficId;
            frame.dlc = kMaxCanData;
            frame.timestampUs = atUs;
            // A sequence number per channel, so that a reader can tell a frame it missed.
            for (std::size_t b = 0; b < 4; ++b)
                frame.data[b] = static_cast<std::uint8_t>(c.trafficHeard >> (8 * b));
            m_rx.push_back(frame);
            ++c.trafficHeard;
        }
        // A full queue takes no more: the rest is lost at once, however many there were.
        for (Channel& c : m_channels) {
            if (!c.started)
                continue;
            const std::uint64_t due = trafficDue(c);
            c.lost += static_cast<std::int64_t>(due - std::min(due, c.trafficHeard));
            c.trafficHeard = std::max(due, c.trafficHeard);
        }
    }
}

// Only UART writes bytes and only CAN writes frames.
template <>
std::int32_t UartBus::writeBytes(const Item* items, std::int32_t count, std::int32_t* written, std::uint64_t nowUs)
{
    // The byte interface has no channel: the bytes go out on the first started channel.
    const auto started = std::find_if(m_channels.begin(), m_channels.end(), [](const Channel& c) { return c.started; });
    if (started == m_channels.end())
        return BusKind<ZaMoUartFrame>::codes.notStarted;
    const auto channel = static_cast<std::size_t>(started - m_channels.begin());
    Channel& line = *started;
    const auto& p = line.properties;
    // start bit, data bits, parity bit, stop bits; odd settings are held to what a line can carry
    const std::int64_t bits =
        1 + std::clamp<std::int64_t>(p.at(1), 5, 9) + (p.at(2) != 0 ? 1 : 0) + std::clamp<std::int64_t>(p.at(3), 1, 2);
    const auto bitsPerByte = static_cast<std::uint64_t>(bits);
    std::uint64_t& carried = m_carried[channel];
    while (*written < count) {
        ZaMoUartFrame block{};
        block.channel = static_cast<std::uint8_t>(channel);
        const std::int32_t chunk =
            std::min<std::int32_t>(count - *written, static_cast<std::int32_t>(sizeof block.data));
        std::memcpy(block.data, items + *written, static_cast<std::size_t>(chunk));
        for (std::int32_t i = 0; i < chunk; ++i) {
            if (m_conditions.uartNoiseEvery == 0 || ++carried % m_conditions.uartNoiseEvery != 0)
                continue;
            block.data[i] ^= 0xFF;
            ++line.disturbed;
        }
        block.length = static_cast<std::uint32_t>(chunk);
        block.timestampUs =
            occupy(channel, durationUs(bitsPerByte * static_cast<std::uint64_t>(chunk), p.at(0), 0), nowUs);
        deliver(block, chunk);
        *written += chunk;
    }
    return rc::ok;
}

template <>
std::int32_t CanBus::writeFrame(ZaMoCanFrame frame, std::uint64_t nowUs)
{
    if (frame.channel >= m_channels.size())
        return BusKind<ZaMoCanFrame>::codes.channelNotValid;
    Channel& sender = m_channels[frame.channel];
    if (!sender.started)
        return BusKind<ZaMoCanFrame>::codes.notStarted;
    if (sender.errors >= kBusOffErrors)
        return rc::canCannotStart;
    const std::size_t to = peer(frame.channel);
    Channel& receiver = m_channels[to];
    const std::int64_t rate = sender.properties.at(kRateProperty);
    frame.dlc = std::min(frame.dlc, kMaxCanData);
    frame.flags &= static_cast<std::uint8_t>(kExtendedId | kRemoteFrame);
    const bool errorDue =
        m_conditions.canErrorEvery != 0 && ++m_carried[frame.channel] % m_conditions.canErrorEvery == 0;
    // Nobody acknowledges on a cable whose other end is stopped or runs at another bit rate.
    const bool unheard = !receiver.started || receiver.properties.at(kRateProperty) != rate;
    frame.timestampUs =
        occupy(frame.channel, durationUs(canFrameBits(frame), rate, m_conditions.canLoadPercent), nowUs);
    frame.channel = static_cast<std::uint8_t>(to);
    if (!errorDue && !unheard) {
        sender.errors -= sender.errors > 0 ? 1 : 0;
        deliver(frame, 1);
        return rc::ok;
    }
    sender.errors += kErrorsPerFault;
    if (!receiver.started)
        return rc::ok;
    ZaMoCanFrame error{};
    error.channel = frame.channel;
    error.flags = kErrorFrame;
    error.timestampUs = occupy(to, durationUs(kErrorFrameBits, rate, m_conditions.canLoadPercent), nowUs);
    ++receiver.disturbed;
    deliver(error, 1);
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
        return writeBytes(items, count, written, nowUs);
    } else {
        for (std::int32_t i = 0; i < count; ++i) {
            if (const std::int32_t result = writeFrame(items[i], nowUs))
                return result;
            ++*written;
        }
        return rc::ok;
    }
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
    *errors = m_channels[static_cast<std::size_t>(channel)].errors;
    return rc::ok;
}

template class LoopbackBus<ZaMoCanFrame>;
template class LoopbackBus<ZaMoUartFrame>;

} // namespace zmpxi_sim
