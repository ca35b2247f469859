#include "node_fleet.h"

#include "address_policy.h"
#include "control_session.h"
#include "node_backend.h"

#include "uni/log.h"
#include "uni/osal.h"
#include "uni/timer.h"

#include <arpa/inet.h>

namespace nodesim {

namespace {

constexpr const char* kChannel = "nodesim";
constexpr int kWaitMs = 20;
constexpr std::uint64_t kRetryUs = 1000000;

} // namespace

NodeFleet::NodeFleet(const NodeSimOptions& options, NodeBackend& backend)
    : uni::Thread("QORINet_Node_Sim"), m_options(options), m_backend(backend), m_discovery(options, backend)
{
}

NodeFleet::~NodeFleet()
{
    stop();
    close();
}

bool NodeFleet::nodeAddresses(const NodeSimOptions& options, std::vector<uni::ipv4::IpAddressPair>& out,
                              std::string& error)
{
    const auto first = uni::ipv4::parseAddress(options.bindAddress);
    const auto mask = uni::ipv4::parseAddress(options.netmask);
    if (!first || !mask) {
        error = "bad address or netmask";
        return false;
    }
    std::uint32_t host = ntohl(*first);
    out.clear();
    for (unsigned i = 0; i < options.nodes; ++i) {
        while ((host & 0xFFu) == 0 || (host & 0xFFu) == 0xFFu)
            ++host;
        const std::uint32_t address = htonl(host);
        if (!AddressPolicy::allowed(address)) {
            error = "address " + uni::ipv4::addressText(address) + " is outside the allowed networks (" +
                    AddressPolicy::describe() + ")";
            return false;
        }
        out.emplace_back(uni::ipv4::addressText(address), *mask);
        ++host;
    }
    return true;
}

std::string NodeFleet::nodeName(unsigned index, const uni::ipv4::IpAddressPair& address) const
{
    if (!m_options.name.empty())
        return m_options.nodes == 1 ? m_options.name : m_options.name + "-" + std::to_string(index);
    const std::uint32_t host = ntohl(address.addressValue().value_or(0));
    return "SimNode-" + std::to_string((host >> 8) & 0xFFu) + "." + std::to_string(host & 0xFFu);
}

bool NodeFleet::open(std::string& error)
{
    std::vector<uni::ipv4::IpAddressPair> addresses;
    if (!nodeAddresses(m_options, addresses, error))
        return false;
    if (m_discovery.open() != 0) {
        error = "cannot bind the scan socket on port " + std::to_string(m_options.basePort + 1);
        return false;
    }
    for (unsigned i = 0; i < addresses.size(); ++i) {
        auto node = std::make_unique<SimNode>(i, addresses[i], m_options.basePort, nodeName(i, addresses[i]));
        if (node->openSockets() != 0) {
            error = "cannot listen on " + addresses[i].address() + " port " + std::to_string(m_options.basePort) +
                    " or " + std::to_string(m_options.basePort + 6) + ": " + node->openFailure() + " failed";
            close();
            return false;
        }
        m_nodes.push_back(std::move(node));
    }
    // Before anyone is told the nodes are ready, so that a client started later never sees a
    // stray announcement.
    for (const auto& node : m_nodes)
        m_discovery.announce(*node);
    m_setDirty = true;
    return true;
}

void NodeFleet::close()
{
    for (const auto& node : m_nodes) {
        node->endSessions();
        node->closeSockets();
    }
    m_nodes.clear();
    m_toAnnounce.clear();
    m_discovery.close();
    m_set.clear();
    m_roles.clear();
}

void NodeFleet::run()
{
    while (!stopRequested())
        step();
}

void NodeFleet::step()
{
    for (SimNode* node : m_toAnnounce)
        m_discovery.announce(*node);
    m_toAnnounce.clear();
    if (m_setDirty)
        rebuildSet();

    uni::Socket* ready = nullptr;
    const int waited = m_set.wait(&ready, kWaitMs);
    if (waited == 0 && ready) {
        const auto found = m_roles.find(ready);
        if (found != m_roles.end()) {
            const Entry entry = found->second;
            if (entry.role == Role::Discovery)
                m_discovery.receive(m_nodes);
            else if (entry.role == Role::DirectScan)
                m_discovery.receiveDirect(*entry.node);
            else if (entry.role == Role::Control)
                acceptControl(*entry.node);
            else
                acceptMaintenance(*entry.node);
        }
    } else if (waited != uni::osal::SOCK_ETIMEOUT) {
        uni::Timer::sleepMs(kWaitMs);
    }
    housekeeping();
}

void NodeFleet::rebuildSet()
{
    m_set.clear();
    m_roles.clear();
    m_set.add(&m_discovery.socket());
    m_roles[&m_discovery.socket()] = Entry{Role::Discovery, nullptr};
    for (const auto& node : m_nodes) {
        if (!node->listening())
            continue;
        m_set.add(&node->controlListener());
        m_roles[&node->controlListener()] = Entry{Role::Control, node.get()};
        m_set.add(&node->maintenanceListener());
        m_roles[&node->maintenanceListener()] = Entry{Role::Maintenance, node.get()};
        if (node->scanSocket().isOpen()) {
            m_set.add(&node->scanSocket());
            m_roles[&node->scanSocket()] = Entry{Role::DirectScan, node.get()};
        }
    }
    m_setDirty = false;
}

void NodeFleet::acceptControl(SimNode& node)
{
    auto socket = std::make_unique<uni::TCPSocket>(uni::Socket::Locked);
    if (node.controlListener().accept(*socket) != 0)
        return;
    auto session = std::make_unique<ControlSession>(node, m_backend, m_options, std::move(socket));
    if (!node.adopt(std::move(session)))
        UNI_LOG(kChannel, uni::log::warning) << "node " << node.index() << ": control connection refused";
}

void NodeFleet::acceptMaintenance(SimNode& node)
{
    uni::TCPSocket connection;
    if (node.maintenanceListener().accept(connection) != 0)
        return;
    const auto outcome =
        MaintenanceHandler::serve(connection, node, [this](std::uint32_t address) { return addressTaken(address); });
    carryOut(node, outcome);
}

void NodeFleet::carryOut(SimNode& node, const MaintenanceHandler::Outcome& outcome)
{
    switch (outcome.action) {
    case MaintenanceHandler::Action::Restart:
        // A restarted server forgets its clients and looks at its boards again.
        node.endSessions();
        m_backend.refreshInventory();
        m_toAnnounce.push_back(&node);
        return;
    case MaintenanceHandler::Action::Reboot:
        node.endSessions();
        node.closeSockets();
        node.setDownUntil(uni::Timer::stampUs() + static_cast<std::uint64_t>(m_options.rebootMs) * 1000);
        m_setDirty = true;
        return;
    case MaintenanceHandler::Action::Reconfigure: reconfigure(node, outcome); return;
    case MaintenanceHandler::Action::None: return;
    }
}

void NodeFleet::reconfigure(SimNode& node, const MaintenanceHandler::Outcome& outcome)
{
    node.setIpMode(outcome.mode);
    const uni::ipv4::IpAddressPair previous = node.address();
    if (outcome.address == previous) {
        m_toAnnounce.push_back(&node);
        return;
    }
    node.endSessions();
    node.closeSockets();
    node.setAddress(outcome.address);
    if (node.openSockets() != 0) {
        UNI_LOG(kChannel, uni::log::warning) << "node " << node.index() << ": cannot move to "
                                             << outcome.address.address() << ", staying on " << previous.address();
        node.setAddress(previous);
        if (node.openSockets() != 0)
            node.setDownUntil(uni::Timer::stampUs() + kRetryUs);
    }
    m_setDirty = true;
    m_toAnnounce.push_back(&node);
}

void NodeFleet::housekeeping()
{
    const std::uint64_t now = uni::Timer::stampUs();
    for (const auto& node : m_nodes) {
        node->beat();
        node->reap();
        if (node->listening() || node->downUntil() == 0 || now < node->downUntil())
            continue;
        if (node->openSockets() == 0) {
            node->setDownUntil(0);
            m_toAnnounce.push_back(node.get());
            m_setDirty = true;
        } else {
            node->setDownUntil(now + kRetryUs);
        }
    }
}

bool NodeFleet::addressTaken(std::uint32_t address) const
{
    for (const auto& node : m_nodes) {
        if (node->address().addressValue() == address)
            return true;
    }
    return false;
}

} // namespace nodesim
