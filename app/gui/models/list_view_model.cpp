#include "gui/models/list_view_model.h"

namespace z2e {

CListViewModel::CListViewModel(const QStringList* texts, QObject* parent) : QAbstractListModel(parent), m_texts(texts)
{
}

CListViewModel::~CListViewModel() = default;

void CListViewModel::setTexts(const QStringList* texts)
{
    beginResetModel();
    m_texts = texts;
    endResetModel();
}

void CListViewModel::refresh()
{
    beginResetModel();
    endResetModel();
}

QModelIndex CListViewModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || column != 0 || row < 0 || row >= rowCount())
        return {};
    return createIndex(row, column);
}

int CListViewModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_texts)
        return 0;
    return m_texts->size();
}

int CListViewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant CListViewModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.model() != this || index.column() != 0)
        return {};
    if (index.row() < 0 || index.row() >= rowCount())
        return {};
    return m_texts->at(index.row());
}

QVariant CListViewModel::headerData(int, Qt::Orientation, int) const
{
    return {};
}

} // namespace z2e
