#pragma once
// CAN and UART channels of a board, wired back to themselves: what is written can be read back.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "zmpxi_api.h"

namespace zmpxi_sim {

class BusLoopback {
public:
    /// Frames or blocks held per board before writes are refused.
    static constexpr std::size_t kQueueLimit = 4096;

    BusLoopback(int canChannels, int uartChannels);

    int32_t openCan();
    int32_t closeCan();
    int32_t startCan(int32_t channel);
    int32_t stopCan(int32_t channel);
    int32_t canProperty(int32_t channel, int32_t property, int64_t* value) const;
    int32_t setCanProperty(int32_t channel, int32_t property, int64_t value);
    int32_t writeCan(const ZaMoCanFrame* frames, int32_t count, int32_t* written, std::uint64_t nowUs);
    int32_t readCan(ZaMoCanFrame* frames, int32_t maxCount, int32_t* count);
    /// Lends the pending frames without removing them; they stay valid until freeCan or the next call.
    int32_t readCanRaw(ZaMoCanFrame** frames, int32_t* count);
    int32_t freeCan(int32_t count);
    int32_t canErrorCount(int32_t channel, uint32_t* errors) const;

    int32_t openUart();
    int32_t closeUart();
    int32_t startUart(int32_t channel);
    int32_t stopUart(int32_t channel);
    int32_t uartProperty(int32_t channel, int32_t property, int64_t* value) const;
    int32_t setUartProperty(int32_t channel, int32_t property, int64_t value);
    int32_t writeUart(const uint8_t* bytes, int32_t count, int32_t* written, std::uint64_t nowUs);
    int32_t readUart(uint8_t* bytes, int32_t maxCount, int32_t* count);
    int32_t readUartRaw(ZaMoUartFrame** frames, int32_t* count);
    int32_t freeUart(int32_t count);

private:
    struct Channel {
        bool started = false;
        std::map<int32_t, int64_t> properties;
    };

    int32_t checkCanChannel(int32_t channel) const;
    int32_t checkUartChannel(int32_t channel) const;

    bool m_canOpen = false;
    bool m_uartOpen = false;
    std::vector<Channel> m_can;
    std::vector<Channel> m_uart;
    std::deque<ZaMoCanFrame> m_canRx;
    std::vector<ZaMoCanFrame> m_canLent;
    std::deque<ZaMoUartFrame> m_uartRx;
    std::size_t m_uartFrontOffset = 0; ///< bytes of the first block already read byte-wise
    std::vector<ZaMoUartFrame> m_uartLent;
};

} // namespace zmpxi_sim
