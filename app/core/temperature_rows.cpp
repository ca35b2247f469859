#include "core/temperature_rows.h"

#include "core/slot_node.h"
#include "driver/command/app_status.h"
#include "driver/command/qorin_node_util_wrapper.h"

#include <charconv>

namespace z2e {
namespace {

const char* const kBaseCaption = "BaseBoard";
const char* const kConCaption = "ConPanel ";

bool isBoard(const ModelNode& node)
{
    return node.nodeType == NodeType::BoardSlot || node.nodeType == NodeType::OrphanBoard;
}

bool runsHot(const std::string& reading)
{
    double degrees = 0.0;
    const char* end = reading.data() + reading.size();
    const auto parsed = std::from_chars(reading.data(), end, degrees);
    return parsed.ec == std::errc() && degrees > TemperatureRows::kHotLimitDegC;
}

void setRow(SlotNode& slot, const char* caption, const std::string& reading)
{
    for (const auto& child : slot.children()) {
        if (child->nodeType == NodeType::Temperature && child->name == caption) {
            child->values.assign(1, TemperatureRows::shownValue(reading));
            return;
        }
    }
}

std::int32_t updateBelow(ModelNode& node, QorinNodeUtilWrapper& commands)
{
    std::int32_t first = 0;
    auto* slot = dynamic_cast<SlotNode*>(&node);
    if (slot && isBoard(node) && slot->boardIndex >= 0) {
        std::string base;
        std::string con;
        const std::int32_t result = commands.getBoardTemperatures(static_cast<std::uint32_t>(slot->boardIndex), base, con);
        // A reading that failed is not the last known one any more.
        slot->baseTemperature = result > 0 ? std::string() : base;
        slot->conTemperature = result > 0 ? std::string() : con;
        setRow(*slot, kBaseCaption, slot->baseTemperature);
        setRow(*slot, kConCaption, slot->conTemperature);
        first = result > 0 ? result : 0;
    }
    for (const auto& child : node.children()) {
        const std::int32_t result = updateBelow(*child, commands);
        if (first == 0)
            first = result;
    }
    return first;
}

// The views hand out their rows read-only; the tree's owner changes them through its root.
ModelNode* findBelow(ModelNode& node, const ModelNode& wanted)
{
    if (&node == &wanted)
        return &node;
    for (const auto& child : node.children()) {
        if (ModelNode* found = findBelow(*child, wanted))
            return found;
    }
    return nullptr;
}

} // namespace

const char* const TemperatureRows::kHotWarning = "  [WARNING: Temperature high.]";

std::string TemperatureRows::shownValue(const std::string& reading)
{
    if (reading.empty() || reading.find("N.A.") != std::string::npos)
        return "N.A.";
    return reading + "degC" + (runsHot(reading) ? kHotWarning : "");
}

void TemperatureRows::add(SlotNode& slot)
{
    slot.addValueRow(NodeType::Temperature, kBaseCaption, shownValue(slot.baseTemperature))->locked = slot.locked;
    slot.addValueRow(NodeType::Temperature, kConCaption, shownValue(slot.conTemperature))->locked = slot.locked;
}

const ModelNode* TemperatureRows::elementOf(const ModelNode& row)
{
    for (const ModelNode* node = &row; node; node = node->parent()) {
        if (isBoard(*node) || node->nodeType == NodeType::Enclosure)
            return node;
    }
    return nullptr;
}

std::int32_t TemperatureRows::update(ModelNode& root, const ModelNode& element, QorinNodeUtilWrapper& node)
{
    ModelNode* found = findBelow(root, element);
    return found ? updateBelow(*found, node) : AppStatus::InternalError;
}

} // namespace z2e
