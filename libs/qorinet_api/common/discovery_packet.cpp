#include "qorinet_api/common/discovery_packet.h"

#include "qorinet_api/common/control_frame.h"
#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/payload_writer.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include "uni/osal.h"

namespace qorinet_api {

namespace {
constexpr std::size_t kLengthField = 4;
}

std::vector<std::uint8_t> DiscoveryPacket::encode(std::uint16_t command, const std::string& xml, std::uint16_t id)
{
    if (xml.size() > kMaxDocumentSize)
        return {};
    std::vector<std::uint8_t> payload(kLengthField + xml.size());
    PayloadWriter::storeU32(payload.data(), static_cast<std::uint32_t>(xml.size()));
    xml.copy(reinterpret_cast<char*>(payload.data() + kLengthField), xml.size());
    return ControlFrame::encode(command, payload.data(), payload.size(), id);
}

std::vector<std::uint8_t> DiscoveryPacket::encode(std::uint16_t command, const std::string& xml)
{
    return encode(command, xml, ControlFrame::newFrameId());
}

int DiscoveryPacket::decode(const std::uint8_t* data, std::size_t size, std::uint16_t& command, std::string& xml)
{
    if (!data || size < proto::kFrameOverhead + kLengthField || size > kMaxSize)
        return uni::osal::SOCK_EFORMAT;
    const FrameHeader header = ControlFrame::readHeader(data);
    // A datagram is exactly one frame: trailing bytes are as wrong as missing ones.
    if (static_cast<std::size_t>(header.length) + proto::kFrameOverhead != size)
        return uni::osal::SOCK_EFORMAT;
    const std::uint8_t* payload = nullptr;
    FrameHeader checked;
    const int decoded = ControlFrame::decode(data, size, checked, payload);
    if (decoded < 0)
        return decoded;
    const std::uint32_t documentLength = PayloadReader::loadU32(payload);
    if (static_cast<std::size_t>(documentLength) + kLengthField != header.length)
        return uni::osal::SOCK_EFORMAT;
    command = header.command;
    xml.assign(reinterpret_cast<const char*>(payload + kLengthField), documentLength);
    return 0;
}

} // namespace qorinet_api
