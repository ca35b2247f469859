#pragma once
// Lets one log client on the network find this computer (log-server scans over UDP on base
// port + 3) and receive the queued log messages over one TCP connection (base port + 5). A
// second log client is accepted and closed at once. The batch layout of the log frames is in
// docs/qorinet-client.md.

#include "qorinet_api/common/frame_buffer.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include "uni/allowed_networks.h"
#include "uni/ip_address_pair.h"
#include "uni/socket_set.h"
#include "uni/tcp_socket.h"
#include "uni/thread.h"
#include "uni/udp_socket.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qorinet_api {

class QORINetLogServer : public uni::Thread {
public:
    /// Command of a log-server scan and of its answer.
    static constexpr std::uint16_t kCmdLogScan = 4;
    static constexpr std::uint16_t kCmdLogScanAnswer = 5;
    /// Command of a log batch; a log client ends its session with command 1.
    static constexpr std::uint16_t kCmdLogBatch = 6;
    /// "cmd-version" of the scan answer.
    static constexpr std::uint32_t kAnswerCmdVersion = 257;
    /// Messages kept while no log client is connected; older ones are dropped first.
    static constexpr std::size_t kQueueLimit = 1024;
    /// Largest message queued; longer texts are cut.
    static constexpr std::size_t kMaxMessage = 4096;

    explicit QORINetLogServer(const uni::AllowedNetworks& allowed = uni::AllowedNetworks::process());
    ~QORINetLogServer() override;

    /// Port triple base P, node mode word and software version reported in scan answers, and
    /// the local address list. Call before doConfigureServer().
    void configure(std::uint16_t basePort, const uni::ipv4::IpAddressPairList& local, std::uint32_t mode = 1,
                   const std::string& swVersion = "0.1.0");
    /// Opens the accept sockets and the scan socket; on failure the thread will end at once.
    /// 0 or the first failure.
    int doConfigureServer();
    /// Address changes from the client; applied by the server thread.
    void handleNewAddresses(const uni::ipv4::IpAddressPairList& added);
    void handleRemoveAddresses(const uni::ipv4::IpAddressPairList& removed);
    /// Closes the log connection and all accept sockets.
    void closeConnections();

    /// Queues one message for the log client. Thread-safe.
    void queueMessage(const std::string& message);
    std::size_t queuedMessages() const;
    /// True while a log client is connected.
    bool logClientConnected() const { return m_connected.load(); }

    std::uint16_t scanPort() const { return static_cast<std::uint16_t>(m_basePort + proto::kLogScanPortOffset); }
    std::uint16_t logPort() const { return static_cast<std::uint16_t>(m_basePort + proto::kThirdPortOffset); }
    /// Addresses with an accept socket now.
    uni::ipv4::IpAddressPairList acceptAddresses() const;

protected:
    void run() override;

private:
    struct Acceptor {
        uni::ipv4::IpAddressPair address;
        std::unique_ptr<uni::TCPSocket> socket;
    };

    int configureAcceptSockets();
    int configureScanSocket();
    bool openAcceptor(const uni::ipv4::IpAddressPair& address);
    void applyAddressChanges();
    void rebuildSet();
    void step();
    void readLogConnection();
    void acceptLogClient(uni::TCPSocket& acceptor);
    void handleScan();
    void answerScan(const std::string& xml, const std::string& sender);
    void sendQueued();
    void closeLogConnection();
    void publishAcceptors();

    const uni::AllowedNetworks m_allowed;
    std::uint16_t m_basePort = proto::kDefaultBasePort;
    std::uint32_t m_mode = 1;
    std::string m_swVersion;
    uni::ipv4::IpAddressPairList m_local;
    bool m_failed = false;
    bool m_scanFailed = false;

    // Server thread only (and the configuration steps before it starts).
    uni::UDPSocket m_scanSocket;
    std::vector<Acceptor> m_acceptors;
    std::unique_ptr<uni::TCPSocket> m_logConnection;
    uni::SocketSet m_set;
    FrameBuffer m_receiveBuffer;
    FrameBuffer m_sendBuffer;

    mutable std::mutex m_pendingLock;
    uni::ipv4::IpAddressPairList m_pendingAdded;
    uni::ipv4::IpAddressPairList m_pendingRemoved;
    std::atomic<bool> m_pending{false};

    mutable std::mutex m_queueLock;
    std::deque<std::string> m_queue;

    mutable std::mutex m_acceptLock;
    uni::ipv4::IpAddressPairList m_acceptAddresses;
    std::atomic<bool> m_connected{false};
};

} // namespace qorinet_api
