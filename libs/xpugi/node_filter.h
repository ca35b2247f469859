#pragma once

#include <pugixml.hpp>

namespace xpugi {
namespace Traversal {

/// Decides per node whether a FilterTreeWalker reports it, passes over it or stops.
class NodeFilter {
public:
    /// Verdicts of acceptNode; any value other than accept or skip ends the walk.
    enum Result : int {
        FILTER_ACCEPT = 1, ///< hand the node to the callback
        FILTER_REJECT = 2, ///< end the whole walk
        FILTER_SKIP = 3    ///< pass over the node, keep walking (descendants included)
    };

    virtual ~NodeFilter();

    /// Returns one of Result for a node whose type the walker's mask admits.
    virtual int acceptNode(pugi::xml_node node) = 0;
};

} // namespace Traversal
} // namespace xpugi
