#pragma once
// Top node of one system, with the board overview table behind the system report.

#include "core/model_node.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class RootNode : public ModelNode {
public:
    static constexpr std::size_t kOverviewColumns = 22;
    using OverviewRow = std::array<std::string, kOverviewColumns>;

    /// Where the board of an overview row sits: its enclosure's number and the slot number
    /// shown in the tree; both -1 for a board outside every enclosure.
    struct BoardPlace {
        std::int32_t enclosure = -1;
        std::int32_t slot = -1;
    };

    /// An empty root of `systemKind` with its caption and a table holding the title row.
    explicit RootNode(std::uint32_t systemKind);
    ~RootNode() override;

    /// Destroys all children, empties the overview table and sets the caption again.
    void clear();
    /// Restores the table to the title row alone.
    void resetOverview();
    /// Appends the overview row of the board in `slot` (a slot of an enclosure, or an orphan
    /// not placed yet) and remembers where it sits.
    void addBoardRow(const OverviewRow& row, const ModelNode& slot);
    /// Place of the board of overview row `row` (1 is the first board); -1s when unknown.
    BoardPlace placeOfRow(std::size_t row) const;

    /// Caption of a system kind ("Local System", "Demo System", "Remote System"; else empty).
    static std::string captionFor(std::uint32_t systemKind);
    /// The title row of the board overview table.
    static const OverviewRow& overviewTitles();

    /// Board overview: the first row holds the titles while the table is not cleared.
    std::vector<OverviewRow> boardOverview;
    /// Places of the boards of the overview, in row order (boardPlaces[0] is row 1's).
    std::vector<BoardPlace> boardPlaces;
};

} // namespace z2e
