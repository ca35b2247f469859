#include "support/node_sim.h"

#include "support/net.h"

namespace z2e::test {

bool NodeSimProcess::start(const std::string& address, const std::vector<std::string>& extra, std::uint16_t basePort)
{
    m_basePort = basePort ? basePort : freeClientBasePort({address});
    m_workFolder = std::make_unique<ScratchFolder>("z2e-nodesim");
    std::vector<std::string> args = {
        "--bind", address, "--base-port", std::to_string(m_basePort), "--work-dir", m_workFolder->path()};
    args.insert(args.end(), extra.begin(), extra.end());
    // A fleet of hundreds of nodes takes a while on a loaded machine.
    return m_basePort != 0 && m_process.start(besideMe("qorinet-node-sim"), args) &&
           m_process.waitForOutput("ready\n", std::chrono::seconds(60));
}

} // namespace z2e::test
