#include "core/problem_list.h"

#include "core/model_node.h"
#include "core/node_result_text.h"
#include "core/node_types.h"
#include "core/row_composer.h"
#include "core/slot_node.h"
#include "core/temperature_rows.h"

#include "uni/number_text.h"

#include <cstdio>

namespace z2e {
namespace {

bool has(const std::string& text, const char* fragment)
{
    return text.find(fragment) != std::string::npos;
}

bool isBoard(const ModelNode& node)
{
    return node.nodeType == NodeType::BoardSlot || node.nodeType == NodeType::OrphanBoard ||
           (node.nodeType == NodeType::SlotState && node.firstValue() != "Empty");
}

// The board or slot a row belongs to, or the row itself.
const ModelNode& owner(const ModelNode& row)
{
    for (const ModelNode* node = &row; node; node = node->parent()) {
        if (isBoard(*node))
            return *node;
    }
    return row;
}

// A red row of a board that repeats what the board's own row says (its name row).
bool shownByItsBoard(const ModelNode& row)
{
    const std::string text = RowComposer::rowText(row);
    return isBoard(owner(row)) && (has(text, "E2PROM-ERROR") || has(text, "WARNING: Firmware"));
}

// The code that ends a failure row ("no answer within 1 s (700008)"); 0 when there is none.
std::int32_t trailingCode(const std::string& text)
{
    const std::size_t open = text.rfind(" (");
    std::int32_t code = 0;
    if (open == std::string::npos || text.empty() || text.back() != ')' ||
        !uni::text::parseSignedDecimal(text.substr(open + 2, text.size() - open - 3), code))
        return 0;
    return code;
}

std::string limitText()
{
    char text[16];
    std::snprintf(text, sizeof text, "%.0f", TemperatureRows::kHotLimitDegC);
    return text;
}

} // namespace

std::string ProblemList::serialOf(const ModelNode& board)
{
    if (const auto* slot = dynamic_cast<const SlotNode*>(&board); slot && !slot->serialNumber.empty())
        return slot->serialNumber;
    for (const auto& child : board.children()) {
        if (child->name == "SerialNumber")
            return child->firstValue();
    }
    return {};
}

std::vector<Problem> ProblemList::of(const ModelNode& root)
{
    std::vector<Problem> problems;
    walk(root, problems);
    return problems;
}

void ProblemList::walk(const ModelNode& node, std::vector<Problem>& problems)
{
    if (isBoard(node)) {
        board(node, problems);
    } else if (node.nodeType == NodeType::Temperature && has(node.firstValue(), TemperatureRows::kHotWarning)) {
        std::string reading = node.firstValue().substr(0, node.firstValue().find(TemperatureRows::kHotWarning));
        problems.push_back({Problem::Kind::TemperatureHigh, place(owner(node)),
                            "temperature high: " + node.name + " " + reading + " (limit " + limitText() + "degC)",
                            "let it cool down and check the enclosure's fan, then Update Temperatures", &node});
    } else if (node.nodeType == NodeType::CommunicationProblem && node.name == "Communication problem") {
        std::string failure = node.firstValue();
        std::int32_t code = 0;
        for (const auto& sibling : node.parent()->children()) {
            if (sibling->nodeType == NodeType::CommunicationProblem && sibling->name == "Failure") {
                failure = sibling->firstValue();
                code = trailingCode(failure);
            }
        }
        problems.push_back(
            {Problem::Kind::NodeUnreadable, "", "node cannot be read: " + failure, nodeUnreadableStep(code), &node});
    } else if (node.nodeType == NodeType::Property && RowComposer::isRedRow(RowComposer::rowText(node)) &&
               !shownByItsBoard(node)) {
        problems.push_back({Problem::Kind::Warning, place(owner(node)), RowComposer::rowText(node), "", &node});
    }
    for (const auto& child : node.children())
        walk(*child, problems);
}

void ProblemList::board(const ModelNode& node, std::vector<Problem>& problems)
{
    const std::string caption = RowComposer::rowText(node);
    if (has(caption, "E2PROM-ERROR"))
        problems.push_back({Problem::Kind::EepromUnreadable, place(node), "EEPROM cannot be read",
                            "EEPROM Management (Shift on the board): Auto Restore, or File Restore from a backup",
                            &node});
    if (has(caption, "WARNING: Firmware old"))
        problems.push_back(
            {Problem::Kind::FirmwareOld, place(node), "firmware older than the release", "Firmware Update", &node});
    else if (has(caption, "WARNING: Firmware newer"))
        problems.push_back({Problem::Kind::FirmwareNewer, place(node), "firmware newer than the release",
                            "Firmware Update (goes back to the release), or keep it", &node});
    else if (has(caption, "WARNING: Firmware"))
        problems.push_back(
            {Problem::Kind::FirmwareUnknown, place(node), "firmware version unknown", "Firmware Update", &node});
}

std::vector<const ModelNode*> ProblemList::boards(const ModelNode& root)
{
    std::vector<const ModelNode*> found;
    if (isBoard(root))
        found.push_back(&root);
    for (const auto& child : root.children()) {
        const std::vector<const ModelNode*> below = boards(*child);
        found.insert(found.end(), below.begin(), below.end());
    }
    return found;
}

const char* ProblemList::kindName(Problem::Kind kind)
{
    switch (kind) {
    case Problem::Kind::FirmwareOld: return "firmware-old";
    case Problem::Kind::FirmwareNewer: return "firmware-newer";
    case Problem::Kind::FirmwareUnknown: return "firmware-unknown";
    case Problem::Kind::EepromUnreadable: return "eeprom-unreadable";
    case Problem::Kind::TemperatureHigh: return "temperature-high";
    case Problem::Kind::SelfTestFailed: return "selftest-failed";
    case Problem::Kind::NodeUnreadable: return "node-unreadable";
    case Problem::Kind::Warning: return "warning";
    }
    return "warning";
}

std::string ProblemList::place(const ModelNode& node)
{
    if (!isBoard(node))
        return {};
    const std::string serial = serialOf(node);
    const BoardPlace at = placeOf(node);
    return (at.enclosure.empty() ? "orphan" : at.enclosure + "/" + at.slot) + "  " + at.model +
           (serial.empty() ? "" : " " + serial);
}

std::string ProblemList::title(const ModelNode& node)
{
    if (!isBoard(node))
        return {};
    const BoardPlace at = placeOf(node);
    if (at.enclosure.empty())
        return "Orphan board:  " + at.model;
    return "Enclosure " + at.enclosure + ", slot " + at.slot + ":  " + at.model;
}

ProblemList::BoardPlace ProblemList::placeOf(const ModelNode& node)
{
    BoardPlace at;
    // A network node's slot rows carry their number in their name ("Slot 3").
    at.slot = node.nodeType == NodeType::SlotState && node.name.rfind("Slot ", 0) == 0
                  ? node.name.substr(5)
                  : std::to_string(RowComposer::slotNumber(node));
    if (const ModelNode* enclosure = node.parent(); enclosure && enclosure->nodeType == NodeType::Enclosure)
        at.enclosure = std::to_string(enclosure->number);
    // The caption without the warning it carries.
    at.model = node.firstValue().substr(0, node.firstValue().find("  ["));
    if (const auto* slot = dynamic_cast<const SlotNode*>(&node); slot && !slot->described.displayName.empty())
        at.model = slot->described.displayName;
    return at;
}

} // namespace z2e
