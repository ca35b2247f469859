#include "core/row_composer.h"

#include "core/enclosure_model_name.h"
#include "core/enclosure_node.h"
#include "core/fragment_set.h"
#include "core/slot_node.h"

#include <array>

namespace z2e {
namespace {

struct EnclosureFragment {
    const char* fragment;
    int icon;
};

// Our enclosure range, most specific names first; the first fragment found in the name wins,
// so "QE-C4" stays behind "QE-C" on purpose: both compact cases share one picture.
constexpr std::array<EnclosureFragment, 14> kEnclosureFragments{{
    {"QE-R16", 10},
    {"QE-R8", 9},
    {"QE-X8", 11},
    {"QE-P4", 12},
    {"QE-D2", 13},
    {"QE-R4", 14},
    {"QE-PCI", 15},
    {"QN-N6", 16},
    {"QN-N2", 17},
    {"QE-C", 18},
    {"QE-C4", 18},
    {"QE-T8", 19},
    {"QE-L", 20},
    {"QE-S1", 23},
}};

const FragmentSet& redMarkers()
{
    static const FragmentSet markers{
        "Remote Access:   Connected", "WARNING: Firmware", "E2PROM-ERROR",
        "Communication problem:",     "WARNING:",          "ERROR:",
    };
    return markers;
}

bool contains(const std::string& text, const char* fragment)
{
    return text.find(fragment) != std::string::npos;
}

const SlotNode* asSlot(const ModelNode& node)
{
    return dynamic_cast<const SlotNode*>(&node);
}

bool beyondUserSlots(const ModelNode& node)
{
    const SlotNode* slot = asSlot(node);
    return slot && slot->beyondUserSlots;
}

void appendBracket(const ModelNode& node, std::string& text)
{
    if (node.unit().empty())
        return;
    text += " [";
    text += node.unit();
    text += ']';
}

void appendValues(const ModelNode& node, std::string& text)
{
    for (std::size_t i = 0; i < node.values.size(); ++i) {
        text += i > 0 ? "; " : ":   ";
        text += node.values[i];
    }
}

void appendNumbered(const ModelNode& node, std::int32_t shownNumber, const std::string& value, std::string& text)
{
    text += node.name;
    text += ' ';
    text += std::to_string(shownNumber);
    text += ":   ";
    text += value;
}

} // namespace

ComposedRow RowComposer::compose(const ModelNode& node)
{
    ComposedRow row;
    compose(node, row);
    return row;
}

void RowComposer::compose(const ModelNode& node, ComposedRow& row)
{
    row.text.clear();
    row.icon = TreeIcon::None;
    row.red = false;
    row.shown = isShown(node);
    if (!row.shown)
        return;
    appendRowText(node, row.text);
    row.icon = iconIndex(node, row.text);
    row.red = isRedRow(row.text);
}

std::string RowComposer::rowText(const ModelNode& node)
{
    std::string text;
    appendRowText(node, text);
    return text;
}

void RowComposer::appendRowText(const ModelNode& node, std::string& text)
{
    switch (node.nodeType) {
    case NodeType::Root: text += node.name; return;
    case NodeType::Enclosure: appendNumbered(node, node.number, node.firstValue(), text); return;
    case NodeType::BoardSlot:
        if (beyondUserSlots(node))
            text += "!! ";
        appendNumbered(node, slotNumber(node), node.firstValue(), text);
        return;
    case NodeType::EmptySlot: appendNumbered(node, slotNumber(node), "Empty", text); return;
    case NodeType::OrphanBoard:
        text += "Orphan:   ";
        text += node.firstValue();
        return;
    case NodeType::Property:
    case NodeType::NodeInfo:
    case NodeType::Temperature:
    case NodeType::SlotState:
    case NodeType::NodeName:
    case NodeType::CommunicationProblem:
        text += node.name;
        appendBracket(node, text);
        appendValues(node, text);
        return;
    default: return;
    }
}

int RowComposer::iconIndex(const ModelNode& node, const std::string& text)
{
    switch (node.nodeType) {
    case NodeType::Root:
        if (node.systemKind == SystemKind::Local || node.systemKind == SystemKind::Remote)
            return TreeIcon::System;
        return node.systemKind == SystemKind::Demo ? TreeIcon::DemoSystem : TreeIcon::None;
    case NodeType::Enclosure: return enclosureIcon(node.firstValue());
    case NodeType::BoardSlot:
    case NodeType::OrphanBoard: return TreeIcon::SlotFull;
    case NodeType::EmptySlot: return TreeIcon::SlotEmpty;
    case NodeType::Property: return TreeIcon::Property;
    case NodeType::Temperature: return TreeIcon::Temperature;
    case NodeType::SlotState: return contains(text, "Empty") ? TreeIcon::SlotEmpty : TreeIcon::SlotFull;
    case NodeType::NodeInfo:
    case NodeType::NodeName:
    case NodeType::CommunicationProblem: return TreeIcon::Dot;
    default: return TreeIcon::None;
    }
}

bool RowComposer::isShown(const ModelNode& node)
{
    return !(node.nodeType == NodeType::EmptySlot && beyondUserSlots(node));
}

bool RowComposer::isRedRow(const std::string& text)
{
    return redMarkers().foundAny(text);
}

int RowComposer::enclosureIcon(const std::string& name)
{
    if (name.empty())
        return TreeIcon::Enclosure;
    for (const EnclosureFragment& entry : kEnclosureFragments) {
        if (contains(name, entry.fragment))
            return entry.icon;
    }
    if (EnclosureModelName::isNetworkNode(name))
        return TreeIcon::NetworkEnclosure;
    if (EnclosureModelName::isHostComputer(name))
        return 15;
    return TreeIcon::Enclosure;
}

std::size_t RowComposer::enclosureFragmentCount()
{
    return kEnclosureFragments.size();
}

bool RowComposer::enclosureFragment(std::size_t position, std::string& fragment, int& icon)
{
    if (position >= kEnclosureFragments.size())
        return false;
    fragment = kEnclosureFragments[position].fragment;
    icon = kEnclosureFragments[position].icon;
    return true;
}

std::string RowComposer::iconResourcePath(int icon)
{
    static const char* const kPaths[TreeIcon::TableSize] = {
        ":/tree_icons/res/icon_blank.png",      // 0
        ":/tree_icons/res/icon_system.png",     // 1
        ":/tree_icons/res/icon_system.png",     // 2
        ":/tree_icons/res/icon_enclosure.png",  // 3
        ":/tree_icons/res/icon_slot_empty.png", // 4
        ":/tree_icons/res/icon_slot_full.png",  // 5
        ":/tree_icons/res/icon_property.png",   // 6
        ":/tree_icons/res/network.png",         // 7
        ":/tree_icons/res/temperature.png",     // 8
        ":/enc_icons/res/enc_rack8.png",        // 9  QE-R8
        ":/enc_icons/res/enc_rack16.png",       // 10 QE-R16
        ":/enc_icons/res/enc_expansion8.png",   // 11 QE-X8
        ":/enc_icons/res/enc_portable4.png",    // 12 QE-P4
        ":/enc_icons/res/enc_desktop2.png",     // 13 QE-D2
        ":/enc_icons/res/enc_rack4.png",        // 14 QE-R4
        ":/enc_icons/res/enc_host_pc.png",      // 15 QE-PCI, Host PC
        ":/enc_icons/res/enc_node6.png",        // 16 QN-N6
        ":/enc_icons/res/enc_node2.png",        // 17 QN-N2
        ":/enc_icons/res/enc_compact.png",      // 18 QE-C
        ":/enc_icons/res/enc_tower8.png",       // 19 QE-T8
        ":/enc_icons/res/enc_lab.png",          // 20 QE-L
        ":/enc_icons/res/enclosure_net.png",    // 21
        ":/tree_icons/res/dot.png",             // 22
        ":/enc_icons/res/enc_single.png",       // 23 QE-S1
    };
    if (icon < 0 || icon >= TreeIcon::TableSize || !kPaths[icon])
        return {};
    return kPaths[icon];
}

std::int32_t RowComposer::slotNumber(const ModelNode& slot)
{
    const auto* enclosure = dynamic_cast<const EnclosureNode*>(slot.parent());
    return enclosure ? enclosure->slotNumber(slot.index) : slot.index;
}

std::string RowComposer::bracketPart(const ModelNode& node)
{
    std::string text;
    appendBracket(node, text);
    return text;
}

std::string RowComposer::valuePart(const ModelNode& node)
{
    std::string text;
    appendValues(node, text);
    return text;
}

} // namespace z2e
