#include "xpugi/tree_walker.h"

#include <utility>

namespace xpugi {
namespace Traversal {

TreeWalker::TreeWalker(std::uint32_t mask, Callback callback) : m_mask(mask), m_callback(std::move(callback)) {}

bool TreeWalker::for_each(pugi::xml_node& node)
{
    if (admits(node)) {
        report(node);
    }
    return true;
}

bool TreeWalker::admits(const pugi::xml_node& node) const
{
    return (m_mask & nodeTypeBit(node.type())) != 0;
}

void TreeWalker::report(const pugi::xml_node& node) const
{
    if (m_callback) {
        m_callback(node);
    }
}

} // namespace Traversal
} // namespace xpugi
