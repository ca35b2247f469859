#include "fleet_hardware.h"

#include "node_workspace.h"

#include "product_catalog.h"
#include "xml_util.h"

#include <pugixml.hpp>

#include <sstream>

namespace nodesim {

namespace {

using zmpxi_sim::xml_util::appendText;

void appendEnclosure(pugi::xml_node list, unsigned index, const FleetEnclosure& enclosure)
{
    const auto* model = zmpxi_sim::ProductCatalog::instance().enclosureByName(enclosure.model);
    if (!model)
        return;
    pugi::xml_node entry = list.append_child(("ID" + std::to_string(index)).c_str());
    pugi::xml_node key = entry.append_child("KEY");
    key.append_attribute("EncName") = model->encName.c_str();
    appendText(key, "Name", model->name);
    appendText(key, "SubVersion", std::to_string(model->subVersion));
    appendText(key, "UserSlotCnt", std::to_string(model->slotCount));
    appendText(key, "SlotNoOffset", std::to_string(model->slotNoOffset));
    appendText(key, "StarHubSlot", std::to_string(model->starHubSlot));
    key.append_child("SystemInfo");
    appendText(entry, "SerialNumber", enclosure.serialNumber);
    appendText(entry, "UserData", "Fleet node");
    appendText(entry, "EncType", std::to_string(model->encType));
    appendText(entry, "EncVersion", std::to_string(model->encVersion));
}

void appendBoard(pugi::xml_node list, unsigned index, const FleetBoard& board, bool extras)
{
    const zmpxi_sim::ProductCatalog& catalog = zmpxi_sim::ProductCatalog::instance();
    const auto* model = catalog.boardByName(board.model);
    if (!model)
        return;
    pugi::xml_node entry = list.append_child(("ID" + std::to_string(index)).c_str());
    pugi::xml_node key = entry.append_child("KEY");
    key.append_attribute("BaseModel") = model->baseModel.c_str();
    key.append_attribute("BaseVersion") = board.baseVersion.c_str();
    key.append_attribute("ConModel") = model->conModel.c_str();
    key.append_attribute("ConVersion") = model->conVersion.c_str();
    key.append_attribute("FeatureSet") = zmpxi_sim::xml_util::hex8(model->defaultFeatures).c_str();
    appendText(key, "FamilyName", model->familyName);
    appendText(key, "Type", model->type);
    appendText(key, "ConBv", model->conBv);
    appendText(key, "DisplayName", catalog.displayName(*model, model->defaultFeatures));
    appendText(entry, "EncNumber", std::to_string(board.enclosure));
    appendText(entry, "SlotNumber", std::to_string(board.slot));
    appendText(entry, "FWRevision", board.firmware);
    appendText(entry, "SerialNumber", board.serialNumber);
    appendText(entry, "ConSerialNumber", board.conSerialNumber);
    if (!extras)
        return;
    appendText(entry, "CalDate", board.calDate);
    pugi::xml_node faults = entry.append_child("Faults");
    appendText(faults, "BaseTemp", board.baseTemp);
    if (!board.conTemp.empty())
        appendText(faults, "ConTemp", board.conTemp);
}

} // namespace

std::string FleetHardware::entries(bool extras) const
{
    pugi::xml_document doc;
    pugi::xml_node enclosureList = doc.append_child("SimulatedEnclosures");
    for (unsigned i = 0; i < enclosures.size(); ++i)
        appendEnclosure(enclosureList, i, enclosures[i]);
    pugi::xml_node boardList = doc.append_child("SimulatedBoards");
    for (unsigned i = 0; i < boards.size(); ++i)
        appendBoard(boardList, i, boards[i], extras);
    std::ostringstream out;
    for (const pugi::xml_node list : doc.children())
        list.print(out, "  ", pugi::format_indent, pugi::encoding_utf8, 3);
    return out.str();
}

std::string FleetHardware::hardwareDocument() const
{
    return NodeWorkspace::hardwareDocument(entries(true));
}

std::string FleetHardware::configDocument() const
{
    return NodeWorkspace::configDocument(entries(false));
}

} // namespace nodesim
