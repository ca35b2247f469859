#include "core/description_parser.h"

#include "core/enclosure_node.h"
#include "core/fragment_set.h"
#include "core/slot_node.h"
#include "core/temperature_rows.h"
#include "uni/number_text.h"
#include "xpugi/element.h"
#include "xpugi/untrusted_parse.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <memory>
#include <vector>

namespace z2e {
namespace {

constexpr unsigned kParseOptions = pugi::parse_default; // whitespace-only text is dropped

// The renaming runs for every element: one pass over its name finds every word that matters.
enum NameWord : std::uint32_t {
    IdentificationWords = 0x3fu, ///< VendorId ... BusNo
    SystemInfoWord = 1u << 6,
    LocationWords = 0x3ffu << 7, ///< PCIInfo ... EnclosureInfo
    FWRevisionWord = 1u << 17,
    PCIWord = 1u << 18,
};

const FragmentSet& nameWords()
{
    static const FragmentSet words{
        "VendorId", "VendorID",   "DeviceId",      "DeviceID",   "DevNo",    "BusNo", "SystemInfo",
        "PCIInfo",  "EthInfo",    "SWInfo",        "ChnNoStart", "BoardCNT", "ARef",  "ConCal",
        "ConTest",  "ConSelfCal", "EnclosureInfo", "FWRevision", "PCI",
    };
    return words;
}

const char* const kBoardSubtrees[] = {"BoardFeatures", "BoardInfo/ChannelModuleList", "SystemInfo",
                                      "ChannelProperties"};

bool contains(std::string_view text, std::string_view fragment)
{
    return text.find(fragment) != std::string_view::npos;
}

bool startsWith(const char* text, std::string_view prefix)
{
    // Stops at the text's terminating zero, which no prefix holds.
    for (const char letter : prefix) {
        if (*text++ != letter)
            return false;
    }
    return true;
}

enum class ParentKind { Other, Enclosure, Slot, Property };

ParentKind parentKind(const ModelNode* parent)
{
    if (!parent)
        return ParentKind::Other;
    switch (parent->nodeType) {
    case NodeType::Root: return ParentKind::Other;
    case NodeType::Enclosure: return ParentKind::Enclosure;
    case NodeType::BoardSlot:
    case NodeType::EmptySlot:
    case NodeType::OrphanBoard: return ParentKind::Slot;
    default: return ParentKind::Property;
    }
}

std::string textAt(const pugi::xml_node& context, const char* path)
{
    return xpugi::elementText(context.first_element_by_path(path));
}

/// The attributes the tree reads, found in one pass over an element's attributes.
struct ElementAttributes {
    pugi::xml_attribute visible;
    pugi::xml_attribute unit;
    pugi::xml_attribute mode;
};

ElementAttributes readAttributes(const pugi::xml_node& element)
{
    ElementAttributes found;
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        // The first of a name counts, as a look-up by name would find it.
        const char* name = attribute.name();
        if (!found.visible && std::strcmp(name, "Visible") == 0)
            found.visible = attribute;
        else if (!found.unit && std::strcmp(name, "Unit") == 0)
            found.unit = attribute;
        else if (!found.mode && std::strcmp(name, "Mode") == 0)
            found.mode = attribute;
    }
    return found;
}

bool readsFalse(const pugi::xml_attribute& visible)
{
    return visible && !visible.as_bool(true);
}

std::int32_t build(ModelNode& node, const pugi::xml_node& element, const ElementAttributes& attributes, int depth);

void addChildren(ModelNode& node, const pugi::xml_node& element, int depth)
{
    // Room for every child element at once: a tree has tens of thousands of child lists.
    std::size_t elements = 0;
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
        elements += child.type() == pugi::node_element ? 1 : 0;
    node.reserveChildren(elements);
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        const pugi::xml_node_type kind = child.type();
        if (kind == pugi::node_pcdata || kind == pugi::node_cdata) {
            const char* text = child.value();
            if (*text)
                node.values.emplace_back(text);
            continue;
        }
        if (kind != pugi::node_element)
            continue;
        const ElementAttributes attributes = readAttributes(child);
        if (readsFalse(attributes.visible))
            continue;
        const char* name = child.name();
        if (startsWith(name, "ID")) {
            node.values.push_back(xpugi::elementText(child));
            continue;
        }
        if (startsWith(name, "SystemInfo") || startsWith(name, "PCIInfo")) {
            if (depth < DescriptionParser::kMaxDepth)
                addChildren(node, child, depth + 1);
            continue;
        }
        // Rows below an enclosure are its property rows; deeper rows take their parent's type.
        const std::uint32_t type =
            node.nodeType == NodeType::Enclosure ? NodeType::Property : std::uint32_t{node.nodeType};
        ModelNode* built = node.addChild(std::make_unique<ModelNode>(node.systemKind, type));
        if (build(*built, child, attributes, depth + 1) != DescriptionParser::Ok || contains(built->name, "Exclude"))
            node.removeChild(node.childCount() - 1);
    }
}

