#pragma once
// Receiving side of the nodes' data connections. Listens on the data port of every local
// address; a connected node opens its data path to us, and what it sends fills the per-board
// CAN and UART streams that the remote read operations take from. A connection from an address
// without an open data path is closed at once.

#include "qorinet_api/client/qorinet_data_client_node.h"

#include "uni/allowed_networks.h"
#include "uni/osal.h"
#include "uni/ip_address_pair.h"
#include "uni/socket_set.h"
#include "uni/tcp_socket.h"
#include "uni/thread.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qorinet_api {

class QORINetDataClient : public uni::Thread {
public:
    /// Driver command answered here instead of by the node: streaming switch of a board.
    static constexpr std::int32_t kCmdStreaming = 39;
    /// Driver command that restarts a board's acquisition; its queued data is dropped first.
    static constexpr std::int32_t kCmdAcquisitionStart = 4;
    /// GetParam commands answered here: CAN frames and UART bytes of a board that arrived
    /// while its queue was full and were dropped (a reader slower than the bus), here or on
    /// the node.
    static constexpr std::int32_t kCmdCanLost = 0x4C01;
    static constexpr std::int32_t kCmdUartLost = 0x4C02;

    explicit QORINetDataClient(const uni::AllowedNetworks& allowed = uni::AllowedNetworks::process());
    ~QORINetDataClient() override;

    /// New data port and local address list; the listeners follow on the thread's next step.
    void configure(std::uint16_t dataPort, const uni::ipv4::IpAddressPairList& local);
    /// The addresses listened on now (after the thread applied the last configure()).
    uni::ipv4::IpAddressPairList listening() const;
    std::uint16_t dataPort() const { return m_dataPort.load(); }

    /// Opens the data path of a node that just connected (replacing an older one of that id).
    void openNode(std::uint32_t nodeId, std::uint32_t boardCount, const std::string& address);
    /// Closes a node's data path; nothing for an unknown id.
    void closeNode(std::uint32_t nodeId);
    /// The open data path of a node; null when none.
    std::shared_ptr<QORINetDataClientNode> node(std::uint32_t nodeId) const;
    /// Runs `call` on the node's data path; ECONNECTION when the node has none.
    template <typename Call>
    std::int32_t onNode(std::uint32_t nodeId, Call&& call) const
    {
        const std::shared_ptr<QORINetDataClientNode> path = node(nodeId);
        return path ? call(*path) : uni::osal::ERR_UNI_OSAL_ECONNECTION;
    }

    /// Remote SetParam_i32 hook: true when the command is answered here (`result` set).
    bool answerSetParam(std::uint32_t nodeId, std::int32_t board, std::int32_t command, std::int64_t value,
                        std::int32_t& result);
    /// Remote GetParam hook: true when answered here (`value` and `result` set).
    bool answerGetParam(std::uint32_t nodeId, std::int32_t board, std::int32_t command, std::int64_t& value,
                        std::int32_t& result);
    /// Told before a SetParam request goes to the node.
    void beforeSetParam(std::uint32_t nodeId, std::int32_t board, std::int32_t command, std::int64_t value);

    // Stream reads of the remote node; 700002 without an open data path, else as the node's.
    std::int32_t readCan(std::uint32_t nodeId, std::int32_t board, ZaMoCanFrame* frames, std::int32_t& count);
    std::int32_t readCanRaw(std::uint32_t nodeId, std::int32_t board, ZaMoCanFrame*& frames, std::int32_t& count);
    std::int32_t freeCan(std::uint32_t nodeId, std::int32_t board, std::int32_t count);
    std::int32_t readUart(std::uint32_t nodeId, std::int32_t board, std::uint8_t* bytes, std::int32_t& count);
    std::int32_t readUartRaw(std::uint32_t nodeId, std::int32_t board, ZaMoUartFrame*& frames, std::int32_t& count);
    std::int32_t freeUart(std::uint32_t nodeId, std::int32_t board, std::int32_t count);

protected:
    void run() override;

private:
    struct Listener {
        uni::ipv4::IpAddressPair address;
        std::unique_ptr<uni::TCPSocket> socket;
    };

    void step();
    void applyConfiguration();
    void rebuildSet();
    void acceptFrom(uni::TCPSocket& listener);
    std::shared_ptr<QORINetDataClientNode> nodeByAddress(const std::string& address) const;
    void closeAll();
    bool answerLost(std::uint32_t nodeId, std::int32_t board, bool can, std::int64_t& value, std::int32_t& result);

    const uni::AllowedNetworks m_allowed;

    mutable std::mutex m_configLock;
    uni::ipv4::IpAddressPairList m_wanted;
    std::atomic<std::uint16_t> m_dataPort;
    std::atomic<bool> m_configChanged{false};

    mutable std::mutex m_nodesLock;
    std::map<std::uint32_t, std::shared_ptr<QORINetDataClientNode>> m_nodes;
    std::atomic<bool> m_nodesChanged{false};

    // Data thread only.
    std::vector<Listener> m_listeners;
    std::vector<std::shared_ptr<QORINetDataClientNode>> m_watched; ///< keeps sockets of the set alive
    uni::SocketSet m_set;
    mutable std::mutex m_listeningLock;
    uni::ipv4::IpAddressPairList m_listening;
};

} // namespace qorinet_api
