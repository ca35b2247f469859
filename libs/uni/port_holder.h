#pragma once
// Which program holds a local UDP port, read from /proc: for messages that tell the operator
// what to close. Only processes this user may look into are seen.

#include <cstdint>
#include <string>
#include <vector>

namespace uni {

class PortHolder {
public:
    struct Process {
        int pid = 0;
        std::string name;
    };

    /// The processes with a UDP socket bound to `port` (IPv4 or IPv6), at most a few.
    static std::vector<Process> ofUdpPort(std::uint16_t port);
    /// "zamo2explorer (process 1234)", several joined by " and ", or "" when none is seen.
    static std::string describeUdpPort(std::uint16_t port);
};

} // namespace uni
