#include "core/slot_node.h"

namespace z2e {

SlotNode::SlotNode(std::uint32_t kind) : ModelNode(kind, NodeType::EmptySlot)
{
    name = "Slot";
    number = -1;
}

SlotNode::~SlotNode() = default;

} // namespace z2e
