#include "simulation_reader.h"

#include <cstring>

#include "xml_util.h"

namespace zmpxi_sim {
namespace {

using xml_util::text;

bool isEntryName(const char* name)
{
    return std::strncmp(name, "ID", 2) == 0;
}

bool requireInt(const pugi::xml_node& entry, const char* child, std::int32_t& value, std::string& error)
{
    if (!entry.child(child)) {
        error = std::string(entry.name()) + ": missing " + child;
        return false;
    }
    if (!xml_util::parseInt32(entry.child(child).child_value(), value)) {
        error = std::string(entry.name()) + ": " + child + " is not an integer";
        return false;
    }
    return true;
}

bool requireText(const pugi::xml_node& entry, const char* child, bool nonEmpty, std::string& value, std::string& error)
{
    if (!entry.child(child)) {
        error = std::string(entry.name()) + ": missing " + child;
        return false;
    }
    value = text(entry, child);
    if (nonEmpty && value.empty()) {
        error = std::string(entry.name()) + ": empty " + child;
        return false;
    }
    return true;
}

bool requireAttribute(const pugi::xml_node& key, const char* name, std::string& value, std::string& error)
{
    value = xml_util::trimmed(key.attribute(name).value());
    if (value.empty()) {
        error = std::string("KEY: missing attribute ") + name;
        return false;
    }
    return true;
}

EepromFault eepromFault(const std::string& value)
{
    if (xml_util::equalsNoCase(value, "corrupt"))
        return EepromFault::Corrupt;
    if (xml_util::equalsNoCase(value, "blank"))
        return EepromFault::Blank;
    return EepromFault::None;
}

bool isFalse(const std::string& value)
{
    return xml_util::equalsNoCase(value, "false") || xml_util::equalsNoCase(value, "missing") || value == "0";
}

} // namespace

bool SimulationReader::read(const pugi::xml_node& enclosures, const pugi::xml_node& boards, SimulationSection& out,
                            std::string& error) const
{
    SimulationSection section;
    for (pugi::xml_node child : enclosures.children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (!isEntryName(child.name())) {
            error = std::string("SimulatedEnclosures: unexpected element ") + child.name();
            return false;
        }
        EnclosureEntry entry;
        if (!readEnclosure(child, entry, error))
            return false;
        section.enclosures.push_back(std::move(entry));
    }
    if (pugi::xml_node scale = boards.child("AIScale")) {
        std::int32_t ignored = 0;
        if (!xml_util::parseInt32(scale.child_value(), ignored)) {
            error = "SimulatedBoards: AIScale is not an integer";
            return false;
        }
    }
    for (pugi::xml_node child : boards.children()) {
        if (child.type() != pugi::node_element || !isEntryName(child.name()))
            continue;
        BoardEntry entry;
        if (!readBoard(child, entry, error))
            return false;
        section.boards.push_back(std::move(entry));
    }
    out = std::move(section);
    return true;
}

bool SimulationReader::readBoard(const pugi::xml_node& entry, BoardEntry& out, std::string& error) const
{
    out.id = entry.name();
    if (m_mode == Mode::Fragment) {
        xml_util::parseInt32(text(entry, "EncNumber"), out.encNumber);
        xml_util::parseInt32(text(entry, "SlotNumber"), out.slotNumber);
        out.fwRevision = text(entry, "FWRevision");
        out.serialNumber = text(entry, "SerialNumber");
    } else if (!requireInt(entry, "EncNumber", out.encNumber, error) ||
               !requireInt(entry, "SlotNumber", out.slotNumber, error) ||
               !requireText(entry, "FWRevision", true, out.fwRevision, error) ||
               !requireText(entry, "SerialNumber", false, out.serialNumber, error)) {
        return false;
    }
    out.conSerialNumber = text(entry, "ConSerialNumber");
    for (pugi::xml_node module : entry.child("ChannelModules").children()) {
        if (module.type() == pugi::node_element)
            out.channelModules.emplace_back(module.name(), xml_util::trimmed(module.child_value()));
    }
    if (m_mode != Mode::Configuration) {
        out.modelName = text(entry, "Model");
        out.calDate = text(entry, "CalDate");
        if (!out.calDate.empty() && !xml_util::isDate(out.calDate)) {
            error = out.id + ": CalDate \"" + out.calDate + "\" is no date (YYYY-MM-DD)";
            return false;
        }
        readBoardFaults(entry.child("Faults"), out.faults);
        readLiterals(entry.child("Literals"), out.literals);
    }
    if (pugi::xml_node key = entry.child("KEY"))
        return readBoardKey(key, out, error);
    return modelNamed(entry, out.modelName, error);
}

bool SimulationReader::readBoardKey(const pugi::xml_node& key, BoardEntry& out, std::string& error) const
{
    out.hasKey = true;
    out.featureSet = xml_util::trimmed(key.attribute("FeatureSet").value());
    return requireAttribute(key, "BaseModel", out.baseModel, error) &&
           requireAttribute(key, "BaseVersion", out.baseVersion, error) &&
           requireAttribute(key, "ConModel", out.conModel, error) &&
           requireAttribute(key, "ConVersion", out.conVersion, error) &&
           requireText(key, "FamilyName", true, out.familyName, error) &&
           requireText(key, "Type", true, out.type, error) && requireText(key, "ConBv", false, out.conBv, error) &&
           requireText(key, "DisplayName", true, out.displayName, error);
}

bool SimulationReader::readEnclosure(const pugi::xml_node& entry, EnclosureEntry& out, std::string& error) const
{
    out.id = entry.name();
    if (m_mode == Mode::Fragment) {
        out.serialNumber = text(entry, "SerialNumber");
        out.userData = text(entry, "UserData");
        out.encType = text(entry, "EncType");
        out.encVersion = text(entry, "EncVersion");
    } else if (!requireText(entry, "SerialNumber", true, out.serialNumber, error) ||
               !requireText(entry, "UserData", false, out.userData, error) ||
               !requireText(entry, "EncType", true, out.encType, error) ||
               !requireText(entry, "EncVersion", true, out.encVersion, error)) {
        return false;
    }
    static const char* const kFixed[] = {"KEY",        "SerialNumber", "UserData", "EncType",
                                         "EncVersion", "Model",        "Faults",   "Literals"};
    for (pugi::xml_node child : entry.children()) {
        if (child.type() != pugi::node_element)
            continue;
        bool fixed = false;
        for (const char* name : kFixed)
            fixed = fixed || std::strcmp(child.name(), name) == 0;
        if (!fixed)
            out.options.emplace_back(child.name(), xml_util::trimmed(child.child_value()));
    }
    if (m_mode != Mode::Configuration) {
        out.modelName = text(entry, "Model");
        out.dataWriteFails = xml_util::equalsNoCase(text(entry, "Faults/DataWrite"), "fail");
        readLiterals(entry.child("Literals"), out.literals);
    }
    if (pugi::xml_node key = entry.child("KEY"))
        return readEnclosureKey(key, out, error);
    return modelNamed(entry, out.modelName, error);
}

// Without a KEY a fragment must name its model; the files may leave an entry for later checks.
bool SimulationReader::modelNamed(const pugi::xml_node& entry, const std::string& modelName, std::string& error) const
{
    if (m_mode != Mode::Fragment || !modelName.empty())
        return true;
    error = std::string(entry.name()) + ": no KEY";
    return false;
}

bool SimulationReader::readEnclosureKey(const pugi::xml_node& key, EnclosureEntry& out, std::string& error) const
{
    out.hasKey = true;
    if (!requireAttribute(key, "EncName", out.encName, error) || !requireText(key, "Name", true, out.name, error) ||
        !requireInt(key, "SubVersion", out.subVersion, error) ||
        !requireInt(key, "UserSlotCnt", out.userSlotCnt, error) ||
        !requireInt(key, "SlotNoOffset", out.slotNoOffset, error) ||
        !requireInt(key, "StarHubSlot", out.starHubSlot, error)) {
        return false;
    }
    if (!key.child("SystemInfo")) {
        error = "KEY: missing SystemInfo";
        return false;
    }
    return true;
}

void SimulationReader::readSystemFaults(const pugi::xml_node& faults, SystemFaults& out)
{
    xml_util::parseInt32(text(faults, "InitBusy"), out.initBusy);
    xml_util::parseInt32(text(faults, "InitWarning"), out.initWarning);
    if (pugi::xml_node count = faults.child("EnclosureCount")) {
        out.overrideEnclosureCount = true;
        out.enclosureCountText = count.child_value();
    }
}

void SimulationReader::readBoardFaults(const pugi::xml_node& faults, BoardFaults& out)
{
    if (!faults)
        return;
    out.baseEeprom = eepromFault(text(faults, "BaseEEPROM"));
    out.conEeprom = eepromFault(text(faults, "ConEEPROM"));
    out.baseBackup = !isFalse(text(faults, "BaseBackup"));
    out.conBackup = !isFalse(text(faults, "ConBackup"));
    const std::string verdict = text(faults, "SelfTest");
    out.selfTestVerdict = xml_util::equalsNoCase(verdict, "fail") ? "false" : verdict;
    const std::string update = text(faults, "FirmwareUpdate");
    if (xml_util::equalsNoCase(update, "fail"))
        out.firmwareUpdateFailures = -1;
    else
        xml_util::parseInt32(update, out.firmwareUpdateFailures);
    out.eepromWriteFails = xml_util::equalsNoCase(text(faults, "EEPROMWrite"), "fail");
    out.baseTemp = text(faults, "BaseTemp");
    out.conTemp = text(faults, "ConTemp");
}

const LiteralDocument* findLiteral(const std::vector<LiteralDocument>& literals, const std::string& suffix,
                                   const std::string& item)
{
    for (const LiteralDocument& doc : literals) {
        if (xml_util::equalsNoCase(doc.suffix, suffix) && doc.item == item)
            return &doc;
    }
    return nullptr;
}

void SimulationReader::readLiterals(const pugi::xml_node& literals, std::vector<LiteralDocument>& out)
{
    for (pugi::xml_node doc : literals.children("Document")) {
        LiteralDocument literal;
        literal.suffix = doc.attribute("Suffix").value();
        literal.item = doc.attribute("Item").value();
        // Text or CDATA content is returned byte for byte; an element child is printed.
        for (pugi::xml_node child : doc.children()) {
            if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
                literal.text += child.value();
        }
        if (xml_util::trimmed(literal.text).empty()) {
            literal.text.clear();
            if (pugi::xml_node element =
                    doc.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; }))
                literal.text = xml_util::print(element);
        }
        if (!literal.item.empty())
            out.push_back(std::move(literal));
    }
}

} // namespace zmpxi_sim