std::int32_t build(ModelNode& node, const pugi::xml_node& element, const ElementAttributes& attributes, int depth)
{
    if (depth > DescriptionParser::kMaxDepth)
        return DescriptionParser::TooDeep;
    const std::string_view elementName = element.name();
    node.name = DescriptionParser::propertyName(elementName, node.name, node.parent());
    if (elementName == "UserData")
        return DescriptionParser::Dropped;
    if (elementName == "Mode" && attributes.mode)
        node.values.emplace_back(attributes.mode.value());
    if (attributes.unit)
        node.setUnit(attributes.unit.value());
    addChildren(node, element, depth);
    return DescriptionParser::Ok;
}

/// Builds a subtree below `parent` and keeps it only when it is to be shown.
void addPropertySubtree(ModelNode& parent, const pugi::xml_node& element)
{
    if (!element)
        return;
    ModelNode* node = parent.addChild(std::make_unique<ModelNode>(parent.systemKind, NodeType::Property));
    if (DescriptionParser::buildPropertyNode(*node, element) != DescriptionParser::Ok)
        parent.removeChild(parent.childCount() - 1);
}

std::uint32_t eepromStateAt(const pugi::xml_node& eeprom)
{
    return DescriptionParser::eepromBackupState(textAt(eeprom, "Status"), textAt(eeprom, "HeaderStatus"),
                                                textAt(eeprom, "AutoBackupFile"));
}

pugi::xml_node enclosureInfo(const pugi::xml_node& root)
{
    if (std::strcmp(root.name(), "EnclosureInfo") == 0 || std::strcmp(root.name(), "KEY") == 0)
        return root;
    return root.child("EnclosureInfo");
}

/// Enclosure data of the second document: type code, and type, version and options when given.
void readEncNameDocument(EnclosureNode& enclosure, const std::string& text)
{
    pugi::xml_document document;
    if (!DescriptionParser::parseXml(text, document))
        return;
    const pugi::xml_node root = document.document_element();
    std::string encName = textAt(root, "EncName");
    if (encName.empty())
        encName = root.child("KEY").attribute("EncName").value();
    if (encName.empty())
        encName = root.attribute("EncName").value();
    uni::text::parseLeadingHex(encName, enclosure.typeCode);

    std::int32_t number = 0;
    if (uni::text::parseSignedDecimal(textAt(root, "EncType"), number))
        enclosure.encType = static_cast<std::uint32_t>(number);
    if (uni::text::parseSignedDecimal(textAt(root, "EncVersion"), number))
        enclosure.encVersion = static_cast<std::uint32_t>(number);
    const pugi::xml_node version = root.child("EncVersion");
    if (!version)
        return;
    enclosure.options.clear();
    for (pugi::xml_node option = version.next_sibling(); option; option = option.next_sibling()) {
        if (option.type() == pugi::node_element)
            enclosure.options.push_back({option.name(), xpugi::elementText(option)});
    }
}

