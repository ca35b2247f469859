#include "listing_documents.h"

#include <pugixml.hpp>

#include "board_documents.h"
#include "eeprom_documents.h"
#include "enclosure_documents.h"
#include "product_catalog.h"
#include "result_codes.h"
#include "xml_util.h"

namespace zmpxi_sim {
namespace {

int channelCount(const BoardModel& model)
{
    return model.aiChannels + model.counterChannels + model.dioChannels + model.canChannels + model.uartChannels;
}

void appendComponent(pugi::xml_node root, const char* description, const std::string& file, const char* version,
                     const std::string& comment)
{
    pugi::xml_node component = root.append_child("Component");
    component.append_child("Description").text() = description;
    component.append_child("FileName").text() = file.c_str();
    component.append_child("Version").text() = version;
    component.append_child("Comment").text() = comment.c_str();
}

} // namespace

const char* ListingDocuments::driverVersion()
{
    return "2.6.50112.0";
}

std::string ListingDocuments::boardKey2Name()
{
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("BoardKey2Name");
    for (const BoardModel& model : ProductCatalog::instance().boards()) {
        pugi::xml_node entry = root.append_child("Model");
        entry.append_attribute("Name") = model.name.c_str();
        entry.append_attribute("TypeCode") = model.typeCode;
        entry.append_attribute("Channels") = channelCount(model);
        entry.append_attribute("Family") = familyText(model.family);
        BoardDocuments::appendKey(entry, model, model.baseVersion, model.defaultFeatures,
                                  ProductCatalog::instance().displayName(model, model.defaultFeatures));
    }
    return xml_util::print(doc);
}

std::string ListingDocuments::enclosureKey2Name()
{
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("EnclosureKey2Name");
    for (const EnclosureModel& model : ProductCatalog::instance().enclosures()) {
        pugi::xml_node entry = root.append_child("Model");
        entry.append_attribute("Name") = model.name.c_str();
        entry.append_attribute("EncType") = model.encType;
        entry.append_attribute("Slots") = model.slotCount;
        EnclosureDocuments::appendKey(entry, model, model.encName, model.name, model.slotCount, model.slotNoOffset,
                                      model.starHubSlot, model.subVersion);
    }
    return xml_util::print(doc);
}

std::string ListingDocuments::enclosureListing()
{
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("EnclosureListing");
    for (const EnclosureModel& model : ProductCatalog::instance().enclosures()) {
        pugi::xml_node entry = root.append_child("Enclosure");
        entry.append_attribute("Name") = model.name.c_str();
        entry.append_attribute("EncName") = model.encName.c_str();
        entry.append_attribute("EncType") = model.encType;
        entry.append_attribute("EncVersion") = model.encVersion;
        entry.append_attribute("SubVersion") = model.subVersion;
        entry.append_attribute("Slots") = model.slotCount;
        entry.append_attribute("SlotNoOffset") = model.slotNoOffset;
        entry.append_attribute("StarHubSlot") = model.starHubSlot;
        entry.append_attribute("Kind") = enclosureKindText(model.kind);
        entry.append_attribute("Writable") = model.writable ? "true" : "false";
        entry.append_child("Description").text() = model.description.c_str();
        pugi::xml_node options = entry.append_child("Options");
        for (const EnclosureOptionDef& option : model.options) {
            pugi::xml_node node = options.append_child("Option");
            node.append_attribute("Name") = option.name.c_str();
            node.append_attribute("Default") = option.defaultValue;
            int index = 0;
            for (const auto& [value, text] : option.values) {
                pugi::xml_node id = node.append_child(("ID" + std::to_string(index++)).c_str());
                id.append_attribute("Value") = value;
                id.text() = text.c_str();
            }
        }
    }
    return xml_util::print(doc);
}

std::string ListingDocuments::baseEepromEntries()
{
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("BaseEEPROMEntries");
    for (const BaseEepromEntry& entry : ProductCatalog::instance().baseEepromEntries()) {
        pugi::xml_node node = root.append_child("Entry");
        node.append_attribute("Id") = entry.id.c_str();
        node.append_attribute("Name") = entry.model->name.c_str();
        node.append_attribute("TypeCode") = entry.model->typeCode;
        node.append_attribute("BaseModel") = entry.model->baseModel.c_str();
        node.append_attribute("BaseVersion") = entry.baseVersion.c_str();
        node.append_attribute("Family") = familyText(entry.model->family);
        node.append_attribute("Current") = entry.baseVersion == entry.model->baseVersion ? "true" : "false";
    }
    return xml_util::print(doc);
}

std::string ListingDocuments::firmwareListing()
{
    const ProductCatalog& catalog = ProductCatalog::instance();
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("FirmwareListing");
    for (const FirmwareFile& file : catalog.firmwareFiles()) {
        pugi::xml_node node = root.append_child("File");
        node.append_attribute("Name") = file.fileName.c_str();
        node.append_attribute("Model") = file.modelName.c_str();
        node.append_attribute("Version") = file.version.c_str();
        node.append_attribute("Latest") = catalog.latestFirmware(file.modelName) == &file ? "true" : "false";
    }
    return xml_util::print(doc);
}

std::string ListingDocuments::systemVersions(const std::string& configDir)
{
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("SystemVersions");
    appendComponent(root, "Acquisition API", "libzmpxi_api_x64.so", driverVersion(), "simulated driver");
    appendComponent(root, "Board listing", "BoardListing", "2.6.7",
                    std::to_string(ProductCatalog::instance().boards().size()) + " board models");
    appendComponent(root, "Firmware listing", "FirmwareListing", "2.6.3",
                    std::to_string(ProductCatalog::instance().firmwareFiles().size()) + " firmware files");
    appendComponent(root, "Configuration", "zmpxi_api_config.xml", "1.4", configDir);
    return xml_util::print(doc);
}

bool ListingDocuments::defaultBaseEeprom(const std::string& request, std::string& document, std::int32_t& result)
{
    pugi::xml_document doc;
    if (!doc.load_string(request.c_str()) || !doc.child("BaseEEPROM")) {
        result = rc::xmlParsingFailed;
        return false;
    }
    const pugi::xml_node element = doc.child("BaseEEPROM");
    const BaseEepromEntry* entry = ProductCatalog::instance().baseEntry(element.attribute("BaseModel").value(),
                                                                        element.attribute("BaseVersion").value());
    if (!entry) {
        result = rc::boardNameUnknown;
        return false;
    }
    document =
        EepromDocuments::defaultBase(*entry->model, entry->baseVersion, "00000000", entry->model->defaultFeatures);
    result = rc::ok;
    return true;
}

} // namespace zmpxi_sim
