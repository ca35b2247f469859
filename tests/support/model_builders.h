#pragma once
// Hand-made system trees: an enclosure below a root, slots (empty, or holding a board) and
// value rows. Header only: the support library itself stays free of the product.

#include "core/enclosure_node.h"
#include "core/root_node.h"
#include "core/slot_node.h"

#include <memory>
#include <string>
#include <vector>

namespace z2e::test {

inline EnclosureNode* addEnclosure(RootNode& root, const std::string& name, std::int32_t offset, std::int32_t userSlots)
{
    auto enclosure = std::make_unique<EnclosureNode>(root.systemKind);
    enclosure->values = {name};
    enclosure->slotNoOffset = offset;
    enclosure->userSlotCount = userSlots;
    return static_cast<EnclosureNode*>(root.addChild(std::move(enclosure)));
}

/// An empty slot unless `board` names the board in it.
inline SlotNode* addSlot(EnclosureNode& enclosure, std::int32_t index, const std::string& board = {})
{
    auto slot = std::make_unique<SlotNode>(enclosure.systemKind);
    slot->index = index;
    slot->beyondUserSlots = index >= enclosure.userSlotCount;
    if (!board.empty()) {
        slot->nodeType = NodeType::BoardSlot;
        slot->values = {board};
    }
    return static_cast<SlotNode*>(enclosure.addChild(std::move(slot)));
}

inline ModelNode* addRow(ModelNode& parent, std::uint32_t type, const std::string& name,
                         std::vector<std::string> values, const std::string& unit = {})
{
    ModelNode* row = parent.addChild(type, name);
    row->values = std::move(values);
    row->setUnit(unit);
    return row;
}

} // namespace z2e::test
