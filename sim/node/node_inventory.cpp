#include "node_inventory.h"

#include "uni/log.h"

#include <pugixml.hpp>

#include <cstdlib>

namespace nodesim {

namespace {

constexpr const char* kChannel = "nodesim";
// More than any enclosure holds; a driver answering more is not believed.
constexpr std::uint32_t kMaxEntries = 256;

std::string text(const pugi::xml_node& root, const char* path)
{
    return root.first_element_by_path(path).text().as_string();
}

std::uint32_t number(const pugi::xml_node& root, const char* path)
{
    return root.first_element_by_path(path).text().as_uint(0);
}

bool readDocument(qorinet_api::QORINetIfClientNode& node, const std::string& target, const char* item,
                  pugi::xml_document& doc)
{
    std::string answer;
    const std::int32_t result = node.GetParamStruct_str(target, item, answer);
    if (result > 0) {
        UNI_LOG(kChannel, uni::log::warning) << target << "/" << item << ": driver error " << result;
        return false;
    }
    if (!doc.load_string(answer.c_str())) {
        UNI_LOG(kChannel, uni::log::warning) << target << "/" << item << ": not a document";
        return false;
    }
    return true;
}

} // namespace

NodeInventory NodeInventory::read(qorinet_api::QORINetIfClientNode& node, std::uint32_t boardCount,
                                  std::uint32_t enclosureCount)
{
    NodeInventory inventory;
    for (std::uint32_t i = 0; i < enclosureCount && i < kMaxEntries; ++i) {
        pugi::xml_document doc;
        if (!readDocument(node, "EnclosureId" + std::to_string(i), "enclosureproperties", doc))
            continue;
        const pugi::xml_node info = doc.first_element_by_path("Properties/EnclosureInfo");
        inventory.m_enclosures.push_back(InventoryEnclosure{text(info, "Name"), text(info, "SerialNumber"),
                                                            number(info, "UserSlotCnt"), number(info, "SlotNoOffset")});
    }
    for (std::uint32_t i = 0; i < boardCount && i < kMaxEntries; ++i) {
        pugi::xml_document doc;
        if (!readDocument(node, "BoardID" + std::to_string(i), "boardproperties", doc))
            continue;
        const pugi::xml_node properties = doc.child("Properties");
        InventoryBoard board;
        board.name = text(properties, "BoardInfo/BoardName");
        board.serial = text(properties, "BoardInfo/SerialNumber");
        board.firmware = text(properties, "BoardInfo/FWRevision");
        board.enclosureIndex = number(properties, "SystemInfo/EnclosureNo");
        const std::uint32_t slot = number(properties, "SystemInfo/SlotNo");
        const std::uint32_t offset = board.enclosureIndex < inventory.m_enclosures.size()
                                         ? inventory.m_enclosures[board.enclosureIndex].slotOffset
                                         : 0;
        board.slotIndex = slot >= offset ? slot - offset : slot;
        inventory.m_boards.push_back(board);
    }
    std::string version;
    if (node.GetParamStruct_str("driver/api", "version", version) <= 0)
        inventory.m_driverVersion = version;
    return inventory;
}

} // namespace nodesim
