#include "gui/dialogs/tools/test_view_model.h"

#include <QBrush>

namespace z2e {

CTestViewModel::CTestViewModel(QObject* parent) : QAbstractItemModel(parent) {}

void CTestViewModel::setRows(std::vector<BoardTestRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

const BoardTestRow* CTestViewModel::boardRowAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    const std::size_t row =
        index.internalId() == kBoardRow ? static_cast<std::size_t>(index.row()) : index.internalId() - 1;
    return row < m_rows.size() ? &m_rows[row] : nullptr;
}

bool CTestViewModel::failing(const std::string& status)
{
    // Trimmed: the reset's verdicts carry two leading blanks, the others one.
    const auto first = status.find_first_not_of(' ');
    if (first == std::string::npos)
        return false;
    const std::string verdict = status.substr(first);
    return verdict != "PASSED" && verdict != "NOT APPLICABLE";
}

QModelIndex CTestViewModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, kBoardRow);
    return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex CTestViewModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == kBoardRow)
        return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kBoardRow);
}

int CTestViewModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return static_cast<int>(m_rows.size());
    if (parent.column() != 0 || parent.internalId() != kBoardRow)
        return 0;
    return static_cast<int>(m_rows[static_cast<std::size_t>(parent.row())].details.size());
}

int CTestViewModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant CTestViewModel::data(const QModelIndex& index, int role) const
{
    const BoardTestRow* board = boardRowAt(index);
    if (!board)
        return {};
    const bool isBoard = index.internalId() == kBoardRow;
    if (role == Qt::DisplayRole) {
        if (isBoard)
            return QString::fromStdString(board->text());
        return QString::fromStdString(board->details[static_cast<std::size_t>(index.row())]);
    }
    if (role == Qt::ForegroundRole && isBoard && failing(board->status))
        return QBrush(Qt::red);
    // "Slot 2" alone may be any enclosure's: the tip names the board as the tree does.
    if (role == Qt::ToolTipRole && isBoard)
        return QString::fromStdString(board->board.label());
    return {};
}

} // namespace z2e