/// Enclosure data as the enclosure's own description carries it.
void readEnclosureData(EnclosureNode& enclosure, const pugi::xml_node& info)
{
    std::int32_t number = 0;
    if (uni::text::parseSignedDecimal(textAt(info, "EncType"), number))
        enclosure.encType = static_cast<std::uint32_t>(number);
    if (uni::text::parseSignedDecimal(textAt(info, "EncVersion"), number))
        enclosure.encVersion = static_cast<std::uint32_t>(number);
    const pugi::xml_node options = info.child("Options");
    for (pugi::xml_node option = options.first_child(); option; option = option.next_sibling()) {
        if (option.type() == pugi::node_element)
            enclosure.options.push_back({option.name(), xpugi::elementText(option)});
    }
}

/// The rates "ChannelProperties" gives channels `prefix`0..3 in `element`; a rate that is not a
/// number of bit/s up to 10^9 stays unknown.
void readBusRates(std::array<std::uint32_t, DescriptionParser::BusRates::kChannels>& rates,
                  const pugi::xml_node& properties, const char* prefix, const char* element)
{
    constexpr std::uint32_t kHighestRate = 1'000'000'000;
    for (std::size_t channel = 0; channel < rates.size(); ++channel) {
        const std::string name = prefix + std::to_string(channel);
        std::uint32_t rate = 0;
        const std::string text = xpugi::elementText(properties.child(name.c_str()).child(element));
        if (uni::text::parseUnsignedDecimal(text, rate) && rate > 0 && rate <= kHighestRate)
            rates[channel] = rate;
    }
}

void readFacts(BoardDescriptionFacts& facts, const pugi::xml_node& root)
{
    const pugi::xml_node info = root.child("BoardInfo");
    facts.parsed = true;
    facts.displayName = xpugi::elementText(info.child("DisplayName"));
    for (const pugi::xml_node item : info.child("FeatureList").children("FeatureItem")) {
        facts.anyFeature = true;
        if (std::strcmp(item.attribute("Visible").as_string("true"), "false") != 0)
            facts.visibleFeature = true;
    }
    const pugi::xml_node features = root.child("BoardFeatures");
    facts.can = features.child("CanChannels").text().as_int() > 0;
    facts.uart = features.child("UartChannels").text().as_int() > 0;
    facts.overview = DescriptionParser::overviewRow(root, std::string(), std::string());
}

void addUserSlots(EnclosureNode& enclosure, std::size_t slotsFound)
{
    const std::int32_t wanted = std::min(enclosure.userSlotCount, DescriptionParser::kMaxSlots);
    for (std::size_t slotIndex = slotsFound; static_cast<std::int64_t>(slotIndex) < wanted; ++slotIndex) {
        auto slot = std::make_unique<SlotNode>(enclosure.systemKind);
        slot->index = static_cast<std::int32_t>(slotIndex);
        slot->number = enclosure.slotNumber(slot->index);
        slot->locked = enclosure.locked;
        enclosure.addChild(std::move(slot));
    }
    for (std::size_t slotIndex = 0; slotIndex < enclosure.slotCount(); ++slotIndex) {
        SlotNode* slot = enclosure.slotAt(slotIndex);
        if (slot)
            slot->beyondUserSlots = !(static_cast<std::int64_t>(slot->index) < enclosure.userSlotCount);
    }
}

} // namespace

DescriptionParser::BusRates DescriptionParser::busRates(const std::string& description)
{
    BusRates rates;
    pugi::xml_document document;
    if (!parseXml(description, document))
        return rates;
    const pugi::xml_node properties = document.document_element().child("ChannelProperties");
    readBusRates(rates.can, properties, "CAN", "BitRate");
    readBusRates(rates.uart, properties, "UART", "BaudRate");
    return rates;
}

bool DescriptionParser::parseXml(const std::string& text, pugi::xml_document& document)
{
    document.reset();
    if (text.empty() || text.size() > kMaxDescriptionSize)
        return false;
    return xpugi::parseUntrusted(document, text, kParseOptions) && document.document_element();
}

