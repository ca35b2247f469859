#pragma once
// The CAN frames and UART blocks one board of a network node has sent over the data
// connection, waiting to be read. Reads behave like the driver's: ReadCAN / ReadDmaUart take
// entries out; the raw variants lend the pending entries until the matching free removes them.
// Not thread-safe; the owning data client node locks around every call.

#include "zmpxi_api.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace qorinet_api {

class QORINetDataStream {
public:
    /// Entries held per queue; what arrives beyond is dropped and counted.
    static constexpr std::size_t kQueueLimit = 65536;
    /// Entries one raw read lends at most.
    static constexpr std::size_t kLendLimit = 4096;

    /// Appends frames; returns how many fitted.
    std::size_t pushCan(const ZaMoCanFrame* frames, std::size_t count);
    /// Appends one block (its length already checked); false when the queue is full.
    bool pushUart(const ZaMoUartFrame& block);

    /// Moves up to `count` frames out; `count` becomes the number moved. 0.
    std::int32_t readCan(ZaMoCanFrame* frames, std::int32_t& count);
    /// Lends the pending frames (at most kLendLimit) until freeCan or the next read. 0.
    std::int32_t readCanRaw(ZaMoCanFrame*& frames, std::int32_t& count);
    /// Removes up to `count` lent frames. 0.
    std::int32_t freeCan(std::int32_t count);

    /// Moves up to `count` payload bytes out, across blocks; `count` becomes the number moved.
    std::int32_t readUart(std::uint8_t* bytes, std::int32_t& count);
    std::int32_t readUartRaw(ZaMoUartFrame*& frames, std::int32_t& count);
    std::int32_t freeUart(std::int32_t count);

    std::size_t pendingCan() const { return m_can.size(); }
    std::size_t pendingUart() const { return m_uart.size(); }
    /// CAN frames and UART bytes dropped because their queue was full, or on the node before
    /// they were sent; a clear keeps the counts.
    std::uint64_t canLost() const { return m_canLost; }
    std::uint64_t uartLost() const { return m_uartLost; }
    /// Counts entries the node says it dropped.
    void addLost(bool can, std::uint64_t count);
    void clear();

private:
    std::deque<ZaMoCanFrame> m_can;
    std::vector<ZaMoCanFrame> m_canLent;
    std::deque<ZaMoUartFrame> m_uart;
    std::size_t m_uartFrontOffset = 0; ///< bytes of the first block already read byte-wise
    std::vector<ZaMoUartFrame> m_uartLent;
    std::uint64_t m_canLost = 0;
    std::uint64_t m_uartLost = 0;
};

} // namespace qorinet_api
