#pragma once
// The discovery thread under the net client: owns the discovery (IDENT) socket, scans the local
// networks at a fixed rate, hands every answer and announcement to the packet handler, notices
// nodes that stop answering (startScan / finishScan) and follows changes of this computer's own
// addresses. The net client fills in the node-list side through the virtual operations.

#include "qorinet_api/client/discovery_statistics.h"
#include "qorinet_api/client/if_client_main_loop.h"
#include "qorinet_api/client/if_ip_config_storage.h"
#include "qorinet_api/client/net_address_observer.h"
#include "qorinet_api/client/qorinet_client_config.h"
#include "qorinet_api/client/qorinet_events.h"
#include "qorinet_api/common/qorinet_base.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include "uni/allowed_networks.h"
#include "uni/if_net_if_notification_handler.h"
#include "uni/if_net_if_provider.h"
#include "uni/thread.h"

#include <atomic>
#include <cstdio>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace qorinet_api {

/// One local address that came or went, as onReconfigure sees it.
struct AddressChange {
    uni::ipv4::IpAddressPair pair;
    std::uint32_t kind = ADDR_UNCHANGED;
};
using AddressChangeList = std::vector<AddressChange>;

class QORINetBaseClient : public uni::Thread, public QORINetBase, public IfIpConfigStorage {
public:
    /// `provider` (the machine's interfaces when null) and `allowed` are kept for the client's
    /// life.
    QORINetBaseClient(const QORINetClientConfig& config, const uni::AllowedNetworks& allowed,
                      std::shared_ptr<const uni::IfNetIfProvider> provider);
    ~QORINetBaseClient() override;

    uni::ipv4::IpAddressPairList ipConfigAddresses() const override;
    /// Counts the changes of ipConfigAddresses().
    std::uint64_t addressesVersion() const { return m_addressesVersion; }
    std::uint32_t ipConfigMode() const override;

    const proto::PortTriple& ports() const { return m_ports; }
    std::uint16_t basePort() const { return m_ports.control; }
    /// Nodes listen for scans here (P + 1).
    std::uint16_t scanPort() const { return static_cast<std::uint16_t>(m_ports.control + proto::kScanPortOffset); }
    /// Answers come back here: P + 2, or the client's own port once it is open.
    std::uint16_t identPort() const;
    /// The port the discovery socket binds: P + 2, or 0 (the system chooses) for a private one.
    std::uint16_t identBindPort() const;
    /// The discovery socket is open on `port`.
    void setIdentPortOpened(std::uint16_t port) { m_openedIdentPort = port; }
    /// Addresses asked by unicast at every scan (allowed ones only).
    void setDirectNodes(std::vector<std::string> addresses);
    std::vector<std::string> directNodes() const;
    std::uint32_t scanIntervalMs() const { return m_scanIntervalMs; }
    std::uint32_t scanWindowMs() const { return m_scanWindowMs; }
    const uni::AllowedNetworks& allowedNetworks() const { return m_allowed; }
    /// True while the discovery socket is open and the loop runs enabled.
    bool discoveryRunning() const { return m_discoveryRunning.load(); }
    /// The discovery socket could not be opened (its port taken): no node answers reach us.
    bool listenFailed() const { return m_listenFailed.load(); }
    /// Scans sent since start.
    std::uint64_t scanCount() const { return m_scanCount.load(); }
    /// The scan requests sent and the answers heard since start, for a diagnosis.
    const DiscoveryStatistics& statistics() const { return m_statistics; }
    bool stopping() const { return m_stopping.load(); }

    /// Stores a new address list and mode; reconfigures (on the discovery thread) only when
    /// they differ from the current ones.
    void doConfigureClient(const uni::ipv4::IpAddressPairList& addresses, std::uint32_t mode);

    /// Where the discovery thread says that it could not open its socket: standard output
    /// unless a program keeps that for its own results (a command-line tool's JSON).
    static void setMessageStream(std::FILE* stream);

    /// Entry of the platform's address notifications: queued for the discovery thread.
    void queueNetIfChange(const uni::NetIfNotification& notification);

protected:
    friend class NetEnabled;

    void run() override;
    void onStop() override;

