#include "core/root_node.h"

#include "core/enclosure_node.h"

namespace z2e {

RootNode::RootNode(std::uint32_t kind) : ModelNode(kind, NodeType::Root)
{
    name = captionFor(kind);
    resetOverview();
}

RootNode::~RootNode() = default;

void RootNode::clear()
{
    clearChildren();
    boardOverview.clear();
    boardPlaces.clear();
    if (systemKind >= SystemKind::Local && systemKind <= SystemKind::Remote)
        name = captionFor(systemKind);
}

void RootNode::resetOverview()
{
    boardOverview.assign(1, overviewTitles());
    boardPlaces.clear();
}

void RootNode::addBoardRow(const OverviewRow& row, const ModelNode& slot)
{
    BoardPlace place;
    if (const auto* enclosure = dynamic_cast<const EnclosureNode*>(slot.parent())) {
        place.enclosure = enclosure->number;
        place.slot = enclosure->slotNumber(slot.index);
    }
    // Rows added before any place was kept stay without one.
    boardPlaces.resize(boardOverview.empty() ? 0 : boardOverview.size() - 1);
    boardOverview.push_back(row);
    boardPlaces.push_back(place);
}

RootNode::BoardPlace RootNode::placeOfRow(std::size_t row) const
{
    return row >= 1 && row - 1 < boardPlaces.size() ? boardPlaces[row - 1] : BoardPlace{};
}

std::string RootNode::captionFor(std::uint32_t kind)
{
    switch (kind) {
    case SystemKind::Local: return "Local System";
    case SystemKind::Demo: return "Demo System";
    case SystemKind::Remote: return "Remote System";
    default: return {};
    }
}

const RootNode::OverviewRow& RootNode::overviewTitles()
{
    static const OverviewRow titles{
        "Board Name",
        "List Revision",
        "",
        "Base Name",
        "Base Version",
        "Base SVN Rev",
        "Base Serial",
        "Base Cal Date",
        "Base Cal Temp",
        "Base Test Result",
        "Base Test Date",
        "Base Test Temp",
        "",
        "Con Name",
        "Con Version",
        "Con SVN Rev",
        "Con Serial",
        "Con CalDate",
        "Con Cal Temp",
        "Con Test Result",
        "Con Test Date",
        "Con Test Temp",
    };
    return titles;
}

} // namespace z2e
