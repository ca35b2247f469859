#pragma once
// The data connection of one control session: the node connects to the data port its client
// named in the hello, and forwards what the driver receives on the watched CAN and UART boards
// as CAN and UART blocks, what the driver had to drop (CAN frames, UART bytes) as lost blocks, plus a
// keep-alive block every second. A refused or dropped connection
// is tried again while the session lasts (the client opens its side only after the hello),
// after a pause that grows from 0.2 s to 3.2 s while the client keeps refusing.

#include "qorinet_api/client/qorinet_data_frame.h"
#include "uni/tcp_socket.h"
#include "uni/thread.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace nodesim {

class NodeBackend;

class DataLink : public uni::Thread {
public:
    /// Forwards what the buses received every `everyMs`.
    DataLink(NodeBackend& backend, std::string localAddress, std::string clientAddress, std::uint16_t port,
             std::uint32_t everyMs = 20);
    ~DataLink() override;

    /// Forward the CAN frames (UART blocks) of `board` from now on, or no longer.
    void watchCan(std::int32_t board, bool on);
    void watchUart(std::int32_t board, bool on);

    /// Data connections made so far.
    unsigned connections() const { return m_connections.load(); }

protected:
    void run() override;
    void onStop() override { m_socket.close(); }

private:
    bool connectOnce();
    bool peerClosed();
    /// Forwards what waits on the watched boards; false when a send failed.
    bool pump();
    /// The boards watched on one bus and what the driver dropped there.
    struct BusWatch {
        std::uint8_t bus;                              ///< qorinet_api::kDataLostCan or kDataLostUart
        std::set<std::int32_t> boards;                 ///< guarded by m_lock
        std::map<std::int32_t, std::int64_t> lostFrom; ///< guarded by m_lock: where new watches began
        std::map<std::int32_t, std::int64_t> lostTold; ///< per watched board; the pump's own
    };

    void watch(std::int32_t board, bool on, BusWatch& watched);
    /// Tells the client what the driver dropped on the watch's bus (CAN frames, UART bytes) since
    /// the last time; `watchedFrom` has the count where a board's watch began since the last
    /// turn. False when a send failed.
    bool tellLost(const std::set<std::int32_t>& boards, const std::map<std::int32_t, std::int64_t>& watchedFrom,
                  BusWatch& watched);
    bool sendBlock(std::uint8_t type, std::uint32_t board, const std::vector<std::uint8_t>& payload);
    void pause(std::uint32_t ms);

    NodeBackend& m_backend;
    const std::string m_localAddress;
    const std::string m_clientAddress;
    const std::uint16_t m_port;
    const std::uint32_t m_everyMs;
    uni::TCPSocket m_socket;
    std::mutex m_lock;
    BusWatch m_can{qorinet_api::kDataLostCan, {}, {}, {}};
    BusWatch m_uart{qorinet_api::kDataLostUart, {}, {}, {}};
    std::atomic<unsigned> m_connections{0};
};

} // namespace nodesim
