#include "data_link.h"

#include "node_backend.h"

#include "qorinet_api/client/qorinet_data_frame.h"
#include "qorinet_api/common/payload_writer.h"

#include "uni/log.h"
#include "uni/osal.h"
#include "uni/timer.h"
#include "zmpxi/driver_api.h"

#include <algorithm>
#include <iterator>

namespace nodesim {

namespace {

constexpr const char* kChannel = "nodesim";
constexpr std::uint32_t kConnectTimeoutMs = 500;
constexpr std::uint32_t kRetryMs = 200;
constexpr std::uint32_t kRetryMaxMs = 3200;
constexpr int kLoansPerTurn = 64;
constexpr std::int32_t kBusChannels = 4;
constexpr std::int32_t kLostProperty = 4; // what the driver's full queue dropped: CAN frames, UART bytes
constexpr std::int64_t kKeepAliveUs = 1000000;

void appendCan(std::vector<std::uint8_t>& out, const ZaMoCanFrame& frame)
{
    std::uint8_t record[qorinet_api::kDataCanRecordSize] = {};
    qorinet_api::PayloadWriter::storeU64(record, frame.timestampUs);
    qorinet_api::PayloadWriter::storeU32(record + 8, frame.id);
    record[12] = frame.channel;
    record[13] = frame.flags;
    record[14] = frame.dlc;
    std::copy(frame.data, frame.data + sizeof frame.data, record + 16);
    out.insert(out.end(), record, record + sizeof record);
}

void appendUart(std::vector<std::uint8_t>& out, const ZaMoUartFrame& block)
{
    std::uint8_t head[qorinet_api::kDataUartRecordHeader] = {};
    const std::uint32_t length = std::min<std::uint32_t>(block.length, sizeof block.data);
    qorinet_api::PayloadWriter::storeU64(head, block.timestampUs);
    head[8] = block.channel;
    qorinet_api::PayloadWriter::storeU32(head + 12, length);
    out.insert(out.end(), head, head + sizeof head);
    out.insert(out.end(), block.data, block.data + length);
}

using Driver = qorinet_api::QORINetIfClientNode;

// How the frames of one bus kind are taken from the driver and laid into a data block.
template <class Frame>
struct BusStream {
    std::uint8_t blockType;
    std::int32_t (Driver::*read)(std::int32_t, Frame*&, std::int32_t&);
    std::int32_t (Driver::*release)(std::int32_t, std::int32_t);
    void (*append)(std::vector<std::uint8_t>&, const Frame&);
};

const BusStream<ZaMoCanFrame> kCanStream{qorinet_api::DATA_BLOCK_CAN, &Driver::ReadCANRawFrame, &Driver::FreeFramesCAN,
                                         appendCan};
const BusStream<ZaMoUartFrame> kUartStream{qorinet_api::DATA_BLOCK_UART, &Driver::ReadDmaUartRawFrame,
                                           &Driver::FreeDmaUartRawFrame, appendUart};

// A block per loan until a board's queue is empty (the driver lends a few hundred at a time,
// and a busy bus fills more than that between two turns); false as soon as one cannot be sent.
template <class Frame, class Send>
bool drain(Driver& driver, const std::set<std::int32_t>& boards, const BusStream<Frame>& bus, Send send)
{
    for (const std::int32_t board : boards) {
        for (int loan = 0; loan < kLoansPerTurn; ++loan) {
            Frame* frames = nullptr;
            std::int32_t count = 0;
            if ((driver.*bus.read)(board, frames, count) > 0 || count <= 0 || !frames)
                break;
            std::vector<std::uint8_t> payload;
            for (std::int32_t i = 0; i < count; ++i)
                bus.append(payload, frames[i]);
            (driver.*bus.release)(board, count);
            if (!send(bus.blockType, static_cast<std::uint32_t>(board), payload))
                return false;
        }
    }
    return true;
}

/// What the node's driver dropped on `bus` for `board` so far (CAN frames, UART bytes), all channels;
/// -1 when it cannot tell.
std::int64_t driverLost(std::int32_t board, std::uint8_t bus)
{
    const auto& fn = z2e::driverApi().fn;
    const auto get = bus == qorinet_api::kDataLostCan ? fn.ZaMoGetChannelPropCAN : fn.ZaMoGetChannelPropDmaUart;
    if (!get)
        return -1;
    std::int64_t total = 0;
    for (std::int32_t channel = 0; channel < kBusChannels; ++channel) {
        std::int64_t lost = 0;
        if (get(board, channel, kLostProperty, &lost) == 0 && lost > 0)
            total += lost;
    }
    return total;
}

} // namespace

DataLink::DataLink(NodeBackend& backend, std::string localAddress, std::string clientAddress, std::uint16_t port,
                   std::uint32_t everyMs)
    : uni::Thread("QORINet_Node_Data", false), m_backend(backend), m_localAddress(std::move(localAddress)),
      m_clientAddress(std::move(clientAddress)), m_port(port), m_everyMs(everyMs)
{
}

DataLink::~DataLink()
{
    stop();
}

void DataLink::watchCan(std::int32_t board, bool on)
{
    watch(board, on, m_can);
}

void DataLink::watchUart(std::int32_t board, bool on)
{
    watch(board, on, m_uart);
}

void DataLink::watch(std::int32_t board, bool on, BusWatch& watched)
{
    // What the driver dropped before the watch began is not this path's: the count starts here,
    // not at the pump's next turn, which may come after a burst the queue could not hold.
    const std::int64_t before = on ? driverLost(board, watched.bus) : -1;
    std::lock_guard<std::mutex> lock(m_lock);
    if (!on) {
        watched.boards.erase(board);
        watched.lostFrom.erase(board);
    } else if (watched.boards.insert(board).second) {
        watched.lostFrom[board] = before;
    }
}

void DataLink::run()
{
    uni::Timer sinceKeepAlive;
    // A client that keeps refusing or dropping us is asked less and less often; a connection
    // that has lasted a keep-alive period starts the count again.
    std::uint32_t retryMs = kRetryMs;
    const auto retry = [&] {
        m_socket.close();
        pause(retryMs);
        retryMs = std::min(retryMs * 2, kRetryMaxMs);
    };
    while (!stopRequested()) {
        if (!m_socket.isOpen()) {
            if (!connectOnce()) {
                retry();
                continue;
            }
            sinceKeepAlive.restart();
        }
        if (peerClosed() || !pump()) {
            retry();
            continue;
        }
        if (sinceKeepAlive.elapsedUs() >= kKeepAliveUs) {
            sinceKeepAlive.restart();
            if (!sendBlock(qorinet_api::DATA_BLOCK_KEEPALIVE, 0, {})) {
                retry();
                continue;
            }
            retryMs = kRetryMs;
        }
        pause(m_everyMs);
    }
    m_socket.close();
}

bool DataLink::connectOnce()
{
    m_socket.setLocalEnd(m_localAddress, 0);
    m_socket.setRemoteEnd(m_clientAddress, m_port);
    m_socket.setSendTimeout(kConnectTimeoutMs);
    m_socket.setReceiveTimeout(1);
    if (m_socket.connect() != 0)
        return false;
    ++m_connections;
    UNI_LOG(kChannel, uni::log::info) << "data connection " << m_localAddress << " -> " << m_clientAddress << ":"
                                      << m_port;
    return true;
}

// The client never sends on this connection; readable means it closed it.
bool DataLink::peerClosed()
{
    std::uint8_t scratch[64];
    const int got = m_socket.receive(scratch, sizeof scratch, true);
    return got == 0 || (got < 0 && got != uni::osal::SOCK_ETIMEOUT);
}

bool DataLink::pump()
{
    std::set<std::int32_t> can;
    std::set<std::int32_t> uart;
    std::map<std::int32_t, std::int64_t> canFrom;
    std::map<std::int32_t, std::int64_t> uartFrom;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        can = m_can.boards;
        uart = m_uart.boards;
        canFrom.swap(m_can.lostFrom);
        uartFrom.swap(m_uart.lostFrom);
    }
    const auto send = [this](std::uint8_t type, std::uint32_t board, const std::vector<std::uint8_t>& payload) {
        return sendBlock(type, board, payload);
    };
    Driver& driver = m_backend.driver();
    return drain(driver, can, kCanStream, send) && tellLost(can, canFrom, m_can) &&
           drain(driver, uart, kUartStream, send) && tellLost(uart, uartFrom, m_uart);
}