    /// Every node in the list that is not tainted misses one more scan.
    virtual void startScan() = 0;
    /// Taints or removes the nodes whose missed-scan counter passed 2.
    virtual void finishScan() = 0;
    /// A scan request per local pair: directed broadcast, or unicast to the known link-local
    /// nodes on a link-local pair.
    virtual void sendScanRequests();
    /// The scan request of every direct node, from the local pair of its subnet (else the first).
    void sendDirectScanRequests(const uni::ipv4::IpAddressPairList& locals);
    /// One valid discovery datagram from `sender`.
    virtual void handlePacket(std::uint16_t command, const std::string& sender, const std::string& xml) = 0;
    /// Takes a node out of the list (raises EVENT_GOV_NODE_REMOVED).
    virtual void removeNode(std::uint32_t nodeId) = 0;
    virtual void onReconfigure(const AddressChangeList& changes) = 0;
    virtual void onReconfigureFinished() = 0;
    /// The current address list after addresses were added / removed.
    virtual void onAddressesAdded(const uni::ipv4::IpAddressPairList& current) = 0;
    virtual void onAddressesRemoved(const uni::ipv4::IpAddressPairList& current) = 0;
    virtual void startLocalDiscovery() = 0;
    virtual void stopLocalDiscovery() = 0;
    /// Addresses of the known nodes that are link-local (169.254.x.x).
    virtual std::vector<std::string> linkLocalNodeAddresses() const = 0;
    /// Work of the derived client on the discovery thread, once per loop pass.
    virtual void onLoopPass() {}

    DiscoveryStatistics& recordedStatistics() { return m_statistics; }
    /// Whether the enabled state is wanted (node-kind mask non-zero).
    void setNetworkEnabled(bool enabled) { m_networkEnabled = enabled; }
    /// Asks the discovery thread to reconfigure with these changes.
    void requestReconfigure(const AddressChangeList& changes);
    /// Reads the interfaces into the observer and makes them the address list (mode 1).
    void takeInterfaceAddresses();

    /// One scan-request datagram for the local pair `local`.
    std::vector<std::uint8_t> scanRequest(const uni::ipv4::IpAddressPair& local) const;
    /// Sends `datagram` to address:port from a socket opened for this one send.
    int sendPacketUDP(const std::string& address, std::uint16_t port, const std::vector<std::uint8_t>& datagram,
                      bool broadcast);

private:
    void handleAddressNotifications();
    void applyObserverChange(const NetAddressObserver::Change& change);
    void onNewAddresses(const uni::ipv4::IpAddressPairList& pairs);
    void onRemoveAddresses(const uni::ipv4::IpAddressPairList& pairs);
    bool probeAddress(const uni::ipv4::IpAddressPair& pair);
    void doReconfigure();
    std::unique_ptr<IfClientMainLoop> makeState();

    const uni::AllowedNetworks m_allowed;
    const std::shared_ptr<const uni::IfNetIfProvider> m_provider;
    proto::PortTriple m_ports;
    const std::uint32_t m_scanIntervalMs;
    const std::uint32_t m_scanWindowMs;
    const std::uint16_t m_probePort;
    const bool m_privateAnswerPort;
    std::atomic<std::uint16_t> m_openedIdentPort{0};
    const std::string m_swVersion;

    mutable std::mutex m_configLock;
    uni::ipv4::IpAddressPairList m_addresses;
    std::atomic<std::uint64_t> m_addressesVersion{0};
    std::vector<std::string> m_directNodes;
    std::uint32_t m_mode;

    std::atomic<bool> m_networkEnabled{true};
    std::unique_ptr<IfClientMainLoop> m_state;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_discoveryRunning{false};
    std::atomic<bool> m_listenFailed{false};
    std::atomic<std::uint64_t> m_scanCount{0};
    DiscoveryStatistics m_statistics;

    std::mutex m_pendingLock;
    std::vector<uni::NetIfNotification> m_notifications;
    AddressChangeList m_pendingChanges;
    bool m_reconfigure = false;
    std::atomic<bool> m_pending{false};

    std::mutex m_observerLock;
    NetAddressObserver m_observer;
};

} // namespace qorinet_api
