#pragma once
// The control link of one network node of a client's list, with the command layer on top. Several
// links of one client may work at once, each on its own thread; the client outlives them. The
// link is closed when it goes away.

#include "core/network_node_record.h"
#include "driver/command/qorin_node_util_wrapper.h"

#include <cstdint>
#include <memory>

namespace qorinet_api {
class QORINetClientNode;
}

namespace z2e {

class NodeLink {
public:
    explicit NodeLink(std::shared_ptr<qorinet_api::QORINetClientNode> node);
    ~NodeLink();
    NodeLink(const NodeLink&) = delete;
    NodeLink& operator=(const NodeLink&) = delete;

    /// Connects and readies the command layer; the result of connect. Requests may be kept alive
    /// by heartbeats for at most `requestCeilingMs` (0: the client's default).
    std::int32_t connect(std::uint32_t requestCeilingMs = 0);
    /// The node's record as its announcement tells, with the API version and the board
    /// temperatures asked when `connected`.
    NetworkNodeRecord record(bool connected);

    /// Valid after connect().
    QorinNodeUtilWrapper& wrapper() { return *m_wrapper; }
    qorinet_api::QORINetClientNode& node() { return *m_node; }

private:
    std::shared_ptr<qorinet_api::QORINetClientNode> m_node;
    std::unique_ptr<QorinNodeUtilWrapper> m_wrapper;
};

} // namespace z2e
