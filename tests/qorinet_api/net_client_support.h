#pragma once
// Shared pieces of the net client tests: an event log over the client's queue and the
// loopback-only configuration every test starts from.

#include "support/eventually.h"
#include "support/net.h"

#include "qorinet_api/client/qorinet_client.h"

#include "uni/allowed_networks.h"
#include "uni/event_queue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace z2e::test {

struct NodeEvent {
    std::uint32_t code = 0;
    std::uint32_t node = 0; ///< 0 for events without a node
    bool operator==(const NodeEvent& other) const { return code == other.code && node == other.node; }
};

/// Collects what the client pushes into its queue.
class EventLog {
public:
    uni::EventQueue* queue() { return &m_queue; }
    /// Takes queued events until `done` holds for the whole history or `timeoutMs` passed.
    bool waitUntil(const std::function<bool(const std::vector<NodeEvent>&)>& done, int timeoutMs);
    bool waitFor(std::uint32_t code, std::uint32_t node, int timeoutMs);
    /// Takes what arrives within `quietMs` and returns the whole history.
    std::vector<NodeEvent> settle(int quietMs);
    std::size_t count(std::uint32_t code, std::uint32_t node) const;
    std::vector<NodeEvent> history() const { return m_history; }
    void clear() { m_history.clear(); }

private:
    bool takeOne(std::uint32_t timeoutMs);

    uni::EventQueue m_queue;
    std::vector<NodeEvent> m_history;
};

/// Only loopback: whatever the environment says, these tests never touch a real network.
uni::AllowedNetworks loopbackOnly();

/// Explicit address list 127.0.0.1/8, the given base port and scan interval, all node kinds.
qorinet_api::QORINetClientConfig loopbackConfig(std::uint16_t basePort, std::uint32_t scanIntervalMs);

/// The remote node with this address once the client lists it in scan state 3 or 5; null after
/// `timeoutMs`.
std::shared_ptr<qorinet_api::QORINetClientNode> waitForNode(const qorinet_api::QORINetClient& client,
                                                            const std::string& address, int timeoutMs);

} // namespace z2e::test
