#include "enclosure_documents.h"

#include "xml_util.h"

namespace zmpxi_sim {

using xml_util::appendText;

std::string EnclosureDocuments::properties(const SimEnclosure& enclosure, int enclosureId, int boardCount)
{
    const EnclosureState& data = enclosure.data();
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("Properties");
    root.append_attribute("EnclosureID") = enclosureId;
    pugi::xml_node info = root.append_child("EnclosureInfo");
    appendText(info, "Name", enclosure.name());
    appendText(info, "SerialNumber", data.serialNumber);
    appendText(info, "UserData", data.userData);
    appendText(info, "UserSlotCnt", std::to_string(enclosure.userSlotCount()));
    appendText(info, "SlotNoOffset", std::to_string(enclosure.slotNoOffset()));
    appendText(info, "SubVersion", std::to_string(enclosure.model().subVersion));
    appendText(info, "StarHubSlot", std::to_string(enclosure.starHubSlot()));
    appendText(info, "EncName", data.encName);
    appendText(info, "EncType", data.encType);
    appendText(info, "EncVersion", data.encVersion);
    pugi::xml_node options = info.append_child("Options");
    for (const auto& [name, value] : data.options)
        appendText(options, name.c_str(), value);
    pugi::xml_node system = info.append_child("SystemInfo");
    appendText(system, "EnclosureNo", std::to_string(enclosureId));
    appendText(system, "BoardCount", std::to_string(boardCount));
    return xml_util::print(doc);
}

void EnclosureDocuments::appendKey(pugi::xml_node parent, const EnclosureModel& model, const std::string& encName,
                                   const std::string& name, int slotCount, int slotOffset, int starHubSlot,
                                   int subVersion)
{
    pugi::xml_node key = parent.append_child("KEY");
    key.append_attribute("EncName") = encName.c_str();
    appendText(key, "Name", name);
    appendText(key, "SubVersion", std::to_string(subVersion));
    appendText(key, "UserSlotCnt", std::to_string(slotCount));
    appendText(key, "SlotNoOffset", std::to_string(slotOffset));
    appendText(key, "StarHubSlot", std::to_string(starHubSlot));
    pugi::xml_node system = key.append_child("SystemInfo");
    appendText(system, "Kind", enclosureKindText(model.kind));
    appendText(key, "EncName", encName);
}

std::string EnclosureDocuments::key(const SimEnclosure& enclosure)
{
    pugi::xml_document doc;
    appendKey(doc, enclosure.model(), enclosure.data().encName, enclosure.name(), enclosure.userSlotCount(),
              enclosure.slotNoOffset(), enclosure.starHubSlot(), enclosure.model().subVersion);
    return xml_util::print(doc);
}

} // namespace zmpxi_sim
