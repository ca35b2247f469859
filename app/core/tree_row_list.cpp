#include "core/tree_row_list.h"

#include <utility>

namespace z2e {

std::vector<TreeRow> TreeRowList::collect(const ModelNode& root)
{
    std::vector<TreeRow> rows;
    // Explicit stack: descriptions may nest deeply.
    std::vector<std::pair<const ModelNode*, std::size_t>> pending{{&root, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        ComposedRow row = RowComposer::compose(*node);
        if (!row.shown)
            continue;
        rows.push_back({std::move(row), depth, node});
        for (std::size_t i = node->childCount(); i-- > 0;)
            pending.emplace_back(node->childAt(i), depth + 1);
    }
    return rows;
}

} // namespace z2e
