#include "discovery_responder.h"

#include "address_policy.h"
#include "node_backend.h"
#include "node_document.h"
#include "sim_node.h"

#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/discovery_packet.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include "uni/log.h"

namespace nodesim {

namespace proto = qorinet_api::proto;

namespace {

constexpr const char* kChannel = "nodesim";
constexpr std::uint32_t kReceiverFlags = uni::Socket::Receiver | uni::Socket::ReuseAddress | uni::Socket::Broadcast;

} // namespace

DiscoveryResponder::DiscoveryResponder(const NodeSimOptions& options, NodeBackend& backend)
    : m_options(options), m_backend(backend), m_socket(kReceiverFlags), m_buffer(proto::kBufferSize)
{
}

int DiscoveryResponder::open()
{
    m_socket.setLocalEnd("0.0.0.0", static_cast<std::uint16_t>(m_options.basePort + proto::kScanPortOffset));
    return m_socket.open();
}

void DiscoveryResponder::close()
{
    m_socket.close();
}

void DiscoveryResponder::receive(const std::vector<std::unique_ptr<SimNode>>& nodes)
{
    std::string sender;
    std::uint16_t answerPort = 0;
    if (!readScan(m_socket, sender, answerPort))
        return;
    if (m_options.fault == NodeFault::NoBroadcast) {
        ++m_dropped;
        return;
    }
    for (const auto& node : nodes) {
        if (node->listening())
            answer(*node, sender, answerPort);
    }
}

void DiscoveryResponder::receiveDirect(SimNode& node)
{
    std::string sender;
    std::uint16_t answerPort = 0;
    if (readScan(node.scanSocket(), sender, answerPort) && node.listening())
        answer(node, sender, answerPort);
}

bool DiscoveryResponder::readScan(uni::UDPSocket& socket, std::string& sender, std::uint16_t& answerPort)
{
    std::uint16_t senderPort = 0;
    const int got = socket.receiveFrom(m_buffer.data(), m_buffer.size(), sender, &senderPort);
    if (got < 0) {
        if (&socket == &m_socket && !m_socket.isOpen())
            open();
        return false;
    }
    // Nothing outside the allowed networks is ever answered.
    if (!AddressPolicy::allowed(sender)) {
        ++m_dropped;
        return false;
    }
    std::uint16_t command = 0;
    std::string xml;
    qorinet_api::CommandDocument request;
    if (qorinet_api::DiscoveryPacket::decode(m_buffer.data(), static_cast<std::size_t>(got), command, xml) != 0 ||
        command != proto::CMD_SCAN_REQUEST || !request.parse(xml) || !request.hasSection("NetBase")) {
        ++m_dropped;
        return false;
    }
    const auto port = request.number("NetBase", "port");
    answerPort = port && *port > 0 && *port <= 0xFFFF
                     ? static_cast<std::uint16_t>(*port)
                     : static_cast<std::uint16_t>(m_options.basePort + proto::kIdentPortOffset);
    return true;
}

void DiscoveryResponder::answer(SimNode& node, const std::string& clientAddress, std::uint16_t port)
{
    const auto destination = uni::ipv4::parseAddress(clientAddress);
    if (!destination)
        return;
    send(node, proto::CMD_SCAN_ANSWER, clientAddress, *destination, port);
    ++m_answered;
}

void DiscoveryResponder::announce(SimNode& node)
{
    if (m_options.fault == NodeFault::NoBroadcast)
        return;
    const auto broadcast = node.address().broadcast();
    if (!broadcast || !AddressPolicy::allowed(*broadcast)) {
        UNI_LOG(kChannel, uni::log::warning)
            << "node " << node.index() << ": no announcement outside " << AddressPolicy::describe();
        return;
    }
    send(node, proto::CMD_ANNOUNCE, std::string(), *broadcast,
         static_cast<std::uint16_t>(m_options.basePort + proto::kIdentPortOffset));
}

void DiscoveryResponder::send(SimNode& node, std::uint16_t command, const std::string& clientAddress,
                              std::uint32_t destination, std::uint16_t port)
{
    NodeDocumentFacts facts;
    facts.simulation = m_backend.simulation();
    facts.syncState = m_syncState.load();
    facts.clientAddress = clientAddress;
    facts.claimedAddress = m_options.claimAddress;
    const std::string xml = NodeDocument::build(node, *m_backend.inventory(), facts);
    std::vector<std::uint8_t> datagram = qorinet_api::DiscoveryPacket::encode(command, xml);
    if (datagram.empty())
        return;
    if (m_options.fault == NodeFault::ShortDatagram)
        datagram.pop_back();
    uni::UDPSocket& sender = node.sender();
    // A failed send closes the socket; open it again for the next one.
    if (!sender.isOpen() && sender.open() != 0)
        return;
    sockaddr_in end{};
    end.sin_family = AF_INET;
    end.sin_addr.s_addr = destination;
    end.sin_port = htons(port);
    sender.setRemoteEnd(end);
    sender.send(datagram.data(), datagram.size());
}

void DiscoveryResponder::toggleSyncState()
{
    m_syncState = m_syncState.load() == 1 ? 2 : 1;
}

} // namespace nodesim