std::string DescriptionParser::propertyName(std::string_view elementName, const std::string& currentName,
                                            const ModelNode* parent)
{
    const std::uint32_t words = nameWords().found(elementName);
    if (words & IdentificationWords)
        return (words & PCIWord) ? std::string(elementName) : std::string("PCI").append(elementName);
    const ParentKind kind = parentKind(parent);
    if (words & SystemInfoWord) {
        switch (kind) {
        case ParentKind::Enclosure: return "EnclosureInfo";
        case ParentKind::Slot: return "BoardLocation";
        case ParentKind::Property: return "Exclude";
        case ParentKind::Other: return currentName;
        }
    }
    if (words & LocationWords) {
        if (kind == ParentKind::Slot)
            return "BoardLocation";
        return kind == ParentKind::Property ? "Exclude" : currentName;
    }
    if ((words & FWRevisionWord) && parent && contains(parent->name, "ConPanel"))
        return "Exclude";
    return std::string(elementName);
}

std::int32_t DescriptionParser::buildPropertyNode(ModelNode& node, const pugi::xml_node& element)
{
    if (element.type() != pugi::node_element)
        return Dropped;
    return build(node, element, readAttributes(element), 0);
}

std::uint32_t DescriptionParser::eepromBackupState(const std::string& status, const std::string& headerStatus,
                                                   const std::string& autoBackupFile)
{
    if (status.empty() || headerStatus.empty() || autoBackupFile.empty())
        return EepromBackupState::NoBackup;
    if (!contains(headerStatus, "OK"))
        return EepromBackupState::NoBackup;
    if (contains(autoBackupFile, "ERROR_BASEEEPROM_NO_BACKUP_FILE") ||
        contains(autoBackupFile, "ERROR_CONEEPROM_NO_BACKUP_FILE"))
        return EepromBackupState::NoBackup;
    return contains(status, "OK") ? EepromBackupState::Healthy : EepromBackupState::Restorable;
}

std::string DescriptionParser::firmwareWarningSuffix(std::int32_t checkStatus, const std::string& firmwareText,
                                                     const std::string& revisionText)
{
    static const char* const kUnknown = "  [WARNING: Firmware Unknown.]";
    if (checkStatus == -260902)
        return "  [WARNING: Firmware newer.]";
    if (checkStatus == -260901)
        return "  [WARNING: Firmware old.]";
    if (checkStatus != 0 || firmwareText.empty())
        return kUnknown;
    std::uint32_t revision = 0;
    // A revision that is no hexadecimal number is no known release either.
    if (!uni::text::parseLeadingHex(revisionText, revision))
        return kUnknown;
    return revision < 0xD000u ? std::string() : kUnknown;
}

RootNode::OverviewRow DescriptionParser::overviewRow(const pugi::xml_node& document, const std::string& baseRevision,
                                                     const std::string& conRevision)
{
    const pugi::xml_node info = document.child("BoardInfo");
    const pugi::xml_node base = info.child("BaseBoard");
    const pugi::xml_node panel = info.child("ConPanel");
    static_assert(kBaseRevisionColumn == 5 && kConRevisionColumn == 15, "revision cells moved");
    return RootNode::OverviewRow{
        textAt(info, "BoardName"),
        std::string(),
        std::string(),
        textAt(base, "BaseModel"),
        textAt(base, "BaseVersion"),
        baseRevision,
        textAt(base, "SerialNumber"),
        textAt(base, "BaseCal/Date"),
        textAt(base, "BaseCal/BaseBoardTemp"),
        textAt(base, "BaseTest/Passed"),
        textAt(base, "BaseTest/Date"),
        textAt(base, "BaseTest/BaseBoardTemp"),
        std::string(),
        textAt(panel, "ConModel"),
        textAt(panel, "ConVersion"),
        conRevision,
        textAt(panel, "SerialNumber"),
        textAt(panel, "ConCal/Date"),
        textAt(panel, "ConCal/ConPanelTemp"),
        textAt(panel, "ConTest/Passed"),
        textAt(panel, "ConTest/Date"),
        textAt(panel, "ConTest/ConPanelTemp"),
    };
}

RootNode::OverviewRow DescriptionParser::overviewRow(const SlotNode& slot)
{
    RootNode::OverviewRow row = slot.described.overview;
    row[kBaseRevisionColumn] = slot.baseRevision;
    row[kConRevisionColumn] = slot.conRevision;
    return row;
}

