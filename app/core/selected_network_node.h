#pragma once
// The network node whose tree the window shows, and the window's link to it. select() and
// release() talk to the node (connect, requests, goodbye): the window runs them on a worker
// behind its progress window and leaves the object alone meanwhile.

#include "core/network_node_record.h"

#include <cstdint>
#include <memory>

namespace qorinet_api {
class QORINetClientNode;
}

namespace z2e {

class NetworkClientHost;
class QorinNodeUtilWrapper;

class SelectedNetworkNode {
public:
    SelectedNetworkNode() = default;
    /// Stops an active node, as release() does.
    ~SelectedNetworkNode();
    SelectedNetworkNode(const SelectedNetworkNode&) = delete;
    SelectedNetworkNode& operator=(const SelectedNetworkNode&) = delete;

    /// Makes `node` the selected one: the link to the node selected so far is closed (unless it
    /// is the same node), a free node that is not tainted is connected, and its record is read,
    /// with the API version and the board temperatures over the link. A node that refuses the link gets a record whose
    /// link state is only "announced", so its tree explains the problem.
    NetworkNodeRecord select(std::shared_ptr<qorinet_api::QORINetClientNode> node);
    /// select() of the network node `id` of `host`'s client (none when it holds no such node).
    NetworkNodeRecord select(const NetworkClientHost& host, std::uint32_t id);
    /// Stops the selected node when it is active (recording off, link closed) and forgets it.
    void release();

    bool valid() const { return m_node != nullptr; }
    std::uint32_t id() const { return m_id; }
    const std::shared_ptr<qorinet_api::QORINetClientNode>& node() const { return m_node; }
    /// The window holds an open link to the node.
    bool active() const;
    /// The node may be worked on from here: linked to this program, or free for the taking.
    bool available() const;
    /// Another client holds the node (its answers name a holder, and it is not this program).
    bool heldByOtherClient() const;
    /// A ready command layer over the selected node, for the board tools; null when none is
    /// selected.
    std::shared_ptr<QorinNodeUtilWrapper> commands() const;

private:
    std::shared_ptr<qorinet_api::QORINetClientNode> m_node;
    std::uint32_t m_id = 0;
};

} // namespace z2e
