#include "gui/models/tree_view_model.h"

#include "core/model_node.h"
#include "core/row_composer.h"
#include "core/system_model.h"
#include "gui/models/tree_icon_table.h"

#include <QColor>
#include <QIcon>

#include <utility>

namespace z2e {
namespace {

const QVector<int> kShownRoles = {Qt::DisplayRole, Qt::DecorationRole, Qt::ForegroundRole};

} // namespace

CTreeViewModel::CTreeViewModel(const TreeIconTable& icons, QObject* parent)
    : QAbstractItemModel(parent), m_icons(icons), m_top(std::make_unique<TreeItem>()), m_red(QColor(Qt::red))
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
    const ComposedRow row = root ? RowComposer::compose(*root) : ComposedRow{};
    const bool shown = root && row.shown;
    m_top->startChildren(shown ? 1 : 0, row.text.size());
    if (shown)
        m_top->appendChild(root, row);
    endResetModel();
}

void CTreeViewModel::clear()
{
    rebuildFrom(nullptr);
}

void CTreeViewModel::refreshRows(const QModelIndex& index)
{
    TreeItem* item = itemAt(index);
    if (!item || !item->node())
        return;
    composeAgain(*item);
    emit dataChanged(index, index, kShownRoles);
    refreshBelow(*item);
}

void CTreeViewModel::refreshBelow(TreeItem& item)
{
    if (!item.childrenBuilt() || item.childCount() == 0)
        return;
    for (int row = 0; row < item.childCount(); ++row)
        composeAgain(*item.child(row));
    emit dataChanged(createIndex(0, 0, item.child(0)),
                     createIndex(item.childCount() - 1, 0, item.child(item.childCount() - 1)), kShownRoles);
    for (int row = 0; row < item.childCount(); ++row)
        refreshBelow(*item.child(row));
}

void CTreeViewModel::composeAgain(TreeItem& item)
{
    // A row that would no longer be shown keeps what it showed until the next rebuild.
    const ComposedRow row = RowComposer::compose(*item.node());
    if (row.shown)
        item.setRow(row);
}

void CTreeViewModel::ensureChildren(TreeItem& item) const
{
    if (item.childrenBuilt())
        return;
    const ModelNode* node = item.node();
    if (!node) {
        item.startChildren(0, 0);
        return;
    }
    // Composed before they are made, so that the block takes its texts' memory in one piece.
    const std::size_t count = node->childCount();
    if (m_composed.size() < count)
        m_composed.resize(count);
    std::size_t rows = 0;
    std::size_t textBytes = 0;
    for (std::size_t i = 0; i < count; ++i) {
        RowComposer::compose(*node->childAt(i), m_composed[i]);
        rows += m_composed[i].shown ? 1 : 0;
        textBytes += m_composed[i].text.size();
    }
    item.startChildren(rows, textBytes);
    for (std::size_t i = 0; i < count; ++i) {
        if (m_composed[i].shown)
            item.appendChild(node->childAt(i), m_composed[i]);
    }
}

const ModelNode* CTreeViewModel::nodeAt(const QModelIndex& index) const
{
    const TreeItem* item = itemAt(index);
    return item ? item->node() : nullptr;
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
    if (!item || !item->parentItem() || item->parentItem() == m_top.get())
        return {};
    TreeItem* parentItem = item->parentItem();
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
    case Qt::DisplayRole: return item->text();
    case Qt::DecorationRole: return m_icons.iconVariant(item->icon());
    case Qt::ForegroundRole: return item->red() ? m_red : QVariant();
    default: return {};
    }
}

QVariant CTreeViewModel::headerData(int, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_top->text();
    return {};
}

bool CTreeViewModel::removeRows(int row, int count, const QModelIndex& parent)
{
    TreeItem* item = itemAt(parent);
    if (!item || !item->node())
        return false;
    ensureChildren(*item);
    if (count <= 0 || row < 0 || row > item->childCount() - count)
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    item->removeChildren(row, count);
    endRemoveRows();
    return true;
}

QModelIndex CTreeViewModel::indexOf(const ModelNode* node) const
{
    std::vector<const ModelNode*> chain;
    for (const ModelNode* at = node; at; at = at->parent())
        chain.insert(chain.begin(), at);
    QModelIndex parent;
    for (const ModelNode* wanted : chain) {
        QModelIndex found;
        for (int row = 0; row < rowCount(parent) && !found.isValid(); ++row) {
            const QModelIndex candidate = index(row, 0, parent);
            if (nodeAt(candidate) == wanted)
                found = candidate;
        }
        if (!found.isValid())
            return {};
        parent = found;
    }
    return parent;
}

} // namespace z2e
