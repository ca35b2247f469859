#include "qorinet_api/client/qorinet_base_client.h"

#include "qorinet_api/client/net_disabled.h"
#include "qorinet_api/client/net_enabled.h"
#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/discovery_packet.h"

#include "uni/log.h"
#include "uni/net_if_provider.h"
#include "uni/osal.h"
#include "uni/tcp_socket.h"
#include "uni/timer.h"
#include "uni/udp_socket.h"

#include <algorithm>
#include <cstdio>

namespace qorinet_api {

namespace {

std::atomic<std::FILE*> g_messageStream{nullptr};

std::FILE* messageStream()
{
    std::FILE* stream = g_messageStream.load();
    return stream ? stream : stdout;
}

constexpr const char* kChannel = "tnbc";
constexpr const char* kObserverChannel = "tnnetobs";
constexpr int kProbeAttempts = 10;
constexpr std::uint32_t kProbeRetryMs = 1000;
constexpr std::uint32_t kSendTimeoutMs = 1000;

bool isLinkLocal(const std::string& address)
{
    return address.compare(0, 8, "169.254.") == 0;
}

proto::PortTriple portsOf(std::uint32_t basePort)
{
    // The whole triple must fit in 16 bits; anything else keeps the defaults.
    if (basePort == 0 || basePort + proto::kDataPortOffset > 0xFFFF) {
        if (basePort != 0)
            UNI_LOG(kChannel, uni::log::warning) << "base port " << basePort << " out of range, default kept";
        return proto::PortTriple();
    }
    return proto::PortTriple::fromBase(static_cast<std::uint16_t>(basePort));
}

std::shared_ptr<const uni::IfNetIfProvider> providerOrDefault(std::shared_ptr<const uni::IfNetIfProvider> provider)
{
    return provider ? std::move(provider) : std::make_shared<uni::NetIfProvider>();
}

} // namespace

QORINetBaseClient::QORINetBaseClient(const QORINetClientConfig& config, const uni::AllowedNetworks& allowed,
                                     std::shared_ptr<const uni::IfNetIfProvider> provider)
    : uni::Thread("QORINet_Discovery"), m_allowed(allowed), m_provider(providerOrDefault(std::move(provider))),
      m_ports(portsOf(config.basePort)), m_scanIntervalMs(config.scanIntervalMs == 0 ? 1000 : config.scanIntervalMs),
      m_scanWindowMs(config.scanWindowMs), m_probePort(config.probePort), m_privateAnswerPort(config.privateAnswerPort),
      m_swVersion(config.swVersion ? config.swVersion : ""), m_directNodes(config.directNodes), m_mode(config.mode),
      m_networkEnabled(config.nodeKindMask != 0), m_observer(*m_provider, m_allowed)
{
}

QORINetBaseClient::~QORINetBaseClient()
{
    stop();
}

uni::ipv4::IpAddressPairList QORINetBaseClient::ipConfigAddresses() const
{
    std::lock_guard<std::mutex> lock(m_configLock);
    return m_addresses;
}

std::uint32_t QORINetBaseClient::ipConfigMode() const
{
    std::lock_guard<std::mutex> lock(m_configLock);
    return m_mode;
}

void QORINetBaseClient::doConfigureClient(const uni::ipv4::IpAddressPairList& addresses, std::uint32_t mode)
{
    UNI_LOG(kChannel, uni::log::info) << "doConfigureClient";
    const auto allowed = m_allowed.filter(addresses);
    {
        std::lock_guard<std::mutex> lock(m_configLock);
        if (allowed == m_addresses && mode == m_mode)
            return;
        m_addresses = allowed;
        ++m_addressesVersion;
        m_mode = mode;
    }
    requestReconfigure({});
}

std::uint16_t QORINetBaseClient::identPort() const
{
    const std::uint16_t opened = m_openedIdentPort.load();
    if (m_privateAnswerPort && opened != 0)
        return opened;
    return static_cast<std::uint16_t>(m_ports.control + proto::kIdentPortOffset);
}

std::uint16_t QORINetBaseClient::identBindPort() const
{
    return m_privateAnswerPort ? 0 : static_cast<std::uint16_t>(m_ports.control + proto::kIdentPortOffset);
}

void QORINetBaseClient::setDirectNodes(std::vector<std::string> addresses)
{
    std::lock_guard<std::mutex> lock(m_configLock);
    m_directNodes = std::move(addresses);
}

std::vector<std::string> QORINetBaseClient::directNodes() const
{
    std::lock_guard<std::mutex> lock(m_configLock);
    return m_directNodes;
}

void QORINetBaseClient::takeInterfaceAddresses()
{
    uni::ipv4::IpAddressPairList pairs;
    {
        std::lock_guard<std::mutex> lock(m_observerLock);
        m_observer.reset();
        pairs = m_observer.pairs();
    }
    UNI_LOG(kObserverChannel, uni::log::info) << "local addresses: " << pairs;
    std::lock_guard<std::mutex> lock(m_configLock);
    m_addresses = pairs;
    ++m_addressesVersion;
}

void QORINetBaseClient::queueNetIfChange(const uni::NetIfNotification& notification)
{
    std::lock_guard<std::mutex> lock(m_pendingLock);
    m_notifications.push_back(notification);
    m_pending = true;
}

void QORINetBaseClient::requestReconfigure(const AddressChangeList& changes)
{
    std::lock_guard<std::mutex> lock(m_pendingLock);
    m_pendingChanges.insert(m_pendingChanges.end(), changes.begin(), changes.end());
    m_reconfigure = true;
    m_pending = true;
}

std::unique_ptr<IfClientMainLoop> QORINetBaseClient::makeState()
{
    if (m_networkEnabled.load())
        return std::make_unique<NetEnabled>(*this);
    return std::make_unique<NetDisabled>();
}

void QORINetBaseClient::run()
{
    {
        // The state built now follows the current configuration: what was asked before the
        // start needs no reconfiguration of its own.
        std::lock_guard<std::mutex> lock(m_pendingLock);
        m_reconfigure = false;
        m_pendingChanges.clear();
        m_pending = !m_notifications.empty();
    }
    m_state = makeState();
    m_state->initialise();
    m_stop = false;
    m_stopping = false;
    if (!m_state->open()) {
        m_listenFailed = true;
        std::fprintf(messageStream(), "##DBC## ERROR: couldn't open IDENT socket\n");
        std::fflush(messageStream());
        m_state.reset();
        return;
    }
    m_discoveryRunning = m_networkEnabled.load();
    m_state->begin();
    // A stop() that came before the flags were reset above is kept in the thread's state.
    while (!m_stop.load() && !stopRequested()) {
        if (m_pending.load())
            handleAddressNotifications();
        onLoopPass();
        m_state->step();
    }
    m_stopping = true;
    m_state->close();
    m_state.reset();
    m_discoveryRunning = false;
}

void QORINetBaseClient::onStop()
{
    m_stopping = true;
    m_stop = true;
}

void QORINetBaseClient::handleAddressNotifications()
{
    std::vector<uni::NetIfNotification> notifications;
    {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        notifications.swap(m_notifications);
        m_pending = m_reconfigure;
    }
    for (const auto& notification : notifications) {
        if (ipConfigMode() != QORINetClientConfig::MODE_ALL_INTERFACES)
            break;
        UNI_LOG(kObserverChannel, uni::log::info)
            << "address change on interface " << notification.index << ": " << uni::netIfChangeName(notification.kind);
        std::vector<NetAddressObserver::Change> seen;
        {
            std::lock_guard<std::mutex> lock(m_observerLock);
            if (notification.kind == uni::NetIfChange::Resync)
                seen = m_observer.resync();
            else
                seen.push_back(m_observer.observe(notification.index));
        }
        for (const auto& change : seen)
            applyObserverChange(change);
    }
    bool due = false;
    {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        due = m_reconfigure;
    }
    if (due)
        doReconfigure();
}

void QORINetBaseClient::applyObserverChange(const NetAddressObserver::Change& change)
{
    switch (change.action) {
    case NetInterfaceAction::ADDITION: onNewAddresses(change.added); break;
    case NetInterfaceAction::UPDATE:
        onRemoveAddresses(change.removed);
        onNewAddresses(change.added);
        break;
    case NetInterfaceAction::REMOVAL: onRemoveAddresses(change.removed); break;
    case NetInterfaceAction::IGNORE_ITF: break;
    }
}

void QORINetBaseClient::onNewAddresses(const uni::ipv4::IpAddressPairList& pairs)
{
    UNI_LOG(kObserverChannel, uni::log::info) << "onNewAddresses " << pairs;
    AddressChangeList changes;
    for (const auto& pair : pairs) {
        if (!probeAddress(pair))
            continue;
        changes.push_back({pair, ADDR_ADD});
    }
    uni::ipv4::IpAddressPairList current;
    {
        std::lock_guard<std::mutex> lock(m_configLock);
        for (const auto& change : changes)
            if (std::find(m_addresses.begin(), m_addresses.end(), change.pair) == m_addresses.end())
                m_addresses.push_back(change.pair);
        ++m_addressesVersion;
        current = m_addresses;
    }
    onAddressesAdded(current);
    requestReconfigure(changes);
}

bool QORINetBaseClient::probeAddress(const uni::ipv4::IpAddressPair& pair)
{
    for (int attempt = 0; attempt < kProbeAttempts && !m_stop.load(); ++attempt) {
        uni::TCPSocket probe(uni::Socket::Listening | uni::Socket::ReuseAddress);
        if (probe.setLocalEnd(pair.address(), m_probePort) == 0 && probe.open() == 0) {
            probe.close();
            return true;
        }
        UNI_LOG(kObserverChannel, uni::log::warning) << "Socket error! retrying ...";
        uni::Timer::sleepMs(kProbeRetryMs);
    }
    return false;
}

void QORINetBaseClient::onRemoveAddresses(const uni::ipv4::IpAddressPairList& pairs)
{
    UNI_LOG(kObserverChannel, uni::log::info) << "onRemoveAddresses " << pairs;
    AddressChangeList changes;
    uni::ipv4::IpAddressPairList current;
    {
        std::lock_guard<std::mutex> lock(m_configLock);
        for (const auto& pair : pairs) {
            m_addresses.erase(std::remove(m_addresses.begin(), m_addresses.end(), pair), m_addresses.end());
            changes.push_back({pair, ADDR_REMOVE});
        }
        ++m_addressesVersion;
        current = m_addresses;
    }
    onAddressesRemoved(current);
    requestReconfigure(changes);
}

void QORINetBaseClient::doReconfigure()
{
    AddressChangeList changes;
    {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        changes.swap(m_pendingChanges);
        m_reconfigure = false;
        m_pending = !m_notifications.empty();
    }
    UNI_LOG(kChannel, uni::log::info) << "doReconfigure";
    if (m_state)
        m_state->close();
    m_state = makeState();
    m_state->initialise();
    if (!m_state->open()) {
        m_listenFailed = true;
        std::fprintf(messageStream(), "##DBC## ERROR: couldn't open IDENT socket\n");
        std::fflush(messageStream());
        m_state = std::make_unique<NetDisabled>();
    }
    m_discoveryRunning = m_networkEnabled.load() && dynamic_cast<NetEnabled*>(m_state.get()) != nullptr;
    m_state->begin();
    onReconfigure(changes);
    onReconfigureFinished();
}

void QORINetBaseClient::setMessageStream(std::FILE* stream)
{
    g_messageStream = stream;
}

std::vector<std::uint8_t> QORINetBaseClient::scanRequest(const uni::ipv4::IpAddressPair& local) const
{
    CommandDocument document;
    document.set("NetBase", "cmd-version", std::uint64_t{proto::kDiscoveryCmdVersion});
    document.set("NetBase", "sw-version", m_swVersion);
    document.set("NetBase", "net-addr", local.address());
    document.set("NetBase", "net-mask", local.maskText());
    document.set("NetBase", "port", std::uint64_t{identPort()});
    return DiscoveryPacket::encode(proto::CMD_SCAN_REQUEST, document.toString());
}

void QORINetBaseClient::sendScanRequests()
{
    ++m_scanCount;
    const uni::ipv4::IpAddressPairList locals = ipConfigAddresses();
    sendDirectScanRequests(locals);
    for (const auto& local : locals) {
        const auto datagram = scanRequest(local);
        const std::string from = local.address() + "/" + local.maskText();
        if (isLinkLocal(local.address())) {
            const std::vector<std::string> nodes = linkLocalNodeAddresses();
            if (nodes.empty())
                m_statistics.noteSkipped(from, "", "a link-local address gets no broadcast");
            for (const auto& node : nodes)
                if (m_allowed.isAllowed(node))
                    m_statistics.noteSend(from, node, false, sendPacketUDP(node, scanPort(), datagram, false));
            continue;
        }
        const auto broadcast = local.broadcast();
        if (!broadcast) {
            m_statistics.noteSkipped(from, "", "the mask leaves no broadcast address");
            continue;
        }
        const std::string target = uni::ipv4::addressText(*broadcast);
        // A mask wider than the allowed network would carry the scan outside of it.
        if (!m_allowed.isAllowed(target)) {
            UNI_LOG(kChannel, uni::log::debug) << "scan to " << target << " not allowed";
            m_statistics.noteSkipped(from, target, "the broadcast address is outside the allowed networks");
            continue;
        }
        m_statistics.noteSend(from, target, false, sendPacketUDP(target, scanPort(), datagram, true));
    }
}

void QORINetBaseClient::sendDirectScanRequests(const uni::ipv4::IpAddressPairList& locals)
{
    if (locals.empty())
        return;
    for (const std::string& node : directNodes()) {
        const auto address = uni::ipv4::parseAddress(node);
        if (!address || !m_allowed.isAllowed(node))
            continue;
        const auto local = std::find_if(locals.begin(), locals.end(),
                                        [&](const uni::ipv4::IpAddressPair& pair) { return pair.contains(*address); });
        const int sent =
            sendPacketUDP(node, scanPort(), scanRequest(local != locals.end() ? *local : locals.front()), false);
        m_statistics.noteSend(node, node, true, sent);
    }
}

int QORINetBaseClient::sendPacketUDP(const std::string& address, std::uint16_t port,
                                     const std::vector<std::uint8_t>& datagram, bool broadcast)
{
    uni::UDPSocket socket(uni::Socket::Sender | (broadcast ? uni::Socket::Broadcast : 0u));
    socket.setSendTimeout(kSendTimeoutMs);
    if (socket.setRemoteEnd(address, port) != 0 || socket.open() != 0) {
        UNI_LOG(kChannel, uni::log::warning) << "sendPacketUDP could not open Socket " << address;
        return uni::osal::SOCK_ESOCKET;
    }
    const int sent = socket.send(datagram.data(), datagram.size());
    socket.close();
    return sent;
}

} // namespace qorinet_api
