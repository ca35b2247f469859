#pragma once
// The window's network side: the network client, the queue it reports node events into and the
// event pump that reads that queue. Only the GUI thread calls it.

#include "core/network_client_settings.h"
#include "core/node_address_check.h"
#include "core/node_event_pump.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qorinet_api {
class QORINetClient;
class QORINetClientNode;
struct QORINetClientConfig;
} // namespace qorinet_api
namespace uni {
class EventQueue;
}

namespace z2e {

class NetworkClientHost {
public:
    /// `sink` gets the pump's calls (on the pump thread).
    explicit NetworkClientHost(NodeEventPump::Sink sink);
    /// shutdown().
    ~NetworkClientHost();
    NetworkClientHost(const NetworkClientHost&) = delete;
    NetworkClientHost& operator=(const NetworkClientHost&) = delete;

    /// The client configuration: all interfaces; no network for Off; else the one address and
    /// mask (none when they are not valid); the remembered nodes are asked directly. The client never makes a local
    /// node: the window reads the local system itself.
    static qorinet_api::QORINetClientConfig clientConfig(const NetworkClientSettings& settings);

    /// Replaces the client: the pump and the old client stop, a new client with `settings` gets
    /// a fresh queue (so no event of the old one is read), starts, and the pump starts again.
    /// 0, or the client's start failure (the pump then runs anyway, the client's failure logged).
    int restart(const NetworkClientSettings& settings);
    /// The pump stops first (it reads the client), then the client; no thread of either is left.
    void shutdown();
    bool running() const { return m_client != nullptr; }

    /// The network node with this id in the current client, or null.
    std::shared_ptr<qorinet_api::QORINetClientNode> remoteNode(std::uint32_t id) const;
    bool holds(std::uint32_t id) const { return remoteNode(id) != nullptr; }
    /// Closes the link to node `id`, waking a request that waits on it; any thread.
    void disconnectNode(std::uint32_t id) const;
    /// Waits at most `timeoutMs` until node `id` answers scans as free (held by no client);
    /// false when it did not. Any thread but the client's.
    bool waitUntilFree(std::uint32_t id, int timeoutMs) const;
    /// The sync state of the node of `record` when the current client still holds it at the
    /// record's address; nothing when it is gone, or the id now names another node (an event
    /// of a former client).
    std::optional<std::uint32_t> syncStateOf(const NetworkNodeRecord& record) const;
    /// Why the current client hears no node, in words ("" while it listens or is still opening
    /// its socket): the port of the nodes' answers is taken, with the program holding it when
    /// this computer tells. Any thread.
    std::string listenFailure() const;
    /// The current client's discovery socket is open (its loop runs).
    bool listening() const;
    /// The current client's scan interval; 0 without a client.
    std::uint32_t scanIntervalMs() const;
    /// From the next scan on, the current client asks `addresses` directly besides its broadcasts.
    void askDirectly(const std::vector<std::string>& addresses) const;
    /// The computer's networks the current client works on, named after their interfaces.
    std::vector<NodeAddressCheck::LocalNetwork> localNetworks() const;

private:
    NodeEventPump::Sink m_sink;
    std::unique_ptr<uni::EventQueue> m_queue;
    std::unique_ptr<qorinet_api::QORINetClient> m_client;
    std::unique_ptr<NodeEventPump> m_pump;
};

} // namespace z2e
