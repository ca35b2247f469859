#pragma once
// The window's network side: the network client, the queue it reports node events into and the
// event pump that reads that queue. Only the GUI thread calls it.
//
// Records that the pump hands to the sink travel in queued signals; a record whose signal is
// never delivered (the window went first) is freed with the host, so none leaks.

#include "gui/window/node_event_pump.h"

#include "qorinet_api/client/qorinet_client_config.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>

namespace qorinet_api {
class QORINetClient;
class QORINetClientNode;
} // namespace qorinet_api
namespace uni {
class EventQueue;
}

namespace z2e {

class NetworkClientHost {
public:
    /// `sink` gets the pump's calls (on the pump thread).
    explicit NetworkClientHost(NodeEventPump::Sink sink);
    /// shutdown(), then the records still on their way are freed.
    ~NetworkClientHost();
    NetworkClientHost(const NetworkClientHost&) = delete;
    NetworkClientHost& operator=(const NetworkClientHost&) = delete;

    /// Replaces the client: the pump and the old client stop, a new client with `config` gets a
    /// fresh queue (so no event of the old one is read), starts, and the pump starts again.
    /// 0, or the client's start failure (the pump then runs anyway, the client's failure logged).
    int restart(const qorinet_api::QORINetClientConfig& config);
    /// The pump stops first (it reads the client), then the client; no thread of either is left.
    void shutdown();
    bool running() const { return m_client != nullptr; }

    /// The network node with this id in the current client, or null.
    std::shared_ptr<qorinet_api::QORINetClientNode> remoteNode(std::uint32_t id) const;
    /// The current client's scan interval; 0 without a client.
    std::uint32_t scanIntervalMs() const;
    /// The receiver of a record from the sink owns it from now on.
    void claim(const NetworkNodeRecord* record);

private:
    void handOut(NetworkNodeRecord* record);

    NodeEventPump::Sink m_sink;
    std::unique_ptr<uni::EventQueue> m_queue;
    std::unique_ptr<qorinet_api::QORINetClient> m_client;
    std::unique_ptr<NodeEventPump> m_pump;

    std::mutex m_pendingLock;
    std::set<const NetworkNodeRecord*> m_pending;
};

} // namespace z2e
