#include "cli_remote_session.h"

#include "cli_output.h"

#include "core/node_result_text.h"

#include "driver/command/driver_result.h"

#include <iostream>

namespace z2e {
namespace cli {

RemoteSession::RemoteSession(const CliOptions& options)
    : m_options(options), m_scanMs(options.scanMs != 0 ? options.scanMs : kDefaultScanMs),
      m_session(options.basePort, options.node)
{
    if (const auto local = localNetworkOf(options.localNetwork))
        m_session.useLocalNetwork(*local);
}

bool RemoteSession::start()
{
    const std::int32_t code = m_session.start();
    if (DriverResult::meaningOf(code) == ResultMeaning::Ok)
        return true;
    reportFailure("start",
                  "the network client did not start (" + std::to_string(code) + " " + DriverResult::networkName(code) +
                      ")",
                  code);
    return false;
}

int RemoteSession::locate(bool connectable)
{
    if (!start())
        return EXIT_NODE_UNAVAILABLE;
    const std::string& address = m_options.node;
    const RemoteNodeSession::Found found = m_session.findNode(address, m_scanMs);
    if (found == RemoteNodeSession::Found::None) {
        return reportFailure("discover",
                             "no network node at " + address + " appeared within " + std::to_string(m_scanMs) +
                                 " ms (networks: " + RemoteNodeSession::allowedNetworks() + ")",
                             DriverResult::codeOf(ResultMeaning::Timeout));
    }
    if (connectable && found != RemoteNodeSession::Found::Connectable) {
        return reportFailure("discover",
                             "the network node at " + address + " announced itself but answered no scan within " +
                                 std::to_string(m_scanMs) + " ms",
                             DriverResult::codeOf(ResultMeaning::Unreachable));
    }
    return EXIT_OK;
}

int RemoteSession::open()
{
    const int located = locate(true);
    if (located != EXIT_OK)
        return located;
    const std::int32_t result = connect();
    return !DriverResult::succeeded(result) ? reportFailure("connect", connectFailureText(result), result) : EXIT_OK;
}

std::int32_t RemoteSession::connect()
{
    const std::uint32_t limit = commandTimeoutSeconds(m_options);
    return m_session.connect((limit != 0 ? limit : kNodeWaitSeconds) * 750u);
}

std::string RemoteSession::connectFailureText(std::int32_t result) const
{
    return "cannot connect to the network node at " + m_options.node + ": " + failureAdvice(result);
}

int RemoteSession::reportFailure(const std::string& stage, const std::string& message, std::int32_t result) const
{
    std::cerr << "zamo2ctl: " << message << "\n";
    if (m_options.json) {
        Report report;
        report.add("stage", stage);
        report.add("node", m_options.node);
        report.add("message", message);
        report.add("result", static_cast<std::int64_t>(result));
        report.add("resultText", resultWords(result));
        std::cout << report.render(true);
    }
    return EXIT_NODE_UNAVAILABLE;
}

} // namespace cli
} // namespace z2e
