#pragma once
// All nodes of one simulator process and the loop thread that serves their listening
// sockets and the shared discovery socket. Control connections run on threads of their own
// (ControlSession); the loop sends their heartbeats, reaps them, and carries out the
// maintenance actions (restart, reboot, new address).

#include "discovery_responder.h"
#include "maintenance_handler.h"
#include "node_sim_options.h"
#include "sim_node.h"

#include "uni/socket_set.h"
#include "uni/thread.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace nodesim {

class NodeBackend;

class NodeFleet : public uni::Thread {
public:
    NodeFleet(const NodeSimOptions& options, NodeBackend& backend);
    ~NodeFleet() override;

    /// Creates the nodes on their addresses and opens every socket. False with `error` set
    /// when an address is not allowed or a socket cannot be bound; nothing stays open then.
    bool open(std::string& error);
    /// Ends every session and closes every socket (after stop()).
    void close();

    const std::vector<std::unique_ptr<SimNode>>& nodes() const { return m_nodes; }
    DiscoveryResponder& discovery() { return m_discovery; }

    /// The addresses of `count` nodes from `first` on, skipping host numbers 0 and 255 of the
    /// last octet. False with `error` set when one is not allowed.
    static bool nodeAddresses(const NodeSimOptions& options, std::vector<uni::ipv4::IpAddressPair>& out,
                              std::string& error);

protected:
    void run() override;

private:
    enum class Role { Discovery, DirectScan, Control, Maintenance };
    struct Entry {
        Role role;
        SimNode* node;
    };

    void step();
    void acceptControl(SimNode& node);
    void acceptMaintenance(SimNode& node);
    void carryOut(SimNode& node, const MaintenanceHandler::Outcome& outcome);
    void reconfigure(SimNode& node, const MaintenanceHandler::Outcome& outcome);
    void housekeeping();
    void rebuildSet();
    bool addressTaken(std::uint32_t address) const;
    std::string nodeName(unsigned index, const uni::ipv4::IpAddressPair& address) const;

    const NodeSimOptions& m_options;
    NodeBackend& m_backend;
    DiscoveryResponder m_discovery;
    std::vector<std::unique_ptr<SimNode>> m_nodes;
    std::vector<SimNode*> m_toAnnounce;
    uni::SocketSet m_set;
    std::unordered_map<const uni::Socket*, Entry> m_roles;
    bool m_setDirty = true;
};

} // namespace nodesim
