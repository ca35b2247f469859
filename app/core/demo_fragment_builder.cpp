#include "core/demo_fragment_builder.h"

#include "xpugi/element.h"

#include <cctype>
#include <pugixml.hpp>

namespace z2e {
namespace {

const char* const kEntryName = "IDDEMO";
constexpr std::size_t kMaxKeySize = 1u << 20;

// Option and channel names come from files: only plain XML names become elements.
bool isXmlName(const std::string& name)
{
    if (name.empty() || name.size() > 256)
        return false;
    const auto first = static_cast<unsigned char>(name[0]);
    if (!std::isalpha(first) && first != '_')
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && u != '_' && u != '-' && u != '.')
            return false;
    }
    return true;
}

void appendText(pugi::xml_node parent, const char* name, const std::string& text)
{
    pugi::xml_node child = parent.append_child(name);
    child.append_child(pugi::node_pcdata).set_value(text.c_str());
}

void appendIfSet(pugi::xml_node parent, const char* name, const std::string& text)
{
    if (!text.empty())
        appendText(parent, name, text);
}

void appendNamedValues(pugi::xml_node parent, const std::vector<SimulatedNamedValue>& values)
{
    for (const SimulatedNamedValue& value : values) {
        if (isXmlName(value.name))
            appendText(parent, value.name.c_str(), value.value);
    }
}

// The KEY element as a child of `entry`; false when the text is no XML element.
bool appendKey(pugi::xml_node entry, const std::string& key)
{
    if (key.empty() || key.size() > kMaxKeySize)
        return false;
    pugi::xml_document parsed;
    if (!parsed.load_buffer(key.data(), key.size(), pugi::parse_default) || !parsed.document_element())
        return false;
    pugi::xml_node copy = entry.append_copy(parsed.document_element());
    copy.set_name("KEY");
    return true;
}

pugi::xml_node entryOf(pugi::xml_document& document, const char* section)
{
    return document.append_child(section).append_child(kEntryName);
}

} // namespace

std::int32_t DemoFragmentBuilder::enclosure(const std::string& key, const std::string& serialNumber,
                                            const std::string& userData, std::string& fragment)
{
    pugi::xml_document document;
    pugi::xml_node entry = entryOf(document, "SimulatedEnclosures");
    if (!appendKey(entry, key))
        return kKeyUnusable;
    appendIfSet(entry, "SerialNumber", serialNumber);
    appendIfSet(entry, "UserData", userData);
    fragment = xpugi::printNode(document);
    return 0;
}

std::int32_t DemoFragmentBuilder::storedEnclosure(const SimulatedEnclosureEntry& stored, std::string& fragment)
{
    pugi::xml_document document;
    pugi::xml_node entry = entryOf(document, "SimulatedEnclosures");
    if (!appendKey(entry, stored.key))
        return kKeyUnusable;
    appendIfSet(entry, "SerialNumber", stored.serialNumber);
    appendIfSet(entry, "UserData", stored.userData);
    appendText(entry, "EncType", std::to_string(stored.encType));
    appendText(entry, "EncVersion", std::to_string(stored.encVersion));
    appendNamedValues(entry, stored.options);
    fragment = xpugi::printNode(document);
    return 0;
}

std::int32_t DemoFragmentBuilder::board(const SimulatedBoardEntry& board, std::string& fragment)
{
    pugi::xml_document document;
    pugi::xml_node entry = entryOf(document, "SimulatedBoards");
    if (!appendKey(entry, board.key))
        return kKeyUnusable;
    appendText(entry, "FWRevision", board.firmwareRevision);
    appendText(entry, "SerialNumber", board.serialNumber);
    appendIfSet(entry, "ConSerialNumber", board.conSerialNumber);
    if (!board.channelModules.empty())
        appendNamedValues(entry.append_child("ChannelModules"), board.channelModules);
    fragment = xpugi::printNode(document);
    return 0;
}

} // namespace z2e
