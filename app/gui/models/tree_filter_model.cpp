#include "gui/models/tree_filter_model.h"

#include <QFont>

#include <vector>

namespace z2e {

CTreeFilterModel::CTreeFilterModel(QObject* parent) : QSortFilterProxyModel(parent)
{
    // A rebuilt source tree, or a new word, is searched before the proxy maps its rows again
    // (the proxy drops its mapping on its own reset, connected before this).
    connect(this, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_matches.clear();
        m_shown.clear();
    });
    connect(this, &QAbstractItemModel::modelReset, this, &CTreeFilterModel::findMatches);
}

void CTreeFilterModel::setFilterText(const QString& text)
{
    // One reset instead of the proxy's row-by-row removals and insertions, which a view
    // answers in time proportional to its rows each: quadratic on a large tree.
    beginResetModel();
    m_text = text;
    endResetModel();
}

void CTreeFilterModel::findMatches()
{
    m_matches.clear();
    m_shown.clear();
    const QAbstractItemModel* source = sourceModel();
    if (!source || m_text.isEmpty())
        return;
    // Explicit stack: descriptions may nest deeply.
    std::vector<QModelIndex> pending{QModelIndex()};
    while (!pending.empty()) {
        const QModelIndex parent = pending.back();
        pending.pop_back();
        const int rows = source->rowCount(parent);
        for (int row = 0; row < rows; ++row) {
            const QModelIndex index = source->index(row, 0, parent);
            pending.push_back(index);
            if (!source->data(index).toString().contains(m_text, Qt::CaseInsensitive))
                continue;
            m_matches.insert(index.internalId());
            for (QModelIndex up = index; up.isValid() && !m_shown.contains(up.internalId()); up = up.parent())
                m_shown.insert(up.internalId());
        }
    }
}

bool CTreeFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_text.isEmpty())
        return true;
    return m_shown.contains(sourceModel()->index(sourceRow, 0, sourceParent).internalId());
}

QVariant CTreeFilterModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::FontRole && !m_text.isEmpty() && m_matches.contains(mapToSource(index).internalId())) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    return QSortFilterProxyModel::data(index, role);
}

QModelIndex CTreeFilterModel::sourceOf(const QModelIndex& index)
{
    const auto* filter = qobject_cast<const CTreeFilterModel*>(index.model());
    return filter ? filter->mapToSource(index) : index;
}

} // namespace z2e