std::int32_t DescriptionParser::parseBoardDescription(SlotNode* slot, const std::string& description,
                                                      std::string& caption)
{
    if (!slot || description.empty())
        return MissingInput;
    if (slot->systemKind != SystemKind::Demo) {
        TemperatureRows::add(*slot, slot->baseTemperature, slot->conTemperature);
    }
    pugi::xml_document document;
    const pugi::xml_node root = parseXml(description, document) ? document.document_element() : pugi::xml_node();
    const pugi::xml_node info = root.child("BoardInfo");
    slot->described = BoardDescriptionFacts();
    if (!info) {
        caption.clear();
        return Unparsable;
    }
    readFacts(slot->described, root);

    caption = textAt(info, "BoardName");
    if (slot->systemKind != SystemKind::Demo)
        caption += slot->firmwareWarning;
    slot->values.assign(1, caption);

    slot->baseEepromState = EepromBackupState::Healthy;
    slot->conEepromState = EepromBackupState::Healthy;
    if (contains(caption, "E2PROM-ERROR")) {
        const pugi::xml_node status = info.child("E2PromStatus");
        slot->baseEepromState = eepromStateAt(status.child("BaseE2Prom"));
        slot->conEepromState = eepromStateAt(status.child("ConE2Prom"));
    }

    slot->serialNumber = textAt(info, "SerialNumber");
    slot->baseModel = textAt(info, "BaseBoard/BaseModel");
    slot->baseVersion = textAt(info, "BaseBoard/BaseVersion");
    slot->conModel = textAt(info, "ConPanel/ConModel");
    slot->conVersion = textAt(info, "ConPanel/ConVersion");
    slot->conSerialNumber = textAt(info, "ConPanel/SerialNumber");
    slot->firmwareRevision = textAt(info, "FWRevision");

    addPropertySubtree(*slot, info);
    for (const char* path : kBoardSubtrees)
        addPropertySubtree(*slot, root.first_element_by_path(path));

    slot->nodeType = NodeType::BoardSlot;
    return Ok;
}

std::int32_t DescriptionParser::parseEnclosureDescription(EnclosureNode* enclosure, std::int32_t enclosureIndex,
                                                          const std::string& description,
                                                          const std::string& encNameText, bool locked)
{
    if (!enclosure)
        return MissingInput;
    enclosure->index = enclosureIndex;
    enclosure->number = enclosureIndex;
    enclosure->description = description;
    enclosure->locked = locked;

    // Property rows go first; slots that are already there keep their order behind them.
    std::vector<std::unique_ptr<ModelNode>> slots;
    for (std::size_t i = enclosure->childCount(); i-- > 0;) {
        const std::uint32_t type = enclosure->childAt(i)->nodeType;
        if (type == NodeType::EmptySlot || type == NodeType::BoardSlot)
            slots.insert(slots.begin(), enclosure->takeChild(i));
    }
    enclosure->propertyCount = enclosure->childCount();

    pugi::xml_document document;
    const pugi::xml_node info =
        parseXml(description, document) ? enclosureInfo(document.document_element()) : pugi::xml_node();
    if (info) {
        enclosure->values.push_back(textAt(info, "Name"));
        enclosure->serialNumber = textAt(info, "SerialNumber");
        enclosure->userData = textAt(info, "UserData");
        uni::text::parseSignedDecimal(textAt(info, "UserSlotCnt"), enclosure->userSlotCount);
        uni::text::parseSignedDecimal(textAt(info, "SlotNoOffset"), enclosure->slotNoOffset);
        readEnclosureData(*enclosure, info);
        addChildren(*enclosure, info, 0);
        enclosure->propertyCount = enclosure->childCount();
    }
    const std::size_t slotsFound = slots.size();
    for (std::unique_ptr<ModelNode>& slot : slots)
        enclosure->addChild(std::move(slot));
    addUserSlots(*enclosure, slotsFound);
    readEncNameDocument(*enclosure, encNameText);
    return info ? Ok : Unparsable;
}

} // namespace z2e
