#include "bus_loopback.h"

#include <algorithm>
#include <cstring>

#include "result_codes.h"

namespace zmpxi_sim {
namespace {

// Property numbers: CAN 0 bit rate, 1 listen only, 2 termination, 3 flexible data rate;
// UART 0 baud rate, 1 data bits, 2 parity, 3 stop bits.
const std::map<int32_t, int64_t> kCanDefaults = {{0, 500000}, {1, 0}, {2, 1}, {3, 0}};
const std::map<int32_t, int64_t> kUartDefaults = {{0, 115200}, {1, 8}, {2, 0}, {3, 1}};
constexpr std::size_t kLendLimit = 256;

} // namespace

BusLoopback::BusLoopback(int canChannels, int uartChannels)
    : m_can(static_cast<std::size_t>(std::max(canChannels, 0)))
    , m_uart(static_cast<std::size_t>(std::max(uartChannels, 0)))
{
    for (Channel& channel : m_can)
        channel.properties = kCanDefaults;
    for (Channel& channel : m_uart)
        channel.properties = kUartDefaults;
}

int32_t BusLoopback::openCan()
{
    if (m_can.empty())
        return rc::functionNotValidForBoard;
    m_canOpen = true;
    return rc::ok;
}

int32_t BusLoopback::closeCan()
{
    if (!m_canOpen)
        return rc::canNotOpen;
    m_canOpen = false;
    for (Channel& channel : m_can)
        channel.started = false;
    m_canRx.clear();
    m_canLent.clear();
    return rc::ok;
}

int32_t BusLoopback::checkCanChannel(int32_t channel) const
{
    if (m_can.empty())
        return rc::functionNotValidForBoard;
    if (!m_canOpen)
        return rc::canNotOpen;
    if (channel < 0 || static_cast<std::size_t>(channel) >= m_can.size())
        return rc::canChannelNotValid;
    return rc::ok;
}

int32_t BusLoopback::startCan(int32_t channel)
{
    if (const int32_t result = checkCanChannel(channel))
        return result;
    Channel& c = m_can[static_cast<std::size_t>(channel)];
    if (c.started)
        return rc::canAlreadyStarted;
    c.started = true;
    return rc::ok;
}

int32_t BusLoopback::stopCan(int32_t channel)
{
    if (const int32_t result = checkCanChannel(channel))
        return result;
    Channel& c = m_can[static_cast<std::size_t>(channel)];
    if (!c.started)
        return rc::canNotStarted;
    c.started = false;
    return rc::ok;
}

int32_t BusLoopback::canProperty(int32_t channel, int32_t property, int64_t* value) const
{
    if (const int32_t result = checkCanChannel(channel))
        return result;
    const auto& properties = m_can[static_cast<std::size_t>(channel)].properties;
    const auto found = properties.find(property);
    if (found == properties.end())
        return rc::canItemNotValid;
    *value = found->second;
    return rc::ok;
}

int32_t BusLoopback::setCanProperty(int32_t channel, int32_t property, int64_t value)
{
    if (const int32_t result = checkCanChannel(channel))
        return result;
    auto& properties = m_can[static_cast<std::size_t>(channel)].properties;
    const auto found = properties.find(property);
    if (found == properties.end())
        return rc::canItemNotValid;
    found->second = value;
    return rc::ok;
}

int32_t BusLoopback::writeCan(const ZaMoCanFrame* frames, int32_t count, int32_t* written, std::uint64_t nowUs)
{
    *written = 0;
    if (m_can.empty())
        return rc::functionNotValidForBoard;
    if (!m_canOpen)
        return rc::canNotOpen;
    for (int32_t i = 0; i < count; ++i) {
        ZaMoCanFrame frame = frames[i];
        if (frame.channel >= m_can.size())
            return rc::canChannelNotValid;
        if (!m_can[frame.channel].started)
            return rc::canNotStarted;
        if (m_canRx.size() >= kQueueLimit)
            return rc::ok;
        frame.dlc = std::min<uint8_t>(frame.dlc, 8);
        frame.timestampUs = nowUs;
        m_canRx.push_back(frame);
        ++*written;
    }
    return rc::ok;
}

int32_t BusLoopback::readCan(ZaMoCanFrame* frames, int32_t maxCount, int32_t* count)
{
    *count = 0;
    if (!m_canOpen)
        return m_can.empty() ? rc::functionNotValidForBoard : rc::canNotOpen;
    m_canLent.clear();
    while (*count < maxCount && !m_canRx.empty()) {
        frames[*count] = m_canRx.front();
        m_canRx.pop_front();
        ++*count;
    }
    return rc::ok;
}

int32_t BusLoopback::readCanRaw(ZaMoCanFrame** frames, int32_t* count)
{
    *frames = nullptr;
    *count = 0;
    if (!m_canOpen)
        return m_can.empty() ? rc::functionNotValidForBoard : rc::canNotOpen;
    const std::size_t n = std::min(m_canRx.size(), kLendLimit);
    m_canLent.assign(m_canRx.begin(), m_canRx.begin() + static_cast<std::ptrdiff_t>(n));
    *frames = m_canLent.empty() ? nullptr : m_canLent.data();
    *count = static_cast<int32_t>(n);
    return rc::ok;
}

int32_t BusLoopback::freeCan(int32_t count)
{
    if (!m_canOpen)
        return m_can.empty() ? rc::functionNotValidForBoard : rc::canNotOpen;
    const std::size_t n = std::min(static_cast<std::size_t>(std::max(count, 0)), m_canLent.size());
    m_canRx.erase(m_canRx.begin(), m_canRx.begin() + static_cast<std::ptrdiff_t>(n));
    m_canLent.clear();
    return rc::ok;
}

int32_t BusLoopback::canErrorCount(int32_t channel, uint32_t* errors) const
{
    if (const int32_t result = checkCanChannel(channel))
        return result;
    *errors = 0; // a loopback never loses arbitration or sees bit errors
    return rc::ok;
}

int32_t BusLoopback::openUart()
{
    if (m_uart.empty())
        return rc::functionNotValidForBoard;
    m_uartOpen = true;
    return rc::ok;
}

int32_t BusLoopback::closeUart()
{
    if (!m_uartOpen)
        return rc::uartNotOpen;
    m_uartOpen = false;
    for (Channel& channel : m_uart)
        channel.started = false;
    m_uartRx.clear();
    m_uartLent.clear();
    m_uartFrontOffset = 0;
    return rc::ok;
}

int32_t BusLoopback::checkUartChannel(int32_t channel) const
{
    if (m_uart.empty())
        return rc::functionNotValidForBoard;
    if (!m_uartOpen)
        return rc::uartNotOpen;
    if (channel < 0 || static_cast<std::size_t>(channel) >= m_uart.size())
        return rc::invalidChannelNo;
    return rc::ok;
}

int32_t BusLoopback::startUart(int32_t channel)
{
    if (const int32_t result = checkUartChannel(channel))
        return result;
    Channel& c = m_uart[static_cast<std::size_t>(channel)];
    if (c.started)
        return rc::uartAlreadyStarted;
    c.started = true;
    return rc::ok;
}

int32_t BusLoopback::stopUart(int32_t channel)
{
    if (const int32_t result = checkUartChannel(channel))
        return result;
    Channel& c = m_uart[static_cast<std::size_t>(channel)];
    if (!c.started)
        return rc::uartNotStarted;
    c.started = false;
    return rc::ok;
}

int32_t BusLoopback::uartProperty(int32_t channel, int32_t property, int64_t* value) const
{
    if (const int32_t result = checkUartChannel(channel))
        return result;
    const auto& properties = m_uart[static_cast<std::size_t>(channel)].properties;
    const auto found = properties.find(property);
    if (found == properties.end())
        return rc::uartUsedNotValid;
    *value = found->second;
    return rc::ok;
}

int32_t BusLoopback::setUartProperty(int32_t channel, int32_t property, int64_t value)
{
    if (const int32_t result = checkUartChannel(channel))
        return result;
    auto& properties = m_uart[static_cast<std::size_t>(channel)].properties;
    const auto found = properties.find(property);
    if (found == properties.end())
        return rc::uartUsedNotValid;
    found->second = value;
    return rc::ok;
}

int32_t BusLoopback::writeUart(const uint8_t* bytes, int32_t count, int32_t* written, std::uint64_t nowUs)
{
    *written = 0;
    if (m_uart.empty())
        return rc::functionNotValidForBoard;
    if (!m_uartOpen)
        return rc::uartNotOpen;
    // The byte interface has no channel: the bytes go out on the first started channel.
    const auto started = std::find_if(m_uart.begin(), m_uart.end(), [](const Channel& c) { return c.started; });
    if (started == m_uart.end())
        return rc::uartNotStarted;
    const auto channel = static_cast<uint8_t>(started - m_uart.begin());
    while (*written < count && m_uartRx.size() < kQueueLimit) {
        ZaMoUartFrame block{};
        block.timestampUs = nowUs;
        block.channel = channel;
        const int32_t chunk = std::min<int32_t>(count - *written, static_cast<int32_t>(sizeof block.data));
        std::memcpy(block.data, bytes + *written, static_cast<std::size_t>(chunk));
        block.length = static_cast<uint32_t>(chunk);
        m_uartRx.push_back(block);
        *written += chunk;
    }
    return rc::ok;
}

int32_t BusLoopback::readUart(uint8_t* bytes, int32_t maxCount, int32_t* count)
{
    *count = 0;
    if (!m_uartOpen)
        return m_uart.empty() ? rc::functionNotValidForBoard : rc::uartNotOpen;
    m_uartLent.clear();
    while (*count < maxCount && !m_uartRx.empty()) {
        const ZaMoUartFrame& front = m_uartRx.front();
        const std::size_t available = front.length - m_uartFrontOffset;
        const std::size_t n = std::min(available, static_cast<std::size_t>(maxCount - *count));
        std::memcpy(bytes + *count, front.data + m_uartFrontOffset, n);
        *count += static_cast<int32_t>(n);
        m_uartFrontOffset += n;
        if (m_uartFrontOffset >= front.length) {
            m_uartRx.pop_front();
            m_uartFrontOffset = 0;
        }
    }
    return rc::ok;
}

int32_t BusLoopback::readUartRaw(ZaMoUartFrame** frames, int32_t* count)
{
    *frames = nullptr;
    *count = 0;
    if (!m_uartOpen)
        return m_uart.empty() ? rc::functionNotValidForBoard : rc::uartNotOpen;
    const std::size_t n = std::min(m_uartRx.size(), kLendLimit);
    m_uartLent.assign(m_uartRx.begin(), m_uartRx.begin() + static_cast<std::ptrdiff_t>(n));
    if (!m_uartLent.empty() && m_uartFrontOffset > 0) {
        // Bytes already read byte-wise are not handed out again.
        ZaMoUartFrame& first = m_uartLent.front();
        std::memmove(first.data, first.data + m_uartFrontOffset, first.length - m_uartFrontOffset);
        first.length -= static_cast<uint32_t>(m_uartFrontOffset);
    }
    *frames = m_uartLent.empty() ? nullptr : m_uartLent.data();
    *count = static_cast<int32_t>(n);
    return rc::ok;
}

int32_t BusLoopback::freeUart(int32_t count)
{
    if (!m_uartOpen)
        return m_uart.empty() ? rc::functionNotValidForBoard : rc::uartNotOpen;
    const std::size_t n = std::min(static_cast<std::size_t>(std::max(count, 0)), m_uartLent.size());
    m_uartRx.erase(m_uartRx.begin(), m_uartRx.begin() + static_cast<std::ptrdiff_t>(n));
    if (n > 0)
        m_uartFrontOffset = 0;
    m_uartLent.clear();
    return rc::ok;
}

} // namespace zmpxi_sim
