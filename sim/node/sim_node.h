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
    /// Sessions a node serves at once. A further client takes the place of the session idle
    /// longest; while every session is busy it waits (at most kMaxWaiting of them, each for
    /// kWaitLimitMs), and beyond that its connection is closed at once.
    static constexpr std::size_t kMaxSessions = 8;
    static constexpr std::size_t kMaxWaiting = 8;
    static constexpr std::uint32_t kWaitLimitMs = 5000;

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
    /// Which socket the last openSockets() could not open, in words.
    const std::string& openFailure() const { return m_openFailure; }
    void closeSockets();
    bool listening() const { return m_control.isOpen(); }
    /// Moves the node to another address (sockets must be closed).
    void setAddress(const uni::ipv4::IpAddressPair& address);

    uni::TCPSocket& controlListener() { return m_control; }
    uni::TCPSocket& maintenanceListener() { return m_maintenance; }
    uni::UDPSocket& sender() { return m_sender; }
    /// Scans sent to this node's address (P + 1 on it): being bound to the address, it gets them
    /// before any simulator's socket on 0.0.0.0.
    uni::UDPSocket& scanSocket() { return m_scan; }

    /// Takes a new session and starts it, or keeps it waiting for room; false (session
    /// dropped) when even the waiting places are taken.
    bool adopt(std::unique_ptr<ControlSession> session);
    std::size_t sessionCount() const { return m_sessions.size(); }
    /// Sends due heartbeats of every session.
    void beat();
    /// Joins and drops sessions whose connection ended, then starts waiting ones that have
    /// room and gives up on those that waited too long.
    void reap();
    /// Ends every session: closes the connections and waits for them.
    void endSessions();

    /// While the node reboots: silent until this stamp (microseconds, uni::Timer clock).
    void setDownUntil(std::uint64_t stampUs) { m_downUntilUs = stampUs; }
    std::uint64_t downUntil() const { return m_downUntilUs; }

private:
    /// Makes room for one session: true when there is room, or an idle session gave way.
    bool makeRoom();
    void start(std::unique_ptr<ControlSession> session);

    struct Waiting {
        std::uint64_t sinceUs;
        std::unique_ptr<ControlSession> session;
    };

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
    uni::UDPSocket m_scan;
    std::string m_openFailure;
    std::vector<std::unique_ptr<ControlSession>> m_sessions;
    std::vector<Waiting> m_waiting; ///< oldest first
    std::uint64_t m_downUntilUs = 0;
};

} // namespace nodesim
