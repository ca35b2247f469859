#pragma once
// One node of a system tree: the base of roots, enclosures and slots, and itself the plain
// property row. A node owns its children; `parent` is a plain back pointer that stays valid
// as long as the parent owns the node.

#include "core/compact_vector.h"
#include "core/node_types.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace z2e {

class ModelNode;

/// Shared handle of a node, used where a node travels between threads or into a signal.
/// It never owns a node that sits in a tree: such handles are made with a no-op deleter
/// (see ModelNode::sharedHandle) and must not outlive the tree.
using ModelNodePtr = std::shared_ptr<ModelNode>;

class ModelNode {
public:
    /// A node of the given system kind and node type, not placed (index -1, number 0).
    ModelNode(std::uint32_t systemKind, std::uint32_t nodeType);
    virtual ~ModelNode();

    ModelNode(const ModelNode&) = delete;
    ModelNode& operator=(const ModelNode&) = delete;

    /// Appends `child`, makes this node its parent and returns it (null for a null child).
    ModelNode* addChild(std::unique_ptr<ModelNode> child);
    /// Appends a new node of this node's system kind with the given type and caption.
    ModelNode* addChild(std::uint32_t nodeType, const std::string& name);
    /// Appends a new property-like row carrying one value (none when `value` is empty).
    ModelNode* addValueRow(std::uint32_t nodeType, const std::string& name, const std::string& value);
    /// Makes room for `count` more children.
    void reserveChildren(std::size_t count);
    /// Destroys the child at `position` and its subtree; false when there is none.
    bool removeChild(std::size_t position);
    /// Destroys every child.
    void clearChildren();
    /// Detaches the child at `position` and hands it over; null when there is none.
    std::unique_ptr<ModelNode> takeChild(std::size_t position);

    ModelNode* parent() const { return m_parent; }
    std::size_t childCount() const { return m_children.size(); }
    /// The child at `position`, or null when out of range.
    ModelNode* childAt(std::size_t position) const;
    const CompactVector<std::unique_ptr<ModelNode>>& children() const { return m_children; }

    /// The first value, or an empty text.
    const std::string& firstValue() const;
    /// A non-owning shared handle (see ModelNodePtr).
    ModelNodePtr sharedHandle();
    /// Shown in square brackets after the name; empty for none.
    const std::string& unit() const;
    void setUnit(const std::string& unit);

    // Laid out without padding: a system has tens of thousands of nodes.
    std::uint16_t systemKind;
    std::uint16_t nodeType;
    bool selected = false;             ///< marked by a view for the next tool run
    bool changed = false;              ///< edited in memory and not yet written back
    bool locked = false;               ///< held by another client of a network node: read only
    std::int32_t index = -1;           ///< position below the parent; for a slot its slot index
    std::int32_t number = 0;           ///< shown number; an enclosure's enclosure number
    std::string name;                  ///< caption
    CompactVector<std::string> values; ///< first entry: own name of enclosures, boards, orphans

private:
    /// Frees a unit unless it is one of the shared common ones.
    struct UnitDeleter {
        void operator()(const std::string* unit) const;
    };

    ModelNode* m_parent = nullptr;
    std::unique_ptr<const std::string, UnitDeleter> m_unit; // kept out of line: few rows have one
    CompactVector<std::unique_ptr<ModelNode>> m_children;
};

} // namespace z2e
