#pragma once
// One network node reached from a short-lived program run (the command line): a net client on
// all interfaces (within QORINET_ALLOWED_NETWORKS), discovery for a bounded time, and at most
// one node connected with the command layer on top. Answers come to a port of the session's
// own, so that the window or another run on this computer never takes them away. Everything
// is stopped again when the session goes away. Not thread-safe: one caller.

#include "core/network_node_record.h"
#include "core/node_address_check.h"
#include "core/network_node_summary.h"
#include "driver/command/qorin_node_util_wrapper.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qorinet_api {
class QORINetIfClientNode;
}

namespace z2e {

class NodeLink;

class RemoteNodeSession {
public:
    enum class Found { None, AnnouncedOnly, Connectable };

    /// Nothing runs before start(); the client uses `basePort` and, besides its broadcasts,
    /// asks `directNode` (an address, or none when empty) and the remembered nodes
    /// (RememberedNodes) by unicast at every scan.
    explicit RemoteNodeSession(std::uint16_t basePort, const std::string& directNode = {});
    /// The same, asking each of `directNodes` by unicast at every scan.
    RemoteNodeSession(std::uint16_t basePort, const std::vector<std::string>& directNodes);
    /// Disconnects the node and stops the client.
    ~RemoteNodeSession();
    RemoteNodeSession(const RemoteNodeSession&) = delete;
    RemoteNodeSession& operator=(const RemoteNodeSession&) = delete;

    /// Before start(): the client works on this one address of the computer and its network
    /// only, instead of every interface.
    void useLocalNetwork(const uni::ipv4::IpAddressPair& local);
    /// Starts the client; 0, else the node-side code (700000 + n) of why it cannot run.
    std::int32_t start();
    /// The computer's networks the client works on now, named after their interfaces.
    std::vector<NodeAddressCheck::LocalNetwork> localNetworks() const;
    /// Lets discovery run for `scanMs`, then lists the nodes in list order.
    std::vector<NetworkNodeSummary> discover(std::uint32_t scanMs);
    /// The client could not listen for the nodes' answers: another program holds its port.
    bool listenFailed() const;
    /// Waits at most `scanMs` until every node at `addresses` answers scans (those that never do
    /// only make it wait longer), then lists the nodes in list order.
    std::vector<NetworkNodeSummary> discoverAll(const std::vector<std::string>& addresses, std::uint32_t scanMs);
    /// Waits at most `scanMs` until the node at `address` answers a scan and is not tainted.
    Found findNode(const std::string& address, std::uint32_t scanMs);
    /// Connects the node findNode() saw and readies the command layer; the result of connect
    /// (700012 when no node was seen). Its requests may be kept alive by heartbeats for at most
    /// `requestCeilingMs` (0: the client's default of 15 minutes).
    std::int32_t connect(std::uint32_t requestCeilingMs = 0);
    /// The record of the node findNode() saw, with the API version and the board temperatures
    /// asked when `connected`.
    NetworkNodeRecord record(bool connected);

    /// A ready command layer over the node findNode() saw (null before), for the maintenance
    /// requests: rename after connect(), restart, reboot and IP configuration without.
    std::shared_ptr<QorinNodeUtilWrapper> maintenance();

    /// The command layer of the connected node; valid after connect().
    QorinNodeUtilWrapper& wrapper();

    /// A link of its own to the node at `address` in the list (null when none is there), for
    /// reading many nodes at once; the session outlives it. Any thread.
    std::unique_ptr<NodeLink> link(const std::string& address) const;

    /// The allowed networks as text, for messages.
    static std::string allowedNetworks();
    /// How many nodes the client keeps at most; a list this long may leave nodes out.
    static std::size_t maxNodes();

private:
    struct Client;
    std::unique_ptr<Client> m_client;
    std::unique_ptr<NodeLink> m_link;
};

} // namespace z2e
