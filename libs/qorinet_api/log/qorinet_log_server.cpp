#include "qorinet_api/log/qorinet_log_server.h"

#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/discovery_packet.h"
#include "qorinet_api/common/frame_reader.h"
#include "qorinet_api/common/frame_writer.h"
#include "qorinet_api/common/payload_writer.h"
#include "qorinet_api/util/local_pair_match.h"

#include "uni/log.h"
#include "uni/osal.h"
#include "uni/timer.h"

#include <algorithm>
#include <cstdio>

namespace qorinet_api {

namespace {

constexpr const char* kChannel = "tnlog";
constexpr int kWaitMs = 50;
constexpr std::uint32_t kPauseMs = 50;
constexpr std::uint32_t kLogReceiveTimeoutMs = 1000;
// One byte more than any valid datagram, so that a longer one shows as too long, not cut.
constexpr std::size_t kDatagramBuffer = proto::kBufferSize + 1;

} // namespace

QORINetLogServer::QORINetLogServer(const uni::AllowedNetworks& allowed)
    : uni::Thread("QORINet_Log_Server"), m_allowed(allowed),
      m_scanSocket(uni::Socket::Receiver | uni::Socket::ReuseAddress)
{
}

QORINetLogServer::~QORINetLogServer()
{
    stop();
    closeConnections();
    m_scanSocket.close();
}

void QORINetLogServer::configure(std::uint16_t basePort, const uni::ipv4::IpAddressPairList& local, std::uint32_t mode,
                                 const std::string& swVersion)
{
    m_basePort = basePort == 0 ? proto::kDefaultBasePort : basePort;
    m_local = m_allowed.filter(local);
    m_mode = mode;
    m_swVersion = swVersion;
}

int QORINetLogServer::doConfigureServer()
{
    m_failed = false;
    m_scanFailed = false;
    const int accept = configureAcceptSockets();
    if (accept != 0) {
        UNI_LOG(kChannel, uni::log::error) << "m_sock_accept.openSockets() failed with" << accept;
        m_failed = true;
    }
    const int scan = configureScanSocket();
    if (scan != 0) {
        UNI_LOG(kChannel, uni::log::error) << "m_sock_log_scan.openSockets() failed with" << scan;
        m_scanFailed = true;
    }
    rebuildSet();
    return accept != 0 ? accept : scan;
}

int QORINetLogServer::configureAcceptSockets()
{
    UNI_LOG(kChannel, uni::log::info) << "configureAcceptSockets";
    for (Acceptor& acceptor : m_acceptors)
        acceptor.socket->close();
    m_acceptors.clear();
    int result = 0;
    for (const auto& address : m_local)
        if (!openAcceptor(address))
            result = uni::osal::SOCK_ESOCKET;
    publishAcceptors();
    return result;
}

bool QORINetLogServer::openAcceptor(const uni::ipv4::IpAddressPair& address)
{
    UNI_LOG(kChannel, uni::log::info) << "create acceptance socket: " << address.address() << ", " << logPort();
    auto socket = std::make_unique<uni::TCPSocket>(uni::Socket::Listening | uni::Socket::ReuseAddress);
    if (socket->setLocalEnd(address.address(), logPort()) != 0 || socket->open() != 0)
        return false;
    m_acceptors.push_back({address, std::move(socket)});
    return true;
}

int QORINetLogServer::configureScanSocket()
{
    UNI_LOG(kChannel, uni::log::info) << "configureScanSocket";
    m_scanSocket.close();
    m_scanSocket.setLocalEnd("0.0.0.0", scanPort());
    return m_scanSocket.open();
}

void QORINetLogServer::publishAcceptors()
{
    uni::ipv4::IpAddressPairList addresses;
    for (const Acceptor& acceptor : m_acceptors)
        addresses.push_back(acceptor.address);
    std::lock_guard<std::mutex> lock(m_acceptLock);
    m_acceptAddresses = addresses;
}

uni::ipv4::IpAddressPairList QORINetLogServer::acceptAddresses() const
{
    std::lock_guard<std::mutex> lock(m_acceptLock);
    return m_acceptAddresses;
}

void QORINetLogServer::handleNewAddresses(const uni::ipv4::IpAddressPairList& added)
{
    std::lock_guard<std::mutex> lock(m_pendingLock);
    const auto allowed = m_allowed.filter(added);
    m_pendingAdded.insert(m_pendingAdded.end(), allowed.begin(), allowed.end());
    m_pending = true;
}

void QORINetLogServer::handleRemoveAddresses(const uni::ipv4::IpAddressPairList& removed)
{
    std::lock_guard<std::mutex> lock(m_pendingLock);
    m_pendingRemoved.insert(m_pendingRemoved.end(), removed.begin(), removed.end());
    m_pending = true;
}

void QORINetLogServer::applyAddressChanges()
{
    uni::ipv4::IpAddressPairList added;
    uni::ipv4::IpAddressPairList removed;
    {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        added.swap(m_pendingAdded);
        removed.swap(m_pendingRemoved);
        m_pending = false;
    }
    for (const auto& address : removed) {
        m_local.erase(std::remove(m_local.begin(), m_local.end(), address), m_local.end());
        m_acceptors.erase(std::remove_if(m_acceptors.begin(), m_acceptors.end(),
                                         [&](const Acceptor& a) { return a.address == address; }),
                          m_acceptors.end());
    }
    for (const auto& address : added) {
        if (std::find(m_local.begin(), m_local.end(), address) != m_local.end())
            continue;
        m_local.push_back(address);
        UNI_LOG(kChannel, uni::log::info) << "creating Socket (" << address.address() << ")";
        if (!openAcceptor(address))
            UNI_LOG(kChannel, uni::log::warning) << "could not open - ignored";
    }
    publishAcceptors();
    rebuildSet();
}

void QORINetLogServer::rebuildSet()
{
    m_set.clear();
    for (const Acceptor& acceptor : m_acceptors) {
        if (m_set.add(acceptor.socket.get()) != 0)
            UNI_LOG(kChannel, uni::log::warning) << "could not add to active set - ignored";
        else
            UNI_LOG(kChannel, uni::log::debug) << "socket added to active set = " << acceptor.address.address();
    }
    if (m_scanSocket.isOpen())
        m_set.add(&m_scanSocket);
    if (m_logConnection)
        m_set.add(m_logConnection.get());
}

void QORINetLogServer::queueMessage(const std::string& message)
{
    std::lock_guard<std::mutex> lock(m_queueLock);
    if (m_queue.size() >= kQueueLimit)
        m_queue.pop_front();
    m_queue.push_back(message.size() > kMaxMessage ? message.substr(0, kMaxMessage) : message);
}

std::size_t QORINetLogServer::queuedMessages() const
{
    std::lock_guard<std::mutex> lock(m_queueLock);
    return m_queue.size();
}

void QORINetLogServer::run()
{
    if (m_scanFailed) {
        std::printf("##TNLS## ERROR: couldn't open SCAN socket\n");
        return;
    }
    if (m_failed) {
        std::printf("##TNLS## ERROR: couldn't open ACCEPT socket\n");
        return;
    }
    while (m_scanSocket.isOpen() && !stopRequested())
        step();
    m_set.clear();
    closeConnections();
}

void QORINetLogServer::step()
{
    if (m_pending.load())
        applyAddressChanges();
    uni::Socket* ready = nullptr;
    const int result = m_set.wait(&ready, kWaitMs);
    if (result == 0 && ready) {
        if (ready == m_logConnection.get()) {
            readLogConnection();
        } else if (ready == &m_scanSocket) {
            handleScan();
        } else {
            for (Acceptor& acceptor : m_acceptors)
                if (acceptor.socket.get() == ready) {
                    acceptLogClient(*acceptor.socket);
                    break;
                }
        }
    } else if (result != uni::osal::SOCK_ETIMEOUT) {
        uni::Timer::sleepMs(kPauseMs);
    }
    sendQueued();
}

void QORINetLogServer::readLogConnection()
{
    FrameHeader header;
    const int result = FrameReader::read(*m_logConnection, m_receiveBuffer, header);
    m_receiveBuffer.reset();
    if (result == uni::osal::SOCK_ETIMEOUT)
        return;
    if (result < 0 || header.command == proto::CMD_CLOSE)
        closeLogConnection();
}

void QORINetLogServer::acceptLogClient(uni::TCPSocket& acceptor)
{
    UNI_LOG(kChannel, uni::log::info) << "log client connect attempt";
    auto peer = std::make_unique<uni::TCPSocket>();
    peer->setReceiveTimeout(kLogReceiveTimeoutMs);
    peer->setSendTimeout(kLogReceiveTimeoutMs);
    if (acceptor.accept(*peer) != 0)
        return;
    if (m_logConnection) {
        UNI_LOG(kChannel, uni::log::warning) << "log client connect attempt - failed (socket is open)";
        peer->close();
        return;
    }
    UNI_LOG(kChannel, uni::log::info) << "log client connect attempt - success";
    m_logConnection = std::move(peer);
    m_connected = true;
    m_set.add(m_logConnection.get());
}

void QORINetLogServer::handleScan()
{
    std::vector<std::uint8_t> datagram(kDatagramBuffer);
    std::string sender;
    const int size = m_scanSocket.receiveFrom(datagram.data(), datagram.size(), sender);
    if (size <= 0)
        return;
    std::uint16_t command = 0;
    std::string xml;
    if (!m_allowed.isAllowed(sender) ||
        DiscoveryPacket::decode(datagram.data(), static_cast<std::size_t>(size), command, xml) != 0) {
        UNI_LOG(kChannel, uni::log::info) << "scan connect attempt - status NOT ok";
        return;
    }
    UNI_LOG(kChannel, uni::log::info) << "scan connect attempt - status ok";
    if (command == kCmdLogScan)
        answerScan(xml, sender);
}

void QORINetLogServer::answerScan(const std::string& xml, const std::string& sender)
{
    CommandDocument request;
    if (!request.parse(xml) || !request.hasSection("NetBase"))
        return;
    const std::string address = request.text("NetBase", "net-addr").value_or(sender);
    const auto requester =
        uni::ipv4::IpAddressPair::fromText(address, request.text("NetBase", "net-mask").value_or(""));
    const auto port = request.number("NetBase", "port");
    const std::uint16_t answerPort = port && *port > 0 && *port <= 0xFFFF
                                         ? static_cast<std::uint16_t>(*port)
                                         : static_cast<std::uint16_t>(m_basePort + proto::kIdentPortOffset);
    const auto local = requester ? util::matchLocalPair(m_local, *requester) : std::nullopt;
    if (!local || !m_allowed.isAllowed(requester->address())) {
        UNI_LOG(kChannel, uni::log::info) << "scan from " << address << ": no local address on its network";
        return;
    }
    CommandDocument answer;
    answer.set("NetBase", "cmd-version", static_cast<std::uint64_t>(kAnswerCmdVersion));
    answer.set("NetBase", "sw-version", m_swVersion);
    answer.set("NetBase", "net-addr", local->address());
    answer.set("NetBase", "net-mask", local->maskText());
    answer.set("NetBase", "ctrl_port", static_cast<std::uint64_t>(m_basePort));
    answer.set("NetBase", "data_port", static_cast<std::uint64_t>(m_basePort + proto::kDataPortOffset));
    answer.set("NetBase", "mode", static_cast<std::uint64_t>(m_mode));
    answer.set("NetBase", "client-addr", requester->address());
    answer.set("NetBase", "log_port", static_cast<std::uint64_t>(logPort()));
    const auto datagram = DiscoveryPacket::encode(kCmdLogScanAnswer, answer.toString());
    uni::UDPSocket socket(uni::Socket::Sender | uni::Socket::BindSender);
    if (socket.setLocalEnd(local->address(), 0) != 0 || socket.setRemoteEnd(requester->address(), answerPort) != 0 ||
        socket.open() != 0) {
        UNI_LOG(kChannel, uni::log::warning) << "scan answer: cannot open a socket on " << local->address();
        return;
    }
    socket.send(datagram.data(), datagram.size());
    socket.close();
}

void QORINetLogServer::sendQueued()
{
    if (!m_logConnection)
        return;
    std::deque<std::string> batch;
    {
        std::lock_guard<std::mutex> lock(m_queueLock);
        batch.swap(m_queue);
    }
    if (batch.empty())
        return;
    PayloadWriter writer(m_sendBuffer);
    writer.u32(static_cast<std::uint32_t>(batch.size()));
    for (const std::string& message : batch)
        writer.text(message);
    const int result = FrameWriter::write(*m_logConnection, m_sendBuffer, kCmdLogBatch);
    m_sendBuffer.reset();
    if (result < 0) {
        UNI_LOG(kChannel, uni::log::error) << "##TNLS## ERROR: send error " << result << " --> close socket";
        closeLogConnection();
    }
}

void QORINetLogServer::closeLogConnection()
{
    if (!m_logConnection)
        return;
    m_set.remove(m_logConnection.get());
    m_logConnection->close();
    m_logConnection.reset();
    m_connected = false;
}

void QORINetLogServer::closeConnections()
{
    closeLogConnection();
    for (Acceptor& acceptor : m_acceptors)
        acceptor.socket->close();
    m_acceptors.clear();
    m_set.clear();
    publishAcceptors();
}

} // namespace qorinet_api
