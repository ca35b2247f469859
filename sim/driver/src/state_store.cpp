#include "state_store.h"

#include <pugixml.hpp>

#include "file_util.h"
#include "xml_util.h"

namespace zmpxi_sim {
namespace {

const char* healthText(EepromHealth health)
{
    switch (health) {
    case EepromHealth::Good: return "good";
    case EepromHealth::Corrupt: return "corrupt";
    case EepromHealth::Blank: return "blank";
    }
    return "good";
}

EepromHealth healthOf(const std::string& text)
{
    if (text == "corrupt")
        return EepromHealth::Corrupt;
    if (text == "blank")
        return EepromHealth::Blank;
    return EepromHealth::Good;
}

void writeEeprom(pugi::xml_node parent, const char* which, const StoredEeprom& eeprom)
{
    if (!eeprom.present)
        return;
    pugi::xml_node node = parent.append_child("Eeprom");
    node.append_attribute("Which") = which;
    node.append_attribute("Health") = healthText(eeprom.health);
    if (eeprom.health != EepromHealth::Good)
        return;
    pugi::xml_document doc;
    if (doc.load_string(eeprom.document.c_str()))
        node.append_copy(doc.document_element());
}

void readEeprom(const pugi::xml_node& node, StoredEeprom& eeprom)
{
    eeprom.present = true;
    eeprom.health = healthOf(node.attribute("Health").value());
    const pugi::xml_node document = node.first_child();
    if (eeprom.health == EepromHealth::Good && document.type() == pugi::node_element)
        eeprom.document = xml_util::print(document);
    else if (eeprom.health == EepromHealth::Good)
        eeprom.present = false;
}

// The root element `name` of the state file at `path`; null when the file is missing or not one.
pugi::xml_node loadRoot(const std::string& path, const char* name, pugi::xml_document& doc)
{
    std::string text;
    if (!file_util::readFile(path, text) || !doc.load_buffer(text.data(), text.size()))
        return {};
    return doc.child(name);
}

bool saveDocument(const std::string& path, const pugi::xml_document& doc)
{
    return file_util::writeFileAtomic(path, xml_util::print(doc));
}

} // namespace

StateStore::StateStore(std::string root) : m_root(std::move(root)) {}

std::string StateStore::key(bool simulated, const std::string& identity)
{
    return std::string(simulated ? "sim_" : "hw_") + file_util::safeName(identity);
}

bool StateStore::loadBoard(const std::string& key, BoardState& state) const
{
    pugi::xml_document doc;
    const pugi::xml_node root = loadRoot(boardPath(key), "BoardState", doc);
    if (!root)
        return false;
    BoardState loaded;
    loaded.fwRevision = xml_util::text(root, "FWRevision");
    for (pugi::xml_node eeprom : root.children("Eeprom")) {
        const std::string which = eeprom.attribute("Which").value();
        if (which == "base")
            readEeprom(eeprom, loaded.base);
        else if (which == "con")
            readEeprom(eeprom, loaded.con);
    }
    state = std::move(loaded);
    return true;
}

bool StateStore::saveBoard(const std::string& key, const BoardState& state) const
{
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("BoardState");
    root.append_child("FWRevision").text() = state.fwRevision.c_str();
    writeEeprom(root, "base", state.base);
    writeEeprom(root, "con", state.con);
    return saveDocument(boardPath(key), doc);
}

bool StateStore::loadEnclosure(const std::string& key, EnclosureState& state) const
{
    pugi::xml_document doc;
    const pugi::xml_node root = loadRoot(enclosurePath(key), "EnclosureState", doc);
    if (!root)
        return false;
    EnclosureState loaded;
    loaded.encType = xml_util::text(root, "EncType");
    loaded.encVersion = xml_util::text(root, "EncVersion");
    loaded.encName = xml_util::text(root, "EncName");
    loaded.serialNumber = xml_util::text(root, "SerialNumber");
    loaded.userData = root.child("UserData").child_value();
    for (pugi::xml_node option : root.child("Options").children()) {
        if (option.type() == pugi::node_element)
            loaded.options.emplace_back(option.name(), xml_util::trimmed(option.child_value()));
    }
    state = std::move(loaded);
    return true;
}

bool StateStore::saveEnclosure(const std::string& key, const EnclosureState& state) const
{
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("EnclosureState");
    root.append_child("EncType").text() = state.encType.c_str();
    root.append_child("EncVersion").text() = state.encVersion.c_str();
    root.append_child("EncName").text() = state.encName.c_str();
    root.append_child("SerialNumber").text() = state.serialNumber.c_str();
    root.append_child("UserData").text() = state.userData.c_str();
    pugi::xml_node options = root.append_child("Options");
    for (const auto& [name, value] : state.options)
        options.append_child(name.c_str()).text() = value.c_str();
    return saveDocument(enclosurePath(key), doc);
}

std::string StateStore::backupPath(const std::string& key, const char* which) const
{
    return file_util::join(m_root, "backup/" + key + "_" + which + ".xml");
}

std::string StateStore::boardPath(const std::string& key) const
{
    return file_util::join(m_root, "boards/" + key + ".xml");
}

std::string StateStore::enclosurePath(const std::string& key) const
{
    return file_util::join(m_root, "enclosures/" + key + ".xml");
}

} // namespace zmpxi_sim