bool DataLink::tellLost(const std::set<std::int32_t>& boards, const std::map<std::int32_t, std::int64_t>& watchedFrom,
                        BusWatch& watched)
{
    std::map<std::int32_t, std::int64_t>& toldSoFar = watched.lostTold;
    const std::uint8_t bus = watched.bus;
    for (auto it = toldSoFar.begin(); it != toldSoFar.end();)
        it = boards.count(it->first) ? std::next(it) : toldSoFar.erase(it);
    for (const std::int32_t board : boards) {
        const std::int64_t lost = driverLost(board, bus);
        if (lost < 0)
            continue;
        const auto from = watchedFrom.find(board);
        if (from != watchedFrom.end() && from->second >= 0)
            toldSoFar[board] = from->second; // watched anew since the last turn
        const auto told = toldSoFar.emplace(board, lost);
        if (told.second || lost <= told.first->second) {
            told.first->second = lost;
            continue;
        }
        std::vector<std::uint8_t> record(qorinet_api::kDataLostRecordSize, 0);
        record[0] = bus;
        qorinet_api::PayloadWriter::storeU64(record.data() + 8, static_cast<std::uint64_t>(lost - told.first->second));
        // Told only once sent: a count the connection lost goes on the next one.
        if (!sendBlock(qorinet_api::DATA_BLOCK_LOST, static_cast<std::uint32_t>(board), record))
            return false;
        told.first->second = lost;
    }
    return true;
}

bool DataLink::sendBlock(std::uint8_t type, std::uint32_t board, const std::vector<std::uint8_t>& payload)
{
    const std::vector<std::uint8_t> frame =
        qorinet_api::encodeDataFrame(type, board, payload.data(), payload.size(), true);
    return m_socket.send(frame.data(), frame.size()) == static_cast<int>(frame.size());
}

void DataLink::pause(std::uint32_t ms)
{
    uni::Timer timer;
    while (!stopRequested() && timer.elapsedUs() < static_cast<std::int64_t>(ms) * 1000)
        uni::Timer::sleepMs(std::min<std::uint32_t>(10, ms));
}

} // namespace nodesim
