#include "node_document.h"

#include "node_inventory.h"
#include "sim_node.h"

#include "qorinet_api/common/discovery_packet.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include <pugixml.hpp>

#include <sstream>

namespace nodesim {

namespace proto = qorinet_api::proto;

namespace {

template <typename T>
void add(pugi::xml_node parent, const char* name, const T& value)
{
    parent.append_child(name).text().set(value);
}

// Texts come from the command line and the driver: a long one must not push the document
// past one datagram. Cut only when it would.
constexpr std::size_t kMaxTextBytes = 64;

// Cut at a character boundary, so that a multi-byte sequence is never split.
std::string cut(const std::string& text)
{
    if (text.size() <= kMaxTextBytes)
        return text;
    std::size_t end = kMaxTextBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u)
        --end;
    return text.substr(0, end);
}

void add(pugi::xml_node parent, const char* name, const std::string& value)
{
    parent.append_child(name).text().set(value.c_str());
}

void cutTexts(pugi::xml_node node)
{
    for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_pcdata)
            child.set_value(cut(child.value()).c_str());
        else
            cutTexts(child);
    }
}

std::string text(const pugi::xml_document& doc)
{
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return out.str();
}

void addNetBase(pugi::xml_node root, const SimNode& node, const NodeDocumentFacts& facts)
{
    const uni::ipv4::IpAddressPair address = node.address();
    pugi::xml_node base = root.append_child("NetBase");
    add(base, "cmd-version", proto::kDiscoveryCmdVersion);
    add(base, "sw-version", NodeDocument::kServerVersion);
    add(base, "net-addr", facts.claimedAddress.empty() ? address.address() : facts.claimedAddress);
    add(base, "net-mask", address.maskText());
    add(base, "ctrl_port", static_cast<unsigned>(node.basePort()));
    add(base, "data_port", static_cast<unsigned>(node.basePort() + proto::kDataPortOffset));
    add(base, "mode", node.ipMode());
    if (!facts.clientAddress.empty())
        add(base, "client-addr", facts.clientAddress);
}

void addNode(pugi::xml_node root, const SimNode& node, const NodeInventory& inventory, const NodeDocumentFacts& facts,
             bool held)
{
    pugi::xml_node info = root.append_child("Node");
    add(info, "board_cnt", static_cast<unsigned>(inventory.boards().size()));
    add(info, "simulation", facts.simulation ? 1u : 0u);
    add(info, "enc_cnt", static_cast<unsigned>(inventory.enclosures().size()));
    add(info, "name", node.name());
    add(info, "sync_state", facts.syncState);
    add(info, "firmware", NodeDocument::kFirmwareVersion);
    add(info, "driver", inventory.driverVersion());
    add(info, "enc_access", held ? "Occupied" : "Free");
    add(info, "enc_serial", inventory.enclosures().empty() ? std::string() : inventory.enclosures().front().serial);
    pugi::xml_node enclosures = info.append_child("EnclosureList");
    for (const InventoryEnclosure& entry : inventory.enclosures()) {
        pugi::xml_node enclosure = enclosures.append_child("Enclosure");
        add(enclosure, "enc_name", entry.name);
        add(enclosure, "enc_serial", entry.serial);
        add(enclosure, "slot_cnt", entry.slotCount);
        add(enclosure, "slot_no_offset", entry.slotOffset);
    }
    pugi::xml_node boards = info.append_child("BoardList");
    for (const InventoryBoard& entry : inventory.boards()) {
        pugi::xml_node board = boards.append_child("Board");
        add(board, "board_name", entry.name);
        add(board, "board_serial", entry.serial);
        add(board, "board_firmware", entry.firmware);
        add(board, "slot_idx", entry.slotIndex);
        add(board, "enc_idx", entry.enclosureIndex);
    }
}

void addHolder(pugi::xml_node root, const ClientInfo& client)
{
    pugi::xml_node holder = root.append_child("NetClient");
    add(holder, "cmd-version", proto::kHelloCmdVersion);
    add(holder, "sw-version", proto::kHelloSwVersion);
    add(holder, "net-addr", client.address);
    add(holder, "net-mask", client.mask);
    add(holder, "ctrl_port", client.controlPort);
}

} // namespace

std::string NodeDocument::build(const SimNode& node, const NodeInventory& inventory, const NodeDocumentFacts& facts)
{
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("Cmd");
    const auto holder = node.holder();
    addNetBase(root, node, facts);
    addNode(root, node, inventory, facts, holder.has_value());
    if (holder)
        addHolder(root, *holder);
    std::string xml = text(doc);
    if (xml.size() <= qorinet_api::DiscoveryPacket::kMaxDocumentSize)
        return xml;
    cutTexts(root);
    xml = text(doc);
    // Still too large with every text cut: list fewer boards, then fewer enclosures (the
    // counts stay true).
    pugi::xml_node info = root.child("Node");
    for (const char* list : {"BoardList", "EnclosureList"}) {
        pugi::xml_node entries = info.child(list);
        while (xml.size() > qorinet_api::DiscoveryPacket::kMaxDocumentSize && entries.last_child()) {
            entries.remove_child(entries.last_child());
            xml = text(doc);
        }
    }
    return xml;
}

} // namespace nodesim
