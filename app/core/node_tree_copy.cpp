#include "core/node_tree_copy.h"

#include "core/enclosure_node.h"
#include "core/slot_node.h"

#include <utility>
#include <vector>

namespace z2e {
namespace {

void copyFields(const ModelNode& from, ModelNode& to)
{
    to.index = from.index;
    to.number = from.number;
    to.name = from.name;
    to.setUnit(from.unit());
    to.values = from.values;
    to.selected = from.selected;
    to.changed = from.changed;
    to.locked = from.locked;
}

std::unique_ptr<ModelNode> copyEnclosure(const EnclosureNode& from)
{
    auto to = std::make_unique<EnclosureNode>(from.systemKind);
    to->typeCode = from.typeCode;
    to->encType = from.encType;
    to->encVersion = from.encVersion;
    to->serialNumber = from.serialNumber;
    to->userData = from.userData;
    to->description = from.description;
    to->key = from.key;
    to->userSlotCount = from.userSlotCount;
    to->slotNoOffset = from.slotNoOffset;
    to->propertyCount = from.propertyCount;
    to->options = from.options;
    return to;
}

std::unique_ptr<ModelNode> copySlot(const SlotNode& from)
{
    auto to = std::make_unique<SlotNode>(from.systemKind);
    to->boardId = from.boardId;
    to->serialNumber = from.serialNumber;
    to->firmwareWarning = from.firmwareWarning;
    to->boardKey = from.boardKey;
    to->conSerialNumber = from.conSerialNumber;
    to->baseModel = from.baseModel;
    to->baseVersion = from.baseVersion;
    to->conModel = from.conModel;
    to->conVersion = from.conVersion;
    to->baseTemperature = from.baseTemperature;
    to->conTemperature = from.conTemperature;
    to->baseEepromState = from.baseEepromState;
    to->conEepromState = from.conEepromState;
    to->boardNames = from.boardNames;
    to->firmwareRevision = from.firmwareRevision;
    to->baseRevision = from.baseRevision;
    to->conRevision = from.conRevision;
    to->beyondUserSlots = from.beyondUserSlots;
    to->boardIndex = from.boardIndex;
    to->described = from.described;
    return to;
}

std::unique_ptr<ModelNode> copyOne(const ModelNode& from)
{
    std::unique_ptr<ModelNode> to;
    if (const auto* enclosure = dynamic_cast<const EnclosureNode*>(&from))
        to = copyEnclosure(*enclosure);
    else if (const auto* slot = dynamic_cast<const SlotNode*>(&from))
        to = copySlot(*slot);
    else
        to = std::make_unique<ModelNode>(from.systemKind, from.nodeType);
    to->nodeType = from.nodeType;
    copyFields(from, *to);
    return to;
}

} // namespace

std::unique_ptr<ModelNode> NodeTreeCopy::copy(const ModelNode& node)
{
    std::unique_ptr<ModelNode> top = copyOne(node);
    // Iterative: descriptions decide how deep a tree is.
    std::vector<std::pair<const ModelNode*, ModelNode*>> pending{{&node, top.get()}};
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        for (const auto& child : from->children())
            pending.emplace_back(child.get(), to->addChild(copyOne(*child)));
    }
    return top;
}

} // namespace z2e
