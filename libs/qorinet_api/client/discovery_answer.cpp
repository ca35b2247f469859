#include "qorinet_api/client/discovery_answer.h"

#include "uni/number_text.h"

#include <pugixml.hpp>

#include <limits>

namespace qorinet_api {

namespace {

std::string text(const pugi::xml_node& parent, const char* name)
{
    return parent.child(name).child_value();
}

std::optional<std::uint32_t> number(const pugi::xml_node& parent, const char* name)
{
    std::uint32_t value = 0;
    if (!uni::text::parseUnsignedDecimal(text(parent, name), value))
        return std::nullopt;
    return value;
}

std::uint32_t numberOr(const pugi::xml_node& parent, const char* name, std::uint32_t fallback)
{
    return number(parent, name).value_or(fallback);
}

std::optional<std::uint16_t> port(const pugi::xml_node& parent, const char* name)
{
    const auto value = number(parent, name);
    if (!value || *value == 0 || *value > std::numeric_limits<std::uint16_t>::max())
        return std::nullopt;
    return static_cast<std::uint16_t>(*value);
}

bool readNetBase(const pugi::xml_node& netBase, DiscoveryAnswer& out)
{
    const auto node = uni::ipv4::IpAddressPair::fromText(text(netBase, "net-addr"), text(netBase, "net-mask"));
    const auto control = port(netBase, "ctrl_port");
    if (!node || !control)
        return false;
    out.node = *node;
    out.controlPort = *control;
    out.dataPort = port(netBase, "data_port").value_or(static_cast<std::uint16_t>(*control + 10));
    out.cmdVersion = number(netBase, "cmd-version");
    out.swVersion = text(netBase, "sw-version");
    out.mode = number(netBase, "mode");
    const std::string client = text(netBase, "client-addr");
    out.clientAddress = uni::ipv4::parseAddress(client) ? client : std::string();
    return true;
}

void readEnclosures(const pugi::xml_node& list, std::vector<DiscoveryEnclosure>& out)
{
    for (const pugi::xml_node& item : list.children("Enclosure")) {
        if (out.size() == DiscoveryAnswer::kMaxListEntries)
            return;
        out.push_back({text(item, "enc_name"), text(item, "enc_serial"), numberOr(item, "slot_cnt", 0),
                       number(item, "slot_no_offset")});
    }
}

void readBoards(const pugi::xml_node& list, std::vector<DiscoveryBoard>& out)
{
    for (const pugi::xml_node& item : list.children("Board")) {
        if (out.size() == DiscoveryAnswer::kMaxListEntries)
            return;
        out.push_back({text(item, "board_name"), text(item, "board_serial"), text(item, "board_firmware"),
                       numberOr(item, "slot_idx", 0), numberOr(item, "enc_idx", 0)});
    }
}

void readNode(const pugi::xml_node& node, DiscoveryAnswer& out)
{
    out.boardCount = numberOr(node, "board_cnt", 0);
    out.simulation = numberOr(node, "simulation", 0) != 0;
    out.enclosureCount = numberOr(node, "enc_cnt", 0);
    out.name = text(node, "name");
    out.syncState = number(node, "sync_state");
    out.firmware = text(node, "firmware");
    out.driver = text(node, "driver");
    out.enclosureAccess = text(node, "enc_access");
    out.enclosureSerial = text(node, "enc_serial");
    readEnclosures(node.child("EnclosureList"), out.enclosures);
    readBoards(node.child("BoardList"), out.boards);
}

} // namespace

bool DiscoveryAnswer::parse(const char* data, std::size_t length, DiscoveryAnswer& out)
{
    if (!data)
        return false;
    pugi::xml_document document;
    if (!document.load_buffer(data, length, pugi::parse_default, pugi::encoding_utf8))
        return false;
    const pugi::xml_node root = document.child("Cmd");
    if (!root || !readNetBase(root.child("NetBase"), out))
        return false;
    readNode(root.child("Node"), out);
    const pugi::xml_node holder = root.child("NetClient");
    if (holder) {
        out.holder = DiscoveryHolder{text(holder, "net-addr"), text(holder, "net-mask"), number(holder, "ctrl_port")};
    }
    return true;
}

} // namespace qorinet_api
