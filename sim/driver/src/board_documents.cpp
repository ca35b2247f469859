#include "board_documents.h"

#include <cctype>

#include "file_util.h"
#include "result_codes.h"
#include "xml_util.h"

namespace zmpxi_sim {
namespace {

using xml_util::appendText;
using xml_util::hex8;

pugi::xml_node appendWithUnit(pugi::xml_node parent, const char* name, const std::string& value, const char* unit)
{
    pugi::xml_node node = parent.append_child(name);
    node.append_attribute("Unit") = unit;
    node.text() = value.c_str();
    return node;
}

std::string elementName(const std::string& text)
{
    std::string name;
    bool upper = true;
    for (unsigned char c : text) {
        if (!std::isalnum(c)) {
            upper = true;
            continue;
        }
        name += upper ? static_cast<char>(std::toupper(c)) : static_cast<char>(c);
        upper = false;
    }
    return name.empty() ? std::string("Feature") : name;
}

const char* statusText(EepromHealth health)
{
    switch (health) {
    case EepromHealth::Good: return "OK";
    case EepromHealth::Corrupt: return "ERROR_CHECKSUM";
    case EepromHealth::Blank: return "ERROR_BLANK";
    }
    return "OK";
}

void appendEepromStatus(pugi::xml_node parent, const char* name, const SimBoard& board, const SimBoard::Eeprom& eeprom,
                        const char* missingBackup)
{
    pugi::xml_node node = parent.append_child(name);
    appendText(node, "Status", statusText(eeprom.health));
    appendText(node, "HeaderStatus", eeprom.health == EepromHealth::Blank ? "ERROR_NO_HEADER" : "OK");
    appendText(node, "AutoBackupFile", board.backupPresent(eeprom) ? eeprom.backupPath : std::string(missingBackup));
}

void appendBaseBoard(pugi::xml_node info, const SimBoard& board)
{
    const BaseFacts& facts = board.baseFacts();
    pugi::xml_node base = info.append_child("BaseBoard");
    appendText(base, "BaseModel", board.model().baseModel);
    appendText(base, "BaseVersion", board.baseVersion());
    appendText(base, "BaseId", board.baseId());
    appendText(base, "SerialNumber", board.serialNumber());
    appendWithUnit(base, "BaseBoardTemp", board.baseTemperature(), "degC");
    EepromDocuments::appendRecords(base, {"BaseCal", "BaseTest", "BaseBoardTemp"}, facts);
    pugi::xml_node self = base.append_child("SelfCal");
    appendText(self, "FeatureSet", hex8(board.featureSet()));
}

void appendConPanel(pugi::xml_node info, const SimBoard& board)
{
    const ConFacts& facts = board.conFacts();
    pugi::xml_node con = info.append_child("ConPanel");
    appendText(con, "ConModel", facts.conModel.empty() ? board.model().conModel : facts.conModel);
    appendText(con, "ConVersion", facts.conVersion.empty() ? board.model().conVersion : facts.conVersion);
    appendText(con, "SerialNumber", board.conSerialNumber());
    appendWithUnit(con, "ConPanelTemp", board.conTemperature(), "degC");
    EepromDocuments::appendRecords(con, {"ConCal", "ConTest", "ConPanelTemp"}, facts);
}

void appendFeatureList(pugi::xml_node info, const SimBoard& board)
{
    pugi::xml_node list = info.append_child("FeatureList");
    for (const FeatureDef& feature : ProductCatalog::instance().features(board.model())) {
        pugi::xml_node item = list.append_child("FeatureItem");
        item.append_attribute("Name") = feature.name.c_str();
        item.append_attribute("Mask") = hex8(feature.mask).c_str();
        item.append_attribute("Visible") = feature.visible ? "true" : "false";
        for (const FeatureValueDef& value : feature.values) {
            pugi::xml_node entry = item.append_child("FeatureValue");
            entry.append_attribute("Value") = hex8(value.value).c_str();
            entry.append_attribute("Visible") = value.visible ? "true" : "false";
            entry.text() = value.text.c_str();
        }
    }
}

void appendBoardFeatures(pugi::xml_node root, const SimBoard& board)
{
    const BoardModel& model = board.model();
    pugi::xml_node features = root.append_child("BoardFeatures");
    appendText(features, "Family", familyText(model.family));
    appendText(features, "Description", model.description);
    if (model.aiChannels > 0)
        appendText(features, "AnalogInputs", std::to_string(model.aiChannels));
    if (model.counterChannels > 0)
        appendText(features, "Counters", std::to_string(model.counterChannels));
    if (model.dioChannels > 0)
        appendText(features, "DigitalLines", std::to_string(model.dioChannels));
    if (model.canChannels > 0)
        appendText(features, "CanChannels", std::to_string(model.canChannels));
    if (model.uartChannels > 0)
        appendText(features, "UartChannels", std::to_string(model.uartChannels));
    if (model.family == BoardFamily::AnalogInput)
        appendText(features, "Excitation", model.excitation ? "true" : "false");
    for (const FeatureDef& feature : ProductCatalog::instance().features(model)) {
        for (const FeatureValueDef& value : feature.values) {
            if ((board.featureSet() & feature.mask) != value.value)
                continue;
            pugi::xml_node node = features.append_child(elementName(feature.name).c_str());
            if (!feature.visible)
                node.append_attribute("Visible") = "false";
            node.text() = value.text.c_str();
        }
    }
}

void appendSystemInfo(pugi::xml_node root, const SimBoard& board, const BoardPlacement& placement)
{
    pugi::xml_node info = root.append_child("SystemInfo");
    appendText(info, "EnclosureNo", std::to_string(placement.enclosureNo));
    appendText(info, "SlotNo", std::to_string(placement.slotNo));
    appendText(info, "ChnNoStart", std::to_string(placement.channelStart));
    pugi::xml_node pci = info.append_child("PCIInfo");
    appendText(pci, "BusNo", std::to_string(placement.boardId < 0 ? 0 : 4 + placement.boardId));
    appendText(pci, "DevNo", "0");
    appendText(pci, "VendorId", "1F3A");
    appendText(pci, "DeviceId", xml_util::hex4(static_cast<std::uint32_t>(board.model().typeCode) * 0x100u));
}

void appendChannels(pugi::xml_node root, SimBoard& board)
{
    const BoardModel& model = board.model();
    pugi::xml_node channels = root.append_child("ChannelProperties");
    for (int ch = 0; ch < model.aiChannels; ++ch) {
        pugi::xml_node node = channels.append_child(("AI" + std::to_string(ch)).c_str());
        appendWithUnit(node, "Range", xml_util::fixed(model.rangeVolts, model.rangeVolts < 1.0 ? 2 : 0), "V");
        appendText(node, "Coupling", "DC");
        if (!model.channelModules.empty())
            appendText(node, "ChannelModule", board.channelModule(ch));
    }
    for (int ch = 0; ch < model.counterChannels; ++ch) {
        pugi::xml_node node = channels.append_child(("CNT" + std::to_string(ch)).c_str());
        node.append_child("Mode").append_attribute("Mode") = "Event counting";
        appendWithUnit(node, "MaxFrequency", "20000000", "Hz");
    }
    for (int port = 0; port * 8 < model.dioChannels; ++port) {
        pugi::xml_node node = channels.append_child(("DIO" + std::to_string(port)).c_str());
        appendText(node, "Lines", "8");
        appendText(node, "Direction", "Input");
    }
    for (int ch = 0; ch < model.canChannels; ++ch) {
        std::int64_t bitRate = 500000;
        board.can().property(ch, 0, &bitRate);
        pugi::xml_node node = channels.append_child(("CAN" + std::to_string(ch)).c_str());
        appendWithUnit(node, "BitRate", std::to_string(bitRate), "bit/s");
    }
    for (int ch = 0; ch < model.uartChannels; ++ch) {
        std::int64_t baud = 115200;
        board.uart().property(ch, 0, &baud);
        pugi::xml_node node = channels.append_child(("UART" + std::to_string(ch)).c_str());
        appendWithUnit(node, "BaudRate", std::to_string(baud), "Bd");
    }
}

} // namespace

std::string BoardDocuments::properties(SimBoard& board, const BoardPlacement& placement)
{
    const BoardModel& model = board.model();
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("Properties");
    root.append_attribute("BoardID") = placement.boardId;
    pugi::xml_node info = root.append_child("BoardInfo");
    appendText(info, "BoardName", board.boardName());
    appendText(info, "DisplayName", board.displayName());
    appendText(info, "FamilyName", model.familyName);
    appendText(info, "Type", model.type);
    appendText(info, "SerialNumber", board.serialNumber());
    appendText(info, "TypeCode", std::to_string(model.typeCode));
    appendText(info, "FWRevision", board.firmware());
    appendBaseBoard(info, board);
    appendConPanel(info, board);
    pugi::xml_node status = info.append_child("E2PromStatus");
    appendEepromStatus(status, "BaseE2Prom", board, board.base(), "ERROR_BASEEEPROM_NO_BACKUP_FILE");
    appendEepromStatus(status, "ConE2Prom", board, board.con(), "ERROR_CONEEPROM_NO_BACKUP_FILE");
    if (!model.channelModules.empty()) {
        pugi::xml_node modules = info.append_child("ChannelModuleList");
        for (std::size_t i = 0; i < model.channelModules.size(); ++i)
            appendText(modules, ("ID" + std::to_string(i)).c_str(), model.channelModules[i]);
    }
    appendFeatureList(info, board);
    appendBoardFeatures(root, board);
    appendSystemInfo(root, board, placement);
    appendChannels(root, board);
    return xml_util::print(doc);
}

void BoardDocuments::appendKey(pugi::xml_node parent, const BoardModel& model, const std::string& baseVersion,
                               std::uint32_t featureSet, const std::string& displayName)
{
    pugi::xml_node key = parent.append_child("KEY");
    key.append_attribute("BaseModel") = model.baseModel.c_str();
    key.append_attribute("BaseVersion") = baseVersion.c_str();
    key.append_attribute("ConModel") = model.conModel.c_str();
    key.append_attribute("ConVersion") = model.conVersion.c_str();
    key.append_attribute("FeatureSet") = hex8(featureSet).c_str();
    appendText(key, "FamilyName", model.familyName);
    appendText(key, "Type", model.type);
    appendText(key, "ConBv", model.conBv);
    appendText(key, "DisplayName", displayName);
    appendText(key, "TypeCode", std::to_string(model.typeCode));
}

std::string BoardDocuments::key(const SimBoard& board)
{
    pugi::xml_document doc;
    appendKey(doc, board.model(), board.baseVersion(), board.featureSet(), board.displayName());
    return xml_util::print(doc);
}

std::string BoardDocuments::eepromSummary(const SimBoard& board)
{
    const SimBoard::Eeprom& base = board.base();
    std::string source = "E2Prom";
    std::string text = base.document;
    if (base.health != EepromHealth::Good) {
        source =
            board.backupPresent(base) && file_util::readFile(base.backupPath, text, 1u << 20) ? "Backup" : "Default";
        if (source == "Default")
            text = EepromDocuments::defaultBase(board.model(), board.baseVersion(), board.serialNumber(),
                                                board.featureSet());
    }
    BaseFacts facts;
    EepromDocuments::readBase(text, facts);
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("BaseEEPROM");
    root.append_attribute("Name") = facts.name.c_str();
    pugi::xml_node info = root.append_child("BoardInfo");
    appendText(info, "BaseModel", facts.baseModel);
    appendText(info, "BaseVersion", facts.baseVersion);
    appendText(info, "SerialNumber", facts.serialNumber);
    appendText(info, "TypeCode", std::to_string(board.model().typeCode));
    appendText(root, "Source", source);
    appendText(root, "Status", statusText(base.health));
    return xml_util::print(doc);
}

std::string BoardDocuments::firmwareCheck(const SimBoard& board, std::int32_t& status)
{
    const FirmwareFile* latest = ProductCatalog::instance().latestFirmware(board.model().name);
    std::uint32_t installed = 0;
    std::uint32_t newest = 0;
    if (!latest) {
        status = rc::firmwareModelNotFound;
    } else if (!xml_util::parseHex32(board.firmware(), installed) || !xml_util::parseHex32(latest->version, newest)) {
        status = rc::firmwareRevisionNotFound;
    } else {
        status = installed < newest ? rc::installedOlder : installed > newest ? rc::installedNewer : rc::ok;
    }
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("FWCheck");
    appendText(root, "BoardName", board.displayName());
    appendText(root, "InstalledVersion", board.firmware());
    appendText(root, "LatestVersion", latest ? latest->version : std::string());
    appendText(root, "FileName", latest ? latest->fileName : std::string());
    appendText(root, "Status", std::to_string(status));
    appendText(root, "StatusText", resultText(status));
    return xml_util::print(doc);
}

} // namespace zmpxi_sim
