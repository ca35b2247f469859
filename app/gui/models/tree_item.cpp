#include "gui/models/tree_item.h"

namespace z2e {

TreeItem::TreeItem(TreeItem* parent, const ModelNode* shownNode) : node(shownNode), parentItem(parent) {}

TreeItem::~TreeItem()
{
    clearChildren();
}

TreeItem* TreeItem::appendChild(std::unique_ptr<TreeItem> child)
{
    if (!child)
        return nullptr;
    child->parentItem = this;
    child->m_row = childCount();
    childItems.push_back(std::move(child));
    return childItems.back().get();
}

bool TreeItem::removeChildren(int row, int count)
{
    if (row < 0 || count < 0 || row > childCount() - count)
        return false;
    childItems.erase(childItems.begin() + row, childItems.begin() + row + count);
    renumberFrom(static_cast<std::size_t>(row));
    return true;
}

// Bottom-up without recursion, so a deep tree cannot exhaust the stack on destruction.
void TreeItem::clearChildren()
{
    std::vector<std::unique_ptr<TreeItem>> pending;
    pending.swap(childItems);
    while (!pending.empty()) {
        std::unique_ptr<TreeItem> item = std::move(pending.back());
        pending.pop_back();
        for (std::unique_ptr<TreeItem>& child : item->childItems)
            pending.push_back(std::move(child));
        item->childItems.clear();
    }
}

TreeItem* TreeItem::child(int row) const
{
    if (row < 0 || row >= childCount())
        return nullptr;
    return childItems[static_cast<std::size_t>(row)].get();
}

void TreeItem::renumberFrom(std::size_t position)
{
    for (std::size_t i = position; i < childItems.size(); ++i)
        childItems[i]->m_row = static_cast<int>(i);
}

} // namespace z2e
