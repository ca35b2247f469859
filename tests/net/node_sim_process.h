#pragma once
// Runs qorinet-node-sim (from the folder of the test program) as a child process on a free
// base port and a loopback address, for tests against a real node on the wire. The child
// gets its own work folder, removed again by stop().

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace net_test {

class NodeSimProcess {
public:
    NodeSimProcess() = default;
    ~NodeSimProcess();
    NodeSimProcess(const NodeSimProcess&) = delete;
    NodeSimProcess& operator=(const NodeSimProcess&) = delete;

    /// A base port P whose control, scan, answer and maintenance ports (P, P+1, P+2, P+6)
    /// are free right now on `address`.
    static std::uint16_t freeBasePort(const std::string& address);

    /// Starts the simulator with --bind `address`, --base-port (free unless given) and `extra`
    /// arguments, and waits up to 20 s for its "ready" line. False when it exits or never
    /// gets ready; output() then tells why.
    bool start(const std::string& address, const std::vector<std::string>& extra = {}, std::uint16_t basePort = 0);
    /// Sends SIGTERM and waits; returns the exit status (-1 when it had to be killed).
    int stop();
    /// Sends a signal to the running child.
    void signal(int number) const;

    std::uint16_t basePort() const { return m_basePort; }
    pid_t pid() const { return m_pid; }
    /// Everything the child printed to stdout up to "ready" (or its end).
    const std::string& output() const { return m_output; }
    /// Path of the simulator program.
    static std::string programPath();

private:
    pid_t m_pid = -1;
    int m_stdout = -1;
    std::uint16_t m_basePort = 0;
    std::string m_workDir;
    std::string m_output;
};

} // namespace net_test
