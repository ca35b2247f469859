#pragma once
// The node simulator (qorinet-node-sim beside the running program) as a child process on a
// loopback address, with a work folder of its own.

#include "support/process.h"
#include "support/site.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace z2e::test {

class NodeSimProcess {
public:
    /// --bind `address`, --base-port (a free one unless given) and `extra`; waits for the
    /// simulator's "ready" line. False when it ended first or never got ready; output() says why.
    bool start(const std::string& address, const std::vector<std::string>& extra = {}, std::uint16_t basePort = 0);
    /// The exit code; -1 when it had to be killed.
    int stop() { return m_process.stop(); }
    void signal(int number) const { m_process.signal(number); }
    pid_t pid() const { return m_process.pid(); }

    std::uint16_t basePort() const { return m_basePort; }
    std::string output() const { return m_process.output() + m_process.errors(); }

private:
    std::unique_ptr<ScratchFolder> m_workFolder;
    BackgroundProcess m_process; // after the folder: the child ends before the folder goes
    std::uint16_t m_basePort = 0;
};

} // namespace z2e::test
