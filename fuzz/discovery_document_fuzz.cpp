// Discovery documents from untrusted nodes: arbitrary bytes as a whole datagram (through the
// packet check) or as the document of an answer or announcement, into the client's handler.
// The node list must stay bounded and every node in it well-formed.
//
// Input: byte 0 selects the path (0: datagram, odd: announcement, else: scan answer), the
// rest is the datagram or document.

#include "qorinet_api/client/discovery_answer.h"
#include "qorinet_api/client/qorinet_client.h"
#include "qorinet_api/common/discovery_packet.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include "require.h"

#include <cstdint>
#include <string>

namespace {

using namespace qorinet_api;

using fuzz::require;

QORINetClient& client()
{
    // Never started: no socket is opened, the handler is driven directly. Every address is
    // allowed here so that node creation is reached.
    static QORINetClient instance(
        [] {
            QORINetClientConfig config;
            config.mode = QORINetClientConfig::MODE_ADDRESS_LIST;
            config.localAddresses = {uni::ipv4::IpAddressPair("127.0.0.1", 0xFFu)};
            return config;
        }(),
        uni::AllowedNetworks());
    return instance;
}

void checkList()
{
    const auto nodes = client().remoteNodes();
    require(nodes.size() <= QORINetClient::kMaxNodes);
    for (const auto& node : nodes) {
        const std::uint32_t state = node->scanState();
        require(state == QORINetClientNode::kScanAnnounced || state == QORINetClientNode::kScanHeld ||
                state == QORINetClientNode::kScanFree);
        require(node->boards().size() <= DiscoveryAnswer::kMaxListEntries);
        require(node->getBoardCount() > 0 || state == QORINetClientNode::kScanAnnounced);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > proto::kBufferSize + 1)
        return 0;
    const std::uint8_t selector = data[0];
    const std::uint8_t* rest = data + 1;
    const std::size_t length = size - 1;
    if (selector == 0) {
        std::uint16_t command = 0;
        std::string xml;
        if (DiscoveryPacket::decode(rest, length, command, xml) == 0)
            client().handlePacket(command, "127.0.0.1", xml);
    } else {
        const std::string xml(reinterpret_cast<const char*>(rest), length);
        DiscoveryAnswer answer;
        DiscoveryAnswer::parse(xml.data(), xml.size(), answer);
        client().handlePacket((selector & 1) ? proto::CMD_ANNOUNCE : proto::CMD_SCAN_ANSWER, "127.0.0.1", xml);
    }
    checkList();
    return 0;
}
