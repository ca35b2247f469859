// Board and enclosure descriptions on arbitrary bytes: parsing into slots and enclosures of
// every system kind, composing every row, and the board overview row.

#include <cstdint>
#include <memory>
#include <string>

#include "core/description_parser.h"
#include "core/enclosure_node.h"
#include "core/root_node.h"
#include "core/slot_node.h"
#include "core/tree_row_list.h"

#include "require.h"

namespace {

using fuzz::require;

void composeAll(const z2e::ModelNode& node)
{
    for (const z2e::TreeRow& row : z2e::TreeRowList::collect(node)) {
        // A shown row always has a node and a text of its own kind.
        require(row.node && (!row.row.text.empty() || row.node->nodeType == z2e::NodeType::Property));
    }
}

void parseBoard(const std::string& text, std::uint32_t systemKind)
{
    z2e::RootNode root(systemKind);
    auto enclosure = std::make_unique<z2e::EnclosureNode>(systemKind);
    auto* placed = static_cast<z2e::EnclosureNode*>(root.addChild(std::move(enclosure)));
    z2e::DescriptionParser::parseEnclosureDescription(placed, 0,
                                                      "<EnclosureInfo><UserSlotCnt>2</UserSlotCnt>"
                                                      "<SlotNoOffset>2</SlotNoOffset></EnclosureInfo>",
                                                      "", false);
    z2e::SlotNode* slot = placed->slotAt(0);
    require(slot != nullptr);
    slot->baseTemperature = "31.5";
    std::string caption;
    const std::int32_t result = z2e::DescriptionParser::parseBoardDescription(slot, text, caption);
    if (result == z2e::DescriptionParser::Ok) {
        require(slot->nodeType == z2e::NodeType::BoardSlot && slot->values.size() == 1 && slot->values[0] == caption);
        root.addBoardRow(z2e::DescriptionParser::overviewRow(*slot), *slot);
    } else {
        require(slot->nodeType == z2e::NodeType::EmptySlot && caption.empty());
    }
    composeAll(root);
}

void parseEnclosure(const std::string& text)
{
    z2e::EnclosureNode enclosure(z2e::SystemKind::Local);
    z2e::DescriptionParser::parseEnclosureDescription(&enclosure, 1, text, text, false);
    // Whatever the description asks for, the slots stay bounded and numbered in order.
    require(enclosure.slotCount() <= static_cast<std::size_t>(z2e::DescriptionParser::kMaxSlots));
    for (std::size_t i = 0; i < enclosure.slotCount(); ++i) {
        const z2e::SlotNode* slot = enclosure.slotAt(i);
        require(slot && slot->index == static_cast<std::int32_t>(i));
    }
    composeAll(enclosure);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    parseBoard(text, z2e::SystemKind::Local);
    parseBoard(text, z2e::SystemKind::Demo);
    parseEnclosure(text);
    return 0;
}
