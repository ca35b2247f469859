#pragma once
// Deep copies of system trees, for keeping a tree as it was (the undo of demo edits).

#include "core/model_node.h"

#include <memory>

namespace z2e {

class NodeTreeCopy {
public:
    /// A copy of `node` and everything below it, unplaced (no parent). Enclosures and slots
    /// stay enclosures and slots with all their fields, a slot's parsed board description
    /// included; a root is copied as a plain node (copy a root's children instead).
    static std::unique_ptr<ModelNode> copy(const ModelNode& node);
};

} // namespace z2e
