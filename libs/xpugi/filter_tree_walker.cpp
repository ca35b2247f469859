#include "xpugi/filter_tree_walker.h"

#include <utility>

namespace xpugi {
namespace Traversal {

FilterTreeWalker::FilterTreeWalker(std::uint32_t mask, NodeFilter& filter, Callback callback)
    : TreeWalker(mask, std::move(callback)), m_filter(&filter)
{
}

bool FilterTreeWalker::for_each(pugi::xml_node& node)
{
    if (!admits(node)) {
        return true;
    }
    switch (m_filter->acceptNode(node)) {
    case NodeFilter::FILTER_ACCEPT: report(node); return true;
    case NodeFilter::FILTER_SKIP: return true;
    default:
        // A misbehaving filter is treated like a reject rather than silently ignored.
        return false;
    }
}

} // namespace Traversal
} // namespace xpugi
