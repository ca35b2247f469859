#pragma once
// One shown row of a tree view model. The rows below an item are made together and kept in one
// block, a single allocation holding the items side by side and their texts back to back in
// UTF-8, so that a row of a tree of tens of thousands holds no string or allocation of its own.
// A row's text, icon and colour are composed when the row is made (and again when it is
// refreshed): showing it never reads the node, which a tool may be rewriting on its worker
// thread at that moment. Items own the rows below them; the node is only looked at.

#include "core/row_composer.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace z2e {

class ModelNode;

class TreeItem {
public:
    /// The hidden top item: no node, no text, no parent.
    TreeItem();
    ~TreeItem();

    TreeItem(const TreeItem&) = delete;
    TreeItem& operator=(const TreeItem&) = delete;

    const ModelNode* node() const { return m_node; }
    /// None for the hidden top item.
    TreeItem* parentItem() const { return m_parent; }
    /// Position of this item below its parent (0 for the top item).
    int row() const;

    QString text() const;
    /// Place in the shared icon table (TreeIcon::None for none).
    int icon() const { return static_cast<int>(m_iconPlace) - 1; }
    /// The text carries a warning or error marker.
    bool red() const { return m_red != 0; }
    /// Gives this row a new composed text, icon and colour.
    void setRow(const ComposedRow& row);

    /// True once the rows below reflect the node's shown children.
    bool childrenBuilt() const { return m_childrenBuilt != 0; }
    int childCount() const;
    /// The child at `row`, or null when out of range.
    TreeItem* child(int row) const;

    /// Drops the rows below and starts them again, with room for `rows` rows whose texts
    /// take `textBytes` together.
    void startChildren(std::size_t rows, std::size_t textBytes);
    /// Appends a row showing `node` as `row` below this item (after startChildren, within the
    /// rows it made room for; false beyond them).
    bool appendChild(const ModelNode* node, const ComposedRow& row);
    /// Destroys `count` children from `row` on; false when the range is not inside.
    bool removeChildren(int row, int count);
    /// Destroys every child; the rows count as not made.
    void clearChildren();

private:
    struct Block;

    TreeItem(TreeItem* parent, const ModelNode* node);

    const ModelNode* m_node = nullptr;
    TreeItem* m_parent = nullptr;
    Block* m_children = nullptr; ///< owned
    // Packed into 32 bytes: a large tree has one item per row.
    std::uint32_t m_textOffset = 0; ///< in the parent's block
    std::uint32_t m_textLength : 24;
    std::uint32_t m_iconPlace : 6; ///< icon place + 1 (0: none)
    std::uint32_t m_red : 1;
    std::uint32_t m_childrenBuilt : 1;
};

} // namespace z2e
