#pragma once
// Network set-up of tests: ports nobody uses, and network namespaces of their own.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace z2e::test {

/// A base port P with a client's ports (datagrams on P+1, P+2, P+3; streams on 127.0.0.1 at P+5
/// and P+10) and a node's ports (streams at P and P+6 on each of `nodeAddresses`) free right
/// now, so that a client and its node simulators can share it. 0 when none was found.
std::uint16_t freeClientBasePort(const std::vector<std::string>& nodeAddresses = {"127.0.0.1"});

/// A UDP socket bound on 0.0.0.0 for the life of the object, as another program would hold
/// the port; `port` 0 takes one the system chooses.
class HeldUdpPort {
public:
    explicit HeldUdpPort(std::uint16_t port = 0);
    ~HeldUdpPort();
    HeldUdpPort(const HeldUdpPort&) = delete;
    HeldUdpPort& operator=(const HeldUdpPort&) = delete;
    /// The bound port; 0 when the bind failed.
    std::uint16_t port() const { return m_port; }

private:
    int m_socket;
    std::uint16_t m_port = 0;
};

/// Runs the ip tool; its exit code.
int runIp(const std::vector<std::string>& args);

/// Runs `body` on a thread that moved into a fresh network namespace (namespaces belong to
/// threads), which vanishes with it. Returns why that is impossible, or an empty text.
std::string inFreshNetworkNamespace(const std::function<void()>& body);

} // namespace z2e::test
