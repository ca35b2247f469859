#pragma once
// Which program holds a local port, read from /proc: for messages that tell the operator what
// to close. Only processes this user may look into are seen; a socket on the port that none of
// them holds is kept by the owner's user id, so that a message can say whose it is.

#include <cstdint>
#include <string>
#include <vector>

namespace uni {

class PortHolder {
public:
    enum class Protocol { Udp, Tcp };

    struct Process {
        int pid = 0;
        std::string name;
    };

    struct Holders {
        std::vector<Process> processes;
        /// User ids of sockets on the port that no process seen here holds (another user's,
        /// or one that ended meanwhile).
        std::vector<std::uint32_t> unseenOwners;
    };

    /// The holders of `port` (IPv4 or IPv6; TCP: listening sockets only), at most a few.
    static Holders of(Protocol protocol, std::uint16_t port);
    /// The processes with a UDP socket bound to `port`.
    static std::vector<Process> ofUdpPort(std::uint16_t port);
    /// "zamo2explorer (process 1234)", several joined by " and ", or "" when none is seen.
    static std::string describeUdpPort(std::uint16_t port);
    /// The processes as describeUdpPort() words them.
    static std::string describe(const std::vector<Process>& processes);
};

} // namespace uni
