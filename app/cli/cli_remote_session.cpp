#include "cli_remote_session.h"

#include "cli_output.h"

#include "uni/allowed_networks.h"
#include "uni/osal.h"

#include <chrono>
#include <iostream>

namespace z2e {
namespace cli {
namespace {

using qorinet_api::QORINetClientNode;
using Clock = std::chrono::steady_clock;

qorinet_api::QORINetClientConfig clientConfig(const CliOptions& options)
{
    qorinet_api::QORINetClientConfig config;
    config.mode = qorinet_api::QORINetClientConfig::MODE_ALL_INTERFACES;
    config.basePort = options.basePort;
    config.localNodeMask = 0; // the local boards are the driver's business, not the client's
    return config;
}

std::uint32_t msUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<std::uint32_t>(left) : 0;
}

} // namespace

RemoteSession::RemoteSession(const CliOptions& options)
    : m_options(options), m_scanMs(options.scanMs != 0 ? options.scanMs : kDefaultScanMs),
      m_client(clientConfig(options))
{
}

RemoteSession::~RemoteSession()
{
    if (m_wrapper)
        m_wrapper->setReady(false);
    if (m_node && m_node->isConnected())
        m_node->disconnect();
    m_wrapper.reset();
    m_node.reset();
    if (m_started)
        m_client.stopClient();
}

bool RemoteSession::start()
{
    m_client.attachEventQueue(&m_events);
    const int started = m_client.startClient();
    if (started != 0) {
        const std::int32_t code = uni::osal::toNodeCode(started);
        reportFailure("start",
                      "the network client did not start (" + std::to_string(code) + " " + uni::osal::errorName(code) +
                          ")",
                      code);
        return false;
    }
    m_started = true;
    return true;
}

std::vector<std::shared_ptr<QORINetClientNode>> RemoteSession::discover()
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_scanMs);
    std::uint32_t code = 0;
    std::vector<std::uint8_t> data;
    // The events only pace the wait; the list is read once at the end.
    while (msUntil(deadline) > 0)
        m_events.pop(code, data, msUntil(deadline));
    return m_client.remoteNodes();
}

std::shared_ptr<QORINetClientNode> RemoteSession::nodeAt(const std::string& address) const
{
    for (const auto& node : m_client.remoteNodes())
        if (node->getAddress() == address)
            return node;
    return nullptr;
}

std::shared_ptr<QORINetClientNode> RemoteSession::findNode(const std::string& address)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_scanMs);
    std::uint32_t code = 0;
    std::vector<std::uint8_t> data;
    for (;;) {
        m_node = nodeAt(address);
        if (m_node && m_node->isConnectable() && !m_node->isTainted())
            return m_node;
        const std::uint32_t left = msUntil(deadline);
        if (left == 0)
            return m_node;
        m_events.pop(code, data, left);
    }
}

std::int32_t RemoteSession::connect()
{
    if (!m_node)
        return uni::osal::ERR_UNI_OSAL_ECONNECTION;
    const std::int32_t result = m_node->connect();
    m_wrapper = std::make_unique<QorinNodeUtilWrapper>(m_node);
    m_wrapper->setReady(result <= 0);
    return result;
}

int RemoteSession::locate(bool connectable)
{
    if (!start())
        return EXIT_NODE_UNAVAILABLE;
    const std::string& address = m_options.node;
    if (!findNode(address)) {
        return reportFailure("discover",
                             "no network node at " + address + " appeared within " + std::to_string(m_scanMs) +
                                 " ms (networks: " + uni::AllowedNetworks::process().toString() + ")",
                             uni::osal::ERR_UNI_OSAL_ETIMEOUT);
    }
    if (connectable && (!m_node->isConnectable() || m_node->isTainted())) {
        return reportFailure("discover",
                             "the network node at " + address + " announced itself but answered no scan within " +
                                 std::to_string(m_scanMs) + " ms",
                             uni::osal::ERR_UNI_OSAL_ECONNECTION);
    }
    return EXIT_OK;
}

int RemoteSession::open()
{
    const int located = locate(true);
    if (located != EXIT_OK)
        return located;
    const std::int32_t result = connect();
    return result > 0 ? reportFailure("connect", connectFailureText(result), result) : EXIT_OK;
}

std::string RemoteSession::connectFailureText(std::int32_t result) const
{
    return "cannot connect to the network node at " + m_options.node + " (" + std::to_string(result) + " " +
           uni::osal::errorName(result) + ")";
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
        report.add("resultText", std::string(uni::osal::errorName(result)));
        std::cout << report.render(true);
    }
    return EXIT_NODE_UNAVAILABLE;
}

} // namespace cli
} // namespace z2e
