#pragma once
// The shown rows of a system tree in display order, each with its depth: what a tree view
// of the root shows when fully expanded.

#include "core/row_composer.h"

#include <cstddef>
#include <vector>

namespace z2e {

struct TreeRow {
    ComposedRow row;
    std::size_t depth = 0; ///< 0 for the root
    const ModelNode* node = nullptr;
};

class TreeRowList {
public:
    /// Every shown row below and including `root`, depth first; a hidden row hides its subtree.
    static std::vector<TreeRow> collect(const ModelNode& root);
};

} // namespace z2e
