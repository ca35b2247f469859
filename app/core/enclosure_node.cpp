#include "core/enclosure_node.h"

#include "core/slot_node.h"

namespace z2e {

EnclosureNode::EnclosureNode(std::uint32_t kind) : ModelNode(kind, NodeType::Enclosure)
{
    name = "Enclosure";
}

EnclosureNode::~EnclosureNode() = default;

std::int32_t EnclosureNode::slotNumber(std::int32_t slotIndex) const
{
    return slotNoOffset + slotIndex;
}

std::size_t EnclosureNode::slotCount() const
{
    return childCount() > propertyCount ? childCount() - static_cast<std::size_t>(propertyCount) : 0;
}

SlotNode* EnclosureNode::slotAt(std::size_t slotIndex) const
{
    if (slotIndex >= slotCount())
        return nullptr;
    ModelNode* child = childAt(static_cast<std::size_t>(propertyCount) + slotIndex);
    if (!child || (child->nodeType != NodeType::EmptySlot && child->nodeType != NodeType::BoardSlot))
        return nullptr;
    return static_cast<SlotNode*>(child);
}

} // namespace z2e
