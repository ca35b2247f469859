#include "core/simulated_system_converter.h"

#include "core/description_parser.h"
#include "core/enclosure_node.h"
#include "core/root_node.h"
#include "core/slot_node.h"
#include "uni/log.h"

#include <cstdio>
#include <memory>

namespace z2e {
namespace {

const char* const kLogChannel = "core";
constexpr int kFirstSlotNumber = 2; // slot numbers of configuration entries count from 2

const ModelNode* childNamed(const ModelNode& node, const char* name)
{
    for (const auto& child : node.children()) {
        if (child->name == name)
            return child.get();
    }
    return nullptr;
}

// Channel modules as the tree shows them: ChannelProperties/<channel>/ChannelModule, last value.
std::vector<SimulatedNamedValue> channelModules(const SlotNode& slot)
{
    std::vector<SimulatedNamedValue> modules;
    const ModelNode* channels = childNamed(slot, "ChannelProperties");
    if (!channels)
        return modules;
    for (const auto& channel : channels->children()) {
        const ModelNode* module = childNamed(*channel, "ChannelModule");
        if (module && !module->values.empty())
            modules.push_back({channel->name, module->values.back()});
    }
    return modules;
}

SimulatedSlotEntry slotRecord(const EnclosureNode& enclosure, const SlotNode& slot)
{
    SimulatedSlotEntry record;
    record.slotNumber = enclosure.slotNumber(slot.index);
    record.hasBoard = slot.holdsBoard();
    if (!record.hasBoard)
        return record;
    record.board.key = slot.boardKey;
    record.board.firmwareRevision = slot.firmwareRevision;
    record.board.serialNumber = slot.serialNumber;
    record.board.conSerialNumber = slot.conSerialNumber;
    record.board.channelModules = channelModules(slot);
    return record;
}

void placeBoard(RootNode& root, const SimulatedBoardEntry& board, std::size_t& placed)
{
    EnclosureNode* enclosure = nullptr;
    if (board.encNumber >= 0 && static_cast<std::size_t>(board.encNumber) < root.childCount())
        enclosure = dynamic_cast<EnclosureNode*>(root.childAt(static_cast<std::size_t>(board.encNumber)));
    const int position = board.slotNumber - kFirstSlotNumber;
    SlotNode* slot = enclosure && position >= 0 ? enclosure->slotAt(static_cast<std::size_t>(position)) : nullptr;
    if (!slot || slot->holdsBoard()) {
        UNI_LOG(kLogChannel, uni::log::warning) << "demo board " << board.boardIndex << " points to enclosure "
                                                << board.encNumber << " slot " << board.slotNumber << ": skipped";
        return;
    }
    char boardId[16];
    std::snprintf(boardId, sizeof boardId, "%04d", board.boardIndex);
    slot->boardId = boardId;
    slot->boardIndex = board.boardIndex;
    slot->boardKey = board.key;
    slot->firmwareRevision = board.firmwareRevision;
    slot->serialNumber = board.serialNumber;
    slot->conSerialNumber = board.conSerialNumber;
    slot->boardNames.push_back(board.boardName);
    slot->values.assign(1, board.boardName);
    slot->nodeType = NodeType::BoardSlot;
    ++placed;
}

} // namespace

SimulatedSystem SimulatedSystemConverter::toRecords(const RootNode& root)
{
    SimulatedSystem system;
    for (const auto& child : root.children()) {
        const auto* enclosure = dynamic_cast<const EnclosureNode*>(child.get());
        if (!enclosure)
            continue;
        SimulatedEnclosureEntry record;
        record.nameCode = enclosure->typeCode;
        record.key = enclosure->key.empty() ? enclosure->description : enclosure->key;
        record.serialNumber = enclosure->serialNumber;
        record.userData = enclosure->userData;
        record.encType = static_cast<std::int32_t>(enclosure->encType);
        record.encVersion = static_cast<std::int32_t>(enclosure->encVersion);
        for (const EnclosureOptionText& option : enclosure->options)
            record.options.push_back({option.name, option.value});
        for (std::size_t i = 0; i < enclosure->slotCount(); ++i) {
            const SlotNode* slot = enclosure->slotAt(i);
            if (slot)
                record.slots.push_back(slotRecord(*enclosure, *slot));
        }
        system.enclosures.push_back(std::move(record));
    }
    return system;
}

std::size_t SimulatedSystemConverter::fromRecords(const std::vector<SimulatedEnclosureEntry>& enclosures,
                                                  const std::vector<SimulatedBoardEntry>& boards, RootNode& root)
{
    root.clear();
    root.resetOverview();
    for (const SimulatedEnclosureEntry& entry : enclosures) {
        auto node = std::make_unique<EnclosureNode>(root.systemKind);
        auto* enclosure = static_cast<EnclosureNode*>(root.addChild(std::move(node)));
        const auto index = static_cast<std::int32_t>(root.childCount() - 1);
        DescriptionParser::parseEnclosureDescription(enclosure, index, entry.key, entry.entryXml, false);
        enclosure->key = entry.key;
        enclosure->serialNumber = entry.serialNumber;
        enclosure->userData = entry.userData;
    }
    std::size_t placed = 0;
    for (const SimulatedBoardEntry& board : boards)
        placeBoard(root, board, placed);
    return placed;
}

} // namespace z2e
