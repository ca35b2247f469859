#pragma once

#include <cstdint>
#include <functional>

#include <pugixml.hpp>

namespace xpugi {
namespace Traversal {

/// Mask bit of a pugixml node type (bit n-1 for type n); 0 for node_null.
constexpr std::uint32_t nodeTypeBit(pugi::xml_node_type type)
{
    return type == pugi::node_null ? 0u : (1u << (static_cast<unsigned>(type) - 1u));
}

/// Mask admitting element nodes only.
constexpr std::uint32_t MASK_ELEMENT = nodeTypeBit(pugi::node_element);

/// Depth-first walker in document order that reports every node whose type is in the mask.
///
/// Hand it to pugi::xml_node::traverse(). pugixml visits only the descendants of the
/// node traverse() is called on: a walk over a document covers the root element and
/// everything below it (plus top-level comments, declarations and the like), never
/// the document node itself.
class TreeWalker : public pugi::xml_tree_walker {
public:
    using Callback = std::function<void(pugi::xml_node)>;

    /// mask: node-type bits (see nodeTypeBit); callback may be empty.
    explicit TreeWalker(std::uint32_t mask, Callback callback = Callback());

    /// Reports the node if its type is in the mask; never ends the walk.
    bool for_each(pugi::xml_node& node) override;

    /// The node-type mask given at construction.
    std::uint32_t mask() const { return m_mask; }

protected:
    /// True when the node's type bit is set in the mask.
    bool admits(const pugi::xml_node& node) const;

    /// Calls the callback when there is one.
    void report(const pugi::xml_node& node) const;

private:
    std::uint32_t m_mask;
    Callback m_callback;
};

} // namespace Traversal
} // namespace xpugi
