#include "gui/models/tree_view_model.h"

#include "core/model_node.h"
#include "core/row_composer.h"
#include "core/system_model.h"
#include "gui/models/tree_icon_table.h"

#include <QColor>
#include <QIcon>

#include <utility>

namespace z2e {

CTreeViewModel::CTreeViewModel(const TreeIconTable& icons, QObject* parent)
    : QAbstractItemModel(parent), m_icons(icons), m_top(std::make_unique<TreeItem>(nullptr, nullptr))
{
}

CTreeViewModel::~CTreeViewModel() = default;

bool CTreeViewModel::rebuild(SystemModel& system, int mode)
{
    if (mode != LocalSystem && mode != DemoSystem && mode != RemoteSystem)
        return false;
    rebuildFrom(system.root(static_cast<std::uint32_t>(mode)));
    return true;
}

void CTreeViewModel::rebuildFrom(const ModelNode* root)
{
    beginResetModel();
    m_top->clearChildren();
    m_top->childrenBuilt = true;
    if (root) {
        auto item = std::make_unique<TreeItem>(m_top.get(), root);
        if (fillItem(*item, *root))
            m_top->appendChild(std::move(item));
    }
    endResetModel();
}

void CTreeViewModel::clear()
{
    rebuildFrom(nullptr);
}

void CTreeViewModel::refreshRows(const QModelIndex& index)
{
    TreeItem* item = itemAt(index);
    if (!item || !item->node)
        return;
    fillItem(*item, *item->node);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::DecorationRole, Qt::ForegroundRole});
    if (!item->childrenBuilt)
        return;
    for (int row = 0; row < item->childCount(); ++row)
        refreshRows(createIndex(row, 0, item->child(row)));
}

bool CTreeViewModel::fillItem(TreeItem& item, const ModelNode& node) const
{
    const ComposedRow row = RowComposer::compose(node);
    if (!row.shown)
        return false;
    item.text = QString::fromStdString(row.text);
    item.icon = m_icons.icon(row.icon);
    item.red = row.red;
    return true;
}

void CTreeViewModel::ensureChildren(TreeItem& item) const
{
    if (item.childrenBuilt)
        return;
    item.childrenBuilt = true;
    if (!item.node)
        return;
    item.childItems.reserve(item.node->childCount());
    for (const auto& childNode : item.node->children()) {
        auto child = std::make_unique<TreeItem>(&item, childNode.get());
        if (fillItem(*child, *childNode))
            item.appendChild(std::move(child));
    }
}

const ModelNode* CTreeViewModel::nodeAt(const QModelIndex& index) const
{
    const TreeItem* item = itemAt(index);
    return item ? item->node : nullptr;
}

TreeItem* CTreeViewModel::itemAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<TreeItem*>(index.internalPointer());
}

TreeItem* CTreeViewModel::parentItemAt(const QModelIndex& parent) const
{
    return parent.isValid() ? itemAt(parent) : m_top.get();
}

QModelIndex CTreeViewModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || (parent.isValid() && parent.column() != 0))
        return {};
    TreeItem* parentItem = parentItemAt(parent);
    if (!parentItem)
        return {};
    ensureChildren(*parentItem);
    TreeItem* child = parentItem->child(row);
    return child ? createIndex(row, 0, child) : QModelIndex();
}

QModelIndex CTreeViewModel::parent(const QModelIndex& index) const
{
    const TreeItem* item = itemAt(index);
    if (!item || !item->parentItem || item->parentItem == m_top.get())
        return {};
    TreeItem* parentItem = item->parentItem;
    return createIndex(parentItem->row(), 0, parentItem);
}

int CTreeViewModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    TreeItem* item = parentItemAt(parent);
    if (!item)
        return 0;
    ensureChildren(*item);
    return item->childCount();
}

int CTreeViewModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant CTreeViewModel::data(const QModelIndex& index, int role) const
{
    const TreeItem* item = itemAt(index);
    if (!item)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return item->text;
    case Qt::DecorationRole:
        return item->icon ? QVariant(*item->icon) : QVariant();
    case Qt::ForegroundRole:
        return item->red ? QVariant(QColor(Qt::red)) : QVariant();
    default:
        return {};
    }
}

QVariant CTreeViewModel::headerData(int, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_top->text;
    return {};
}

bool CTreeViewModel::removeRows(int row, int count, const QModelIndex& parent)
{
    TreeItem* item = itemAt(parent);
    if (!item || !item->node)
        return false;
    ensureChildren(*item);
    if (count <= 0 || row < 0 || row > item->childCount() - count)
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    item->removeChildren(row, count);
    endRemoveRows();
    return true;
}

} // namespace z2e
