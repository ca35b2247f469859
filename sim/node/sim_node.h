#pragma once
// One simulated node: its identity and settings (shared with its control sessions), its
// listening sockets and its sessions (owned by the fleet's loop thread).

#include "uni/ip_address_pair.h"
#include "uni/tcp_socket.h"
#include "uni/udp_socket.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace nodesim {

class ControlSession;

/// The client that holds the node, as its hello described it.
struct ClientInfo {
    std::string address;
    std::string mask;
    std::uint32_t controlPort = 0;
};

class SimNode {
public:
    /// Sessions a node serves at once; further connections are closed at once.
    static constexpr std::size_t kMaxSessions = 8;

    SimNode(unsigned index, uni::ipv4::IpAddressPair address, std::uint16_t basePort, std::string name);
    ~SimNode();
    SimNode(const SimNode&) = delete;
    SimNode& operator=(const SimNode&) = delete;

    // ---- identity and settings: any thread -------------------------------------------------
    unsigned index() const { return m_index; }
    std::uint16_t basePort() const { return m_basePort; }
    uni::ipv4::IpAddressPair address() const;
    std::string name() const;
    void setName(const std::string& name);
    bool recording() const;
    void setRecording(bool recording);
    /// IP mode word of the last IP configuration (0: static).
    std::uint32_t ipMode() const;
    void setIpMode(std::uint32_t mode);
    /// The 64-bit value of the hello answer: fixed for one run of the node.
    std::uint64_t helloValue() const { return m_helloValue; }

    /// Marks the node as held by the client of `session`; release() with the same key ends it.
    void hold(const void* session, const ClientInfo& client);
    void release(const void* session);
    /// The client that held the node most recently among those still connected.
    std::optional<ClientInfo> holder() const;

    // ---- sockets and sessions: the loop thread only ------------------------------------------
    /// Opens the control and maintenance listeners and the datagram sender on the current
    /// address. 0, or the first negative socket result with everything closed again.
    int openSockets();
    void closeSockets();
    bool listening() const { return m_control.isOpen(); }
    /// Moves the node to another address (sockets must be closed).
    void setAddress(const uni::ipv4::IpAddressPair& address);

    uni::TCPSocket& controlListener() { return m_control; }
    uni::TCPSocket& maintenanceListener() { return m_maintenance; }
    uni::UDPSocket& sender() { return m_sender; }

    /// Takes a started session; false (session dropped) when the node is full.
    bool adopt(std::unique_ptr<ControlSession> session);
    std::size_t sessionCount() const { return m_sessions.size(); }
    /// Sends due heartbeats of every session.
    void beat();
    /// Joins and drops sessions whose connection ended.
    void reap();
    /// Ends every session: closes the connections and waits for them.
    void endSessions();

    /// While the node reboots: silent until this stamp (microseconds, uni::Timer clock).
    void setDownUntil(std::uint64_t stampUs) { m_downUntilUs = stampUs; }
    std::uint64_t downUntil() const { return m_downUntilUs; }

private:
    const unsigned m_index;
    const std::uint16_t m_basePort;
    const std::uint64_t m_helloValue;

    mutable std::mutex m_lock;
    uni::ipv4::IpAddressPair m_address;
    std::string m_name;
    bool m_recording = false;
    std::uint32_t m_ipMode = 0;
    std::vector<std::pair<const void*, ClientInfo>> m_holders;

    uni::TCPSocket m_control;
    uni::TCPSocket m_maintenance;
    uni::UDPSocket m_sender;
    std::vector<std::unique_ptr<ControlSession>> m_sessions;
    std::uint64_t m_downUntilUs = 0;
};

} // namespace nodesim
