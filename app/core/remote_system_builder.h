#pragma once
// Builds what the program shows of a network node: the plain record of the node (as discovery
// and its control connection know it) and, from that record, the remote system's tree. The main
// window uses it when a node is selected and when its event pump reports a node; zamo2ctl uses it
// for `tree --node`. No Qt, no locks of its own: the node's getters lock what they read.

#include "core/network_node_record.h"

#include "qorinet_api/client/qorinet_client_node.h"

#include <cstdint>
#include <vector>

namespace qorinet_api {
class QORINetIfClientNode;
}

namespace z2e {

class RootNode;

class RemoteSystemBuilder {
public:
    /// Most slots one enclosure of a network node is shown with; larger counts are capped.
    static constexpr std::uint32_t kMaxSlots = 256;

    /// The record of `node` now: identity, addresses, versions the node announced, enclosures
    /// with their boards placed (an enclosure whose first slot number the node does not name
    /// takes it from a board's description read over the link, when there is one), connection
    /// state and access flags. The API version is only
    /// known after readApiVersion().
    static NetworkNodeRecord recordOf(const qorinet_api::QORINetClientNode& node);

    /// Established once the node answered a scan (scan states 3 and 5) and is not tainted;
    /// Announced while it is only announced or has stopped answering; Unknown before.
    static std::uint32_t connectionStateOf(const qorinet_api::QORINetClientNode& node);

    /// One record per enclosure with one slot per slot, each board placed by its enclosure and
    /// slot index. Slots are numbered as the node's driver counts them (its first slot number
    /// plus the slot index), as an enclosure of this computer shows them; from 1 when the node
    /// does not name its first slot number. A board outside every enclosure, or in a
    /// slot already taken, is left out of the slots (it stays in the board list).
    static std::vector<NetworkEnclosureRecord>
    enclosureRecords(const std::vector<qorinet_api::QORINetClientNode::EnclosureInfo>& enclosures,
                     const std::vector<qorinet_api::QORINetClientNode::BoardInfo>& boards);

    /// Asks a connected node for the version of its acquisition API and stores it in `record`.
    /// The node's result; the record keeps its text when the request fails.
    static std::int32_t readApiVersion(qorinet_api::QORINetIfClientNode& node, NetworkNodeRecord& record);
    /// readApiVersion() for a node just linked; a node that does not answer it is marked
    /// unreadable, so that its tree explains the failure instead of showing versions.
    static void readLinked(qorinet_api::QORINetIfClientNode& node, NetworkNodeRecord& record);
    /// Marks `record` as a node that could not be linked or read because of `failure`.
    static void markUnreadable(NetworkNodeRecord& record, std::int32_t failure);

    /// Carries what `before` learnt over the link (the API version, the temperatures of boards
    /// still in their slots) into `now`, a later record of the same node made without asking it.
    static void keepReadings(const NetworkNodeRecord& before, NetworkNodeRecord& now);

    /// Clears `root` and fills it from `record`: enclosures with slot states, node information
    /// and, while the link is not established, the communication-problem rows.
    static void fillRoot(RootNode& root, const NetworkNodeRecord& record);
};

} // namespace z2e
