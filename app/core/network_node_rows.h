#pragma once
// The rows of a network node in the remote system: its enclosure with slot states, its
// information lines with version warnings, and the rows that explain a broken link.

#include "core/network_node_record.h"

#include <string>
#include <vector>

namespace z2e {

class EnclosureNode;
class ModelNode;
class RootNode;

class NetworkNodeRows {
public:
    /// Enclosure caption, a "SerialNumber" property and one slot-state row per slot.
    static void buildSlotStateNodes(EnclosureNode& enclosure, const NetworkEnclosureRecord& record);
    /// "Node Name" and "Node Info" (with warnings and the version and address lines) below `root`.
    static void buildNodeInfo(ModelNode& root, const NetworkNodeRecord& node);
    /// The communication-problem rows below `root`, only while the link is not established.
    static void buildCommunicationProblem(ModelNode& root, const NetworkNodeRecord& node);
    /// Clears `root` and fills it with the node's enclosures, information and problem rows.
    static void fillRemoteSystem(RootNode& root, const NetworkNodeRecord& node);

    /// Compares the first two dot-separated numbers: -1 when a is newer or either text has
    /// no dot, 1 when b is newer, 0 when both agree.
    static int compareVersions(const std::string& a, const std::string& b);
    /// The version warnings of a node in the order they are shown.
    static std::vector<std::string> versionWarnings(const NetworkNodeRecord& node);
    /// "Not Connected", "Occupied" or "Free".
    static std::string accessState(const NetworkNodeRecord& node);
};

} // namespace z2e
