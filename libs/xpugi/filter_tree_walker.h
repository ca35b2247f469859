#pragma once

#include "xpugi/node_filter.h"
#include "xpugi/tree_walker.h"

namespace xpugi {
namespace Traversal {

/// TreeWalker that asks a NodeFilter about every node the mask admits.
///
/// Accept reports the node, skip passes over it (its descendants are still walked),
/// reject or an unknown verdict ends the walk at once.
class FilterTreeWalker : public TreeWalker {
public:
    /// The filter is not owned and must outlive the walker.
    FilterTreeWalker(std::uint32_t mask, NodeFilter& filter, Callback callback = Callback());

    /// One walk step; returns false to make pugixml stop.
    bool for_each(pugi::xml_node& node) override;

private:
    NodeFilter* m_filter;
};

} // namespace Traversal
} // namespace xpugi
