#pragma once
// Top node of one system, with the board overview table behind the system report.

#include "core/model_node.h"

#include <array>
#include <string>
#include <vector>

namespace z2e {

class RootNode : public ModelNode {
public:
    static constexpr std::size_t kOverviewColumns = 22;
    using OverviewRow = std::array<std::string, kOverviewColumns>;

    /// An empty root of `systemKind` with its caption and a table holding the title row.
    explicit RootNode(std::uint32_t systemKind);
    ~RootNode() override;

    /// Destroys all children, empties the overview table and sets the caption again.
    void clear();
    /// Restores the table to the title row alone.
    void resetOverview();

    /// Caption of a system kind ("Local System", "Demo System", "Remote System"; else empty).
    static std::string captionFor(std::uint32_t systemKind);
    /// The title row of the board overview table.
    static const OverviewRow& overviewTitles();

    /// Board overview: the first row holds the titles while the table is not cleared.
    std::vector<OverviewRow> boardOverview;
};

} // namespace z2e
