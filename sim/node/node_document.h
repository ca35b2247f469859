#pragma once
// The document of a scan answer (command 3) or an announcement (command 8): the node's
// network base, its hardware and, while a client holds it, that client.

#include <string>

namespace nodesim {

class NodeInventory;
class SimNode;

struct NodeDocumentFacts {
    bool simulation = false;
    unsigned syncState = 1;
    std::string clientAddress;  ///< empty in announcements
    std::string claimedAddress; ///< net-addr instead of the node's own; empty: its own
};

class NodeDocument {
public:
    /// Version texts the node reports about its own software.
    /// The server ships with the driver it runs on, so it carries that driver's version.
    static constexpr const char* kServerVersion = "2.6.50112.0";
    static constexpr const char* kFirmwareVersion = "2.5.12";

    /// The XML text for `node` with the hardware of `inventory`, never longer than one
    /// datagram takes: when it would be, texts are cut to 64 bytes, and lists shortened if
    /// that is not enough.
    static std::string build(const SimNode& node, const NodeInventory& inventory, const NodeDocumentFacts& facts);
};

} // namespace nodesim
