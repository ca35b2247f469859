#pragma once
// The discovery side of all nodes of this process: one datagram socket on 0.0.0.0, port
// P + 1, shared through address reuse with other simulators on the machine, so that every
// process receives each broadcast scan and answers for its own nodes. A scan sent to one node's
// address reaches that node's own scan socket instead, whichever process runs it.

#include "node_sim_options.h"

#include "uni/udp_socket.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace nodesim {

class NodeBackend;
class SimNode;

class DiscoveryResponder {
public:
    DiscoveryResponder(const NodeSimOptions& options, NodeBackend& backend);

    /// Binds the scan socket. 0 or a negative socket result.
    int open();
    void close();
    uni::UDPSocket& socket() { return m_socket; }

    /// Reads one datagram and, for a valid scan request from an allowed address, answers it
    /// for every node in `nodes` that is listening.
    void receive(const std::vector<std::unique_ptr<SimNode>>& nodes);
    /// The same for a scan sent to `node`'s own address, answered for that node alone.
    void receiveDirect(SimNode& node);
    /// Broadcasts the announcement (command 8) of `node` on its network.
    void announce(SimNode& node);

    /// The sync state every node reports; SIGUSR1 flips it between 1 and 2.
    void toggleSyncState();
    unsigned syncState() const { return m_syncState.load(); }

    /// Scan requests answered and datagrams dropped so far.
    std::uint64_t answeredCount() const { return m_answered.load(); }
    std::uint64_t droppedCount() const { return m_dropped.load(); }

private:
    /// One datagram from `socket`: true for a valid scan request from an allowed address, with
    /// where the answer goes.
    bool readScan(uni::UDPSocket& socket, std::string& sender, std::uint16_t& answerPort);
    void answer(SimNode& node, const std::string& clientAddress, std::uint16_t port);
    void send(SimNode& node, std::uint16_t command, const std::string& clientAddress, std::uint32_t destination,
              std::uint16_t port);

    const NodeSimOptions& m_options;
    NodeBackend& m_backend;
    uni::UDPSocket m_socket;
    std::vector<std::uint8_t> m_buffer;
    std::atomic<unsigned> m_syncState{1};
    std::atomic<std::uint64_t> m_answered{0};
    std::atomic<std::uint64_t> m_dropped{0};
};

} // namespace nodesim
