#include "core/temperature_rows.h"

#include "core/network_node_record.h"
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
    return node.nodeType == NodeType::BoardSlot || node.nodeType == NodeType::OrphanBoard ||
           node.nodeType == NodeType::SlotState;
}

// A reading that failed is not the last known one any more: it shows as unknown.
std::int32_t readBoard(QorinNodeUtilWrapper& node, std::int32_t board, std::string& base, std::string& con)
{
    std::string baseRead;
    std::string conRead;
    const std::int32_t result = node.getBoardTemperatures(static_cast<std::uint32_t>(board), baseRead, conRead);
    base = result > 0 ? std::string() : baseRead;
    con = result > 0 ? std::string() : conRead;
    return result > 0 ? result : 0;
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
        first = readBoard(commands, slot->boardIndex, slot->baseTemperature, slot->conTemperature);
        setRow(*slot, kBaseCaption, slot->baseTemperature);
        setRow(*slot, kConCaption, slot->conTemperature);
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

bool TemperatureRows::runsHot(const std::string& reading)
{
    double degrees = 0.0;
    const char* end = reading.data() + reading.size();
    const auto parsed = std::from_chars(reading.data(), end, degrees);
    return parsed.ec == std::errc() && degrees > kHotLimitDegC;
}

std::string TemperatureRows::shownValue(const std::string& reading)
{
    if (reading.empty() || reading.find("N.A.") != std::string::npos)
        return "N.A.";
    return reading + "degC" + (runsHot(reading) ? kHotWarning : "");
}

void TemperatureRows::add(ModelNode& board, const std::string& base, const std::string& con)
{
    board.addValueRow(NodeType::Temperature, kBaseCaption, shownValue(base))->locked = board.locked;
    board.addValueRow(NodeType::Temperature, kConCaption, shownValue(con))->locked = board.locked;
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

std::int32_t TemperatureRows::update(NetworkNodeRecord& record, const ModelNode* element, QorinNodeUtilWrapper& node)
{
    // A network node's tree places an enclosure row by its position and a slot row by its number.
    std::int32_t enclosure = -1;
    std::int32_t slotNumber = -1;
    if (element) {
        const bool slotRow = element->nodeType == NodeType::SlotState;
        const ModelNode* enclosureRow = slotRow ? element->parent() : element;
        enclosure = enclosureRow ? enclosureRow->index : -1;
        slotNumber = slotRow ? element->number : -1;
    }
    std::int32_t first = 0;
    for (std::size_t position = 0; position < record.enclosures.size(); ++position) {
        if (element && static_cast<std::int32_t>(position) != enclosure)
            continue;
        for (NetworkSlotRecord& slot : record.enclosures[position].slotRecords) {
            if (!slot.hasBoard || slot.boardIndex < 0 || (slotNumber >= 0 && slot.slotNumber != slotNumber))
                continue;
            const std::int32_t result = readBoard(node, slot.boardIndex, slot.baseTemperature, slot.conTemperature);
            slot.temperaturesRead = true;
            first = first == 0 ? result : first;
        }
    }
    return first;
}

} // namespace z2e
