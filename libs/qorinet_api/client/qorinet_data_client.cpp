#include "qorinet_api/client/qorinet_data_client.h"

#include "qorinet_api/common/qorinet_protocol.h"
#include "qorinet_api/common/qorinet_result_codes.h"

#include "uni/log.h"
#include "uni/osal.h"
#include "uni/timer.h"

#include <algorithm>

namespace qorinet_api {

namespace {

constexpr const char* kChannel = "tndc";
constexpr int kWaitMs = 50;
constexpr std::uint32_t kPeerReceiveTimeoutMs = 1000;

} // namespace

QORINetDataClient::QORINetDataClient(const uni::AllowedNetworks& allowed)
    : uni::Thread("QORINet_Data_Client"), m_allowed(allowed),
      m_dataPort(static_cast<std::uint16_t>(proto::kDefaultBasePort + proto::kDataPortOffset))
{
}

QORINetDataClient::~QORINetDataClient()
{
    stop();
    closeAll();
}

void QORINetDataClient::configure(std::uint16_t dataPort, const uni::ipv4::IpAddressPairList& local)
{
    std::lock_guard<std::mutex> lock(m_configLock);
    m_wanted = m_allowed.filter(local);
    m_dataPort = dataPort;
    m_configChanged = true;
    UNI_LOG(kChannel, uni::log::info) << "##DC## configure: port " << dataPort << " addresses " << m_wanted;
}

uni::ipv4::IpAddressPairList QORINetDataClient::listening() const
{
    std::lock_guard<std::mutex> lock(m_listeningLock);
    return m_listening;
}

void QORINetDataClient::openNode(std::uint32_t nodeId, std::uint32_t boardCount, const std::string& address)
{
    auto node = std::make_shared<QORINetDataClientNode>(nodeId, boardCount, address);
    std::shared_ptr<QORINetDataClientNode> old;
    {
        std::lock_guard<std::mutex> lock(m_nodesLock);
        auto& slot = m_nodes[nodeId];
        old.swap(slot);
        slot = node;
    }
    if (old)
        old->close();
    m_nodesChanged = true;
    UNI_LOG(kChannel, uni::log::info) << "##DC## open data path: node " << nodeId << " [" << address << "] boards "
                                      << boardCount;
}

void QORINetDataClient::closeNode(std::uint32_t nodeId)
{
    std::shared_ptr<QORINetDataClientNode> node;
    {
        std::lock_guard<std::mutex> lock(m_nodesLock);
        const auto found = m_nodes.find(nodeId);
        if (found == m_nodes.end())
            return;
        node = found->second;
        m_nodes.erase(found);
    }
    node->close();
    m_nodesChanged = true;
    UNI_LOG(kChannel, uni::log::info) << "##DC## close data path: node " << nodeId;
}

std::shared_ptr<QORINetDataClientNode> QORINetDataClient::node(std::uint32_t nodeId) const
{
    std::lock_guard<std::mutex> lock(m_nodesLock);
    const auto found = m_nodes.find(nodeId);
    return found == m_nodes.end() ? nullptr : found->second;
}

std::shared_ptr<QORINetDataClientNode> QORINetDataClient::nodeByAddress(const std::string& address) const
{
    std::lock_guard<std::mutex> lock(m_nodesLock);
    for (const auto& entry : m_nodes)
        if (entry.second->address() == address)
            return entry.second;
    return nullptr;
}

bool QORINetDataClient::answerSetParam(std::uint32_t nodeId, std::int32_t board, std::int32_t command,
                                       std::int64_t value, std::int32_t& result)
{
    if (command != kCmdStreaming)
        return false;
    const auto path = node(nodeId);
    result = path ? path->setStreaming(board, value != 0) : uni::osal::ERR_UNI_OSAL_ECONNECTION;
    return true;
}

bool QORINetDataClient::answerGetParam(std::uint32_t nodeId, std::int32_t board, std::int32_t command,
                                       std::int64_t& value, std::int32_t& result)
{
    if (command == kCmdCanLost || command == kCmdUartLost)
        return answerLost(nodeId, board, command == kCmdCanLost, value, result);
    if (command != kCmdStreaming)
        return false;
    const auto path = node(nodeId);
    bool on = false;
    result = path ? path->streaming(board, on) : uni::osal::ERR_UNI_OSAL_ECONNECTION;
    if (result == ERR_NONE)
        value = on ? 1 : 0;
    return true;
}

bool QORINetDataClient::answerLost(std::uint32_t nodeId, std::int32_t board, bool can, std::int64_t& value,
                                   std::int32_t& result)
{
    const auto path = node(nodeId);
    std::uint64_t lost = 0;
    result = path ? path->lost(board, can, lost) : uni::osal::ERR_UNI_OSAL_ECONNECTION;
    if (result == ERR_NONE)
        value = static_cast<std::int64_t>(std::min<std::uint64_t>(lost, INT64_MAX));
    return true;
}

void QORINetDataClient::beforeSetParam(std::uint32_t nodeId, std::int32_t board, std::int32_t command,
                                       std::int64_t /*value*/)
{
    if (command != kCmdAcquisitionStart)
        return;
    if (const auto path = node(nodeId))
        path->resetBoard(board);
}

std::int32_t QORINetDataClient::readCan(std::uint32_t nodeId, std::int32_t board, ZaMoCanFrame* frames,
                                        std::int32_t& count)
{
    return onNode(nodeId, [&](QORINetDataClientNode& path) { return path.readCan(board, frames, count); });
}

std::int32_t QORINetDataClient::readCanRaw(std::uint32_t nodeId, std::int32_t board, ZaMoCanFrame*& frames,
                                           std::int32_t& count)
{
    return onNode(nodeId, [&](QORINetDataClientNode& path) { return path.readCanRaw(board, frames, count); });
}

std::int32_t QORINetDataClient::freeCan(std::uint32_t nodeId, std::int32_t board, std::int32_t count)
{
    return onNode(nodeId, [&](QORINetDataClientNode& path) { return path.freeCan(board, count); });
}

std::int32_t QORINetDataClient::readUart(std::uint32_t nodeId, std::int32_t board, std::uint8_t* bytes,
                                         std::int32_t& count)
{
    return onNode(nodeId, [&](QORINetDataClientNode& path) { return path.readUart(board, bytes, count); });
}

std::int32_t QORINetDataClient::readUartRaw(std::uint32_t nodeId, std::int32_t board, ZaMoUartFrame*& frames,
                                            std::int32_t& count)
{
    return onNode(nodeId, [&](QORINetDataClientNode& path) { return path.readUartRaw(board, frames, count); });
}

std::int32_t QORINetDataClient::freeUart(std::uint32_t nodeId, std::int32_t board, std::int32_t count)
{
    return onNode(nodeId, [&](QORINetDataClientNode& path) { return path.freeUart(board, count); });
}

void QORINetDataClient::run()
{
    while (!stopRequested())
        step();
    closeAll();
}

void QORINetDataClient::step()
{
    if (m_configChanged.exchange(false))
        applyConfiguration();
    if (m_nodesChanged.exchange(false))
        rebuildSet();
    uni::Socket* ready = nullptr;
    const int result = m_set.size() == 0 ? uni::osal::SOCK_EHANDLE : m_set.wait(&ready, kWaitMs);
    if (result == uni::osal::SOCK_ETIMEOUT)
        return;
    if (result != 0 || !ready) {
        uni::Timer::sleepMs(kWaitMs);
        return;
    }
    for (Listener& listener : m_listeners) {
        if (listener.socket.get() == ready) {
            acceptFrom(*listener.socket);
            return;
        }
    }
    for (const auto& node : m_watched) {
        if (node->connection() == ready) {
            if (node->receiveFrame() <= 0)
                m_nodesChanged = true;
            return;
        }
    }
}

void QORINetDataClient::applyConfiguration()
{
    uni::ipv4::IpAddressPairList wanted;
    {
        std::lock_guard<std::mutex> lock(m_configLock);
        wanted = m_wanted;
    }
    const std::uint16_t port = m_dataPort.load();
    for (Listener& listener : m_listeners)
        listener.socket->close();
    m_listeners.clear();
    uni::ipv4::IpAddressPairList listening;
    for (const auto& pair : wanted) {
        auto socket = std::make_unique<uni::TCPSocket>(uni::Socket::Listening | uni::Socket::ReuseAddress);
        if (socket->setLocalEnd(pair.address(), port) != 0 || socket->open() != 0) {
            UNI_LOG(kChannel, uni::log::warning) << "##DC## cannot listen on " << pair.address() << ":" << port;
            continue;
        }
        UNI_LOG(kChannel, uni::log::info) << "##DC## listening on " << pair.address() << ":" << port;
        listening.push_back(pair);
        m_listeners.push_back({pair, std::move(socket)});
    }
    {
        std::lock_guard<std::mutex> lock(m_listeningLock);
        m_listening = listening;
    }
    m_nodesChanged = true;
}

void QORINetDataClient::rebuildSet()
{
    m_set.clear();
    for (Listener& listener : m_listeners)
        m_set.add(listener.socket.get());
    {
        std::lock_guard<std::mutex> lock(m_nodesLock);
        m_watched.clear();
        for (const auto& entry : m_nodes)
            m_watched.push_back(entry.second);
    }
    for (const auto& node : m_watched)
        if (uni::TCPSocket* connection = node->connection())
            m_set.add(connection);
}

void QORINetDataClient::acceptFrom(uni::TCPSocket& listener)
{
    auto peer = std::make_unique<uni::TCPSocket>();
    peer->setReceiveTimeout(kPeerReceiveTimeoutMs);
    peer->setSendTimeout(kPeerReceiveTimeoutMs);
    if (listener.accept(*peer) != 0)
        return;
    const std::string address = peer->remoteAddress();
    const auto node = nodeByAddress(address);
    if (!node) {
        UNI_LOG(kChannel, uni::log::warning)
            << "##DC## data connection from " << address << " without an open data path - closed";
        peer->close();
        return;
    }
    UNI_LOG(kChannel, uni::log::info) << "##DC## data connection of node " << node->nodeId() << " [" << address << "]";
    if (node->attach(std::move(peer)))
        m_nodesChanged = true;
}

void QORINetDataClient::closeAll()
{
    m_set.clear();
    m_watched.clear();
    for (Listener& listener : m_listeners)
        listener.socket->close();
    m_listeners.clear();
    {
        std::lock_guard<std::mutex> lock(m_listeningLock);
        m_listening.clear();
    }
    std::lock_guard<std::mutex> lock(m_nodesLock);
    for (const auto& entry : m_nodes)
        entry.second->close();
    // A restarted thread listens again.
    m_configChanged = true;
}

} // namespace qorinet_api
