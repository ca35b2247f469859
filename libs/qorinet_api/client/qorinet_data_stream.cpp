#include "qorinet_api/client/qorinet_data_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qorinet_api {

namespace {

std::size_t nonNegative(std::int32_t value)
{
    return value < 0 ? 0u : static_cast<std::size_t>(value);
}

} // namespace

std::size_t QORINetDataStream::pushCan(const ZaMoCanFrame* frames, std::size_t count)
{
    const std::size_t room = kQueueLimit - std::min(kQueueLimit, m_can.size());
    const std::size_t taken = std::min(room, count);
    m_can.insert(m_can.end(), frames, frames + taken);
    m_canLost += count - taken;
    return taken;
}

void QORINetDataStream::addLost(bool can, std::uint64_t count)
{
    // The node's word is not trusted to stay in range: the count stops at its largest value.
    std::uint64_t& lost = can ? m_canLost : m_uartLost;
    lost += std::min(count, std::numeric_limits<std::uint64_t>::max() - lost);
}

bool QORINetDataStream::pushUart(const ZaMoUartFrame& block)
{
    if (m_uart.size() >= kQueueLimit) {
        // Counted in bytes, as the node's driver counts what it drops.
        addLost(false, std::min<std::uint64_t>(block.length, sizeof block.data));
        return false;
    }
    m_uart.push_back(block);
    return true;
}

std::int32_t QORINetDataStream::readCan(ZaMoCanFrame* frames, std::int32_t& count)
{
    const std::size_t n = std::min(nonNegative(count), m_can.size());
    std::copy(m_can.begin(), m_can.begin() + static_cast<std::ptrdiff_t>(n), frames);
    m_can.erase(m_can.begin(), m_can.begin() + static_cast<std::ptrdiff_t>(n));
    m_canLent.clear();
    count = static_cast<std::int32_t>(n);
    return 0;
}

std::int32_t QORINetDataStream::readCanRaw(ZaMoCanFrame*& frames, std::int32_t& count)
{
    const std::size_t n = std::min(m_can.size(), kLendLimit);
    m_canLent.assign(m_can.begin(), m_can.begin() + static_cast<std::ptrdiff_t>(n));
    frames = m_canLent.empty() ? nullptr : m_canLent.data();
    count = static_cast<std::int32_t>(n);
    return 0;
}

std::int32_t QORINetDataStream::freeCan(std::int32_t count)
{
    const std::size_t n = std::min(nonNegative(count), m_canLent.size());
    m_can.erase(m_can.begin(), m_can.begin() + static_cast<std::ptrdiff_t>(n));
    m_canLent.clear();
    return 0;
}

std::int32_t QORINetDataStream::readUart(std::uint8_t* bytes, std::int32_t& count)
{
    const std::size_t limit = nonNegative(count);
    std::size_t moved = 0;
    m_uartLent.clear();
    while (moved < limit && !m_uart.empty()) {
        const ZaMoUartFrame& front = m_uart.front();
        const std::size_t n = std::min<std::size_t>(front.length - m_uartFrontOffset, limit - moved);
        std::memcpy(bytes + moved, front.data + m_uartFrontOffset, n);
        moved += n;
        m_uartFrontOffset += n;
        if (m_uartFrontOffset >= front.length) {
            m_uart.pop_front();
            m_uartFrontOffset = 0;
        }
    }
    count = static_cast<std::int32_t>(moved);
    return 0;
}

std::int32_t QORINetDataStream::readUartRaw(ZaMoUartFrame*& frames, std::int32_t& count)
{
    const std::size_t n = std::min(m_uart.size(), kLendLimit);
    m_uartLent.assign(m_uart.begin(), m_uart.begin() + static_cast<std::ptrdiff_t>(n));
    if (!m_uartLent.empty() && m_uartFrontOffset > 0) {
        // Bytes already read byte-wise are not handed out again.
        ZaMoUartFrame& first = m_uartLent.front();
        std::memmove(first.data, first.data + m_uartFrontOffset, first.length - m_uartFrontOffset);
        first.length -= static_cast<std::uint32_t>(m_uartFrontOffset);
    }
    frames = m_uartLent.empty() ? nullptr : m_uartLent.data();
    count = static_cast<std::int32_t>(n);
    return 0;
}

std::int32_t QORINetDataStream::freeUart(std::int32_t count)
{
    const std::size_t n = std::min(nonNegative(count), m_uartLent.size());
    m_uart.erase(m_uart.begin(), m_uart.begin() + static_cast<std::ptrdiff_t>(n));
    if (n > 0)
        m_uartFrontOffset = 0;
    m_uartLent.clear();
    return 0;
}

void QORINetDataStream::clear()
{
    m_can.clear();
    m_canLent.clear();
    m_uart.clear();
    m_uartLent.clear();
    m_uartFrontOffset = 0;
}

} // namespace qorinet_api
