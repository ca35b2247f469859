#pragma once
// One shown row of a tree view model. Items own their children; the node is only looked at.

#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

class QIcon;

namespace z2e {

class ModelNode;

class TreeItem {
public:
    /// An item showing `node` (null for the hidden top item) below `parent`.
    TreeItem(TreeItem* parent, const ModelNode* node);
    ~TreeItem();

    TreeItem(const TreeItem&) = delete;
    TreeItem& operator=(const TreeItem&) = delete;

    /// Appends `child` and returns it.
    TreeItem* appendChild(std::unique_ptr<TreeItem> child);
    /// Destroys `count` children from `row` on; false when the range is not inside.
    bool removeChildren(int row, int count);
    /// Destroys every child.
    void clearChildren();

    /// The child at `row`, or null when out of range.
    TreeItem* child(int row) const;
    int childCount() const { return static_cast<int>(childItems.size()); }
    /// Position of this item below its parent (0 for the top item).
    int row() const { return m_row; }

    QString text;                   ///< composed row text
    const ModelNode* node;          ///< the node shown, not owned
    const QIcon* icon = nullptr;    ///< place in the shared icon table, may be none
    TreeItem* parentItem;           ///< none for the hidden top item
    std::vector<std::unique_ptr<TreeItem>> childItems;
    bool red = false;               ///< text carries a warning or error marker
    bool childrenBuilt = false;     ///< childItems reflect the node's shown children

private:
    void renumberFrom(std::size_t position);

    int m_row = 0;
};

} // namespace z2e
