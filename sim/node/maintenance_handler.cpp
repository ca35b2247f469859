#include "maintenance_handler.h"

#include "address_policy.h"
#include "sim_node.h"

#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/frame_buffer.h"
#include "qorinet_api/common/frame_reader.h"
#include "qorinet_api/common/frame_writer.h"
#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/payload_writer.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include "uni/log.h"
#include "uni/osal.h"
#include "uni/tcp_socket.h"

namespace nodesim {

namespace proto = qorinet_api::proto;

namespace {

constexpr const char* kChannel = "nodesim";

std::int32_t ipConfig(const qorinet_api::FrameBuffer& request, const SimNode& node,
                      const MaintenanceHandler::AddressTaken& taken, MaintenanceHandler::Outcome& outcome)
{
    std::string xml;
    qorinet_api::CommandDocument doc;
    if (!qorinet_api::PayloadReader(request.payload(), request.size()).document(xml) || !doc.parse(xml) ||
        !doc.hasSection("IPConfig"))
        return uni::osal::ERR_UNI_OSAL_EFORMAT;
    const auto mode = doc.number("IPConfig", "mode");
    if (!mode || *mode > 0xFFFFFFFFu)
        return uni::osal::ERR_UNI_OSAL_EARG;
    UNI_LOG(kChannel, uni::log::info) << "node " << node.index() << ": IP configuration mode " << *mode << " address \""
                                      << doc.text("IPConfig", "address").value_or("") << "\" netmask \""
                                      << doc.text("IPConfig", "netmask").value_or("") << "\"";
    return MaintenanceHandler::checkIpConfig(static_cast<std::uint32_t>(*mode),
                                             doc.text("IPConfig", "address").value_or(""),
                                             doc.text("IPConfig", "netmask").value_or(""), node, taken, outcome);
}

} // namespace

std::int32_t MaintenanceHandler::checkIpConfig(std::uint32_t mode, const std::string& address,
                                               const std::string& netmask, const SimNode& node,
                                               const AddressTaken& taken, Outcome& outcome)
{
    if (mode & kModeIpv6)
        return uni::osal::ERR_UNI_OSAL_ENOT_IMPL;
    // Automatic configuration: there is no server to ask, so the node keeps its address.
    if (mode & kModeAutomatic) {
        outcome = Outcome{Action::Reconfigure, node.address(), mode};
        return 0;
    }
    const auto pair = uni::ipv4::IpAddressPair::fromText(address, netmask);
    if (!pair || uni::ipv4::prefixFromMask(pair->netmask()) <= 0)
        return uni::osal::ERR_UNI_OSAL_EARG;
    const std::uint32_t value = *pair->addressValue();
    if (!AddressPolicy::allowed(value))
        return uni::osal::ERR_UNI_OSAL_ENOPERMISSION;
    if (pair->address() != node.address().address() && taken && taken(value))
        return uni::osal::ERR_UNI_OSAL_EEXIST;
    outcome = Outcome{Action::Reconfigure, *pair, mode};
    return 0;
}

MaintenanceHandler::Outcome MaintenanceHandler::serve(uni::TCPSocket& connection, const SimNode& node,
                                                      const AddressTaken& taken)
{
    Outcome outcome;
    connection.setReceiveTimeout(kReceiveTimeoutMs);
    connection.setSendTimeout(kReceiveTimeoutMs);
    qorinet_api::FrameBuffer request;
    qorinet_api::FrameHeader header;
    if (qorinet_api::FrameReader::read(connection, request, header) < 0) {
        connection.close();
        return outcome;
    }
    std::int32_t result = 0;
    switch (header.command) {
    case proto::CMD_RESTART_SERVER: outcome.action = Action::Restart; break;
    case proto::CMD_REBOOT_SYSTEM: outcome.action = Action::Reboot; break;
    case proto::CMD_SET_IP_CONFIG: result = ipConfig(request, node, taken, outcome); break;
    default: result = uni::osal::ERR_UNI_OSAL_ECOMMAND; break;
    }
    UNI_LOG(kChannel, uni::log::info) << "node " << node.index() << ": maintenance command 0x" << std::hex
                                      << header.command << std::dec << " -> " << result;
    qorinet_api::FrameBuffer answer(16);
    qorinet_api::PayloadWriter(answer).u32(static_cast<std::uint32_t>(result));
    if (qorinet_api::FrameWriter::write(connection, answer, proto::answerCode(header.command)) < 0)
        outcome = Outcome();
    connection.close();
    return outcome;
}

} // namespace nodesim
