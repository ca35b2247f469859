#include "core/system_scanner.h"

#include "core/description_parser.h"
#include "core/enclosure_node.h"
#include "core/root_node.h"
#include "core/slot_node.h"
#include "driver/command/app_status.h"
#include "driver/command/qorin_node_util_wrapper.h"
#include "uni/log.h"
#include "xpugi/element.h"

#include <cstdio>
#include <memory>

namespace z2e {
namespace {

const char* const kLogChannel = "core";

std::string boardIdText(std::uint32_t board)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04u", board);
    return text;
}

std::string installedFirmware(const std::string& fwCheckDocument)
{
    pugi::xml_document document;
    if (!DescriptionParser::parseXml(fwCheckDocument, document))
        return {};
    return xpugi::elementText(document.document_element().child("InstalledVersion"));
}

} // namespace

SystemScanner::SystemScanner(QorinNodeUtilWrapper& wrapper) : m_wrapper(wrapper) {}

std::int32_t SystemScanner::scan(RootNode& root)
{
    root.clear();
    root.resetOverview();
    if (!m_wrapper.isReady())
        return AppStatus::NotReady;
    const std::uint32_t enclosures = m_wrapper.getEnclosureCount();
    for (std::uint32_t enclosure = 0; enclosure < enclosures; ++enclosure)
        scanEnclosure(root, enclosure);
    const std::uint32_t boards = m_wrapper.getBoardCount();
    for (std::uint32_t board = 0; board < boards; ++board)
        scanBoard(root, board);
    return AppStatus::Ok;
}

void SystemScanner::scanEnclosure(RootNode& root, std::uint32_t enclosure)
{
    std::string description;
    std::string key;
    const std::int32_t result = m_wrapper.getEnclosureProperties(enclosure, description);
    if (result > 0)
        UNI_LOG(kLogChannel, uni::log::warning) << "enclosure " << enclosure << ": no description (" << result << ")";
    m_wrapper.getEnclosureKey(enclosure, key);
    auto node = std::make_unique<EnclosureNode>(root.systemKind);
    EnclosureNode* placed = static_cast<EnclosureNode*>(root.addChild(std::move(node)));
    DescriptionParser::parseEnclosureDescription(placed, static_cast<std::int32_t>(enclosure), description, key, false);
    placed->key = key;
}

SlotNode* SystemScanner::freeSlotAt(RootNode& root, std::int32_t enclosure, std::int32_t slotNumber) const
{
    if (enclosure < 0 || slotNumber < 0)
        return nullptr;
    for (std::size_t i = 0; i < root.childCount(); ++i) {
        auto* node = dynamic_cast<EnclosureNode*>(root.childAt(i));
        if (!node || node->number != enclosure)
            continue;
        const std::int64_t position = static_cast<std::int64_t>(slotNumber) - node->slotNoOffset;
        if (position < 0 || position >= static_cast<std::int64_t>(node->slotCount()))
            return nullptr;
        SlotNode* slot = node->slotAt(static_cast<std::size_t>(position));
        return slot && !slot->holdsBoard() ? slot : nullptr;
    }
    return nullptr;
}

void SystemScanner::readBoardFacts(SlotNode& slot, std::uint32_t board)
{
    m_wrapper.getBoardKey(board, slot.boardKey);
    m_wrapper.getEepromRevisions(board, slot.baseRevision, slot.conRevision);
    if (slot.systemKind == SystemKind::Demo)
        return;
    m_wrapper.getBoardTemperatures(board, slot.baseTemperature, slot.conTemperature);
    std::string fwCheck;
    const std::int32_t checkStatus = m_wrapper.getFirmwareCheck(board, fwCheck);
    slot.firmwareWarning = DescriptionParser::firmwareWarningSuffix(checkStatus, fwCheck, installedFirmware(fwCheck));
}

void SystemScanner::scanBoard(RootNode& root, std::uint32_t board)
{
    std::int32_t chassis = -1;
    std::int32_t slotNumber = -1;
    m_wrapper.getBoardLocation(board, chassis, slotNumber);

    SlotNode* slot = freeSlotAt(root, chassis, slotNumber);
    std::unique_ptr<SlotNode> orphan;
    if (!slot) {
        UNI_LOG(kLogChannel, uni::log::warning)
            << "board " << board << " reports enclosure " << chassis << " slot " << slotNumber << ": not in the tree";
        orphan = std::make_unique<SlotNode>(root.systemKind);
        slot = orphan.get();
    }
    slot->boardIndex = static_cast<std::int32_t>(board);
    slot->boardId = boardIdText(board);
    readBoardFacts(*slot, board);

    std::string description;
    std::string caption;
    const std::int32_t read = m_wrapper.getBoardProperties(board, description);
    const std::int32_t parsed = DescriptionParser::parseBoardDescription(slot, description, caption);
    if (read > 0 || parsed != DescriptionParser::Ok)
        UNI_LOG(kLogChannel, uni::log::warning)
            << "board " << board << ": description not usable (" << read << ", " << parsed << ")";
    if (parsed == DescriptionParser::Ok) {
        root.addBoardRow(DescriptionParser::overviewRow(*slot), *slot);
        const std::string& model = slot->described.displayName;
        slot->boardNames.push_back(model.empty() ? caption : model);
    }
    if (orphan) {
        orphan->nodeType = NodeType::OrphanBoard;
        root.addChild(std::move(orphan));
    }
}

} // namespace z2e
