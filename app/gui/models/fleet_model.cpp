#include "gui/models/fleet_model.h"

#include <QBrush>
#include <QColor>

#include <algorithm>

namespace z2e {
namespace {

const QColor kOverdue(0xf6, 0xc6, 0xc6);
const QColor kDueSoon(0xfb, 0xe3, 0xb0);
const QColor kNewer(0xcf, 0xe2, 0xf8);
const QColor kWarning(0xb0, 0x00, 0x00);

bool isCalibrationColumn(int column)
{
    return column == FleetTable::Calibrated || column == FleetTable::Due || column == FleetTable::CalibrationState;
}

bool isTemperatureColumn(int column)
{
    return column == FleetTable::BaseTemperature || column == FleetTable::ConTemperature;
}

} // namespace

FleetModel::FleetModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_options.today = CalibrationDue::today();
}

FleetModel::Row FleetModel::rowOf(const FleetBoard& board) const
{
    Row row;
    for (int c = 0; c < FleetTable::ColumnCount; ++c)
        row.cells[c] = QString::fromStdString(FleetTable::cell(board, FleetTable::Column(c), m_options));
    row.calibration = FleetTable::calibration(board, m_options);
    row.firmwareAge = FleetTable::firmwareAge(board);
    return row;
}

void FleetModel::setOptions(const FleetTable::Options& options)
{
    beginResetModel();
    m_options = options;
    if (m_options.today.empty())
        m_options.today = CalibrationDue::today();
    for (std::size_t r = 0; r < m_boards.size(); ++r)
        m_rows[r] = rowOf(m_boards[r]);
    endResetModel();
}

void FleetModel::append(std::vector<FleetBoard> boards)
{
    if (boards.empty())
        return;
    const int first = static_cast<int>(m_boards.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(boards.size()) - 1);
    for (FleetBoard& board : boards) {
        m_rows.push_back(rowOf(board));
        m_boards.push_back(std::move(board));
    }
    endInsertRows();
}

void FleetModel::clear()
{
    beginResetModel();
    m_boards.clear();
    m_rows.clear();
    endResetModel();
}

void FleetModel::setAction(const std::string& address, const std::string& serial, const QString& text, bool succeeded)
{
    const QString key = QString::fromStdString(serial).toUpper();
    for (std::size_t r = 0; r < m_boards.size(); ++r) {
        if (m_boards[r].address != address || QString::fromStdString(m_boards[r].serial).toUpper() != key)
            continue;
        m_rows[r].action = text;
        m_rows[r].actionFailed = !succeeded;
        const QModelIndex cell = index(static_cast<int>(r), kActionColumn);
        emit dataChanged(cell, cell);
    }
}

void FleetModel::clearActions()
{
    for (Row& row : m_rows) {
        row.action.clear();
        row.actionFailed = false;
    }
    if (!m_rows.empty())
        emit dataChanged(index(0, kActionColumn), index(rowCount() - 1, kActionColumn));
}

int FleetModel::calibrationCount(CalibrationDue::State state) const
{
    return static_cast<int>(
        std::count_if(m_rows.begin(), m_rows.end(), [state](const Row& row) { return row.calibration == state; }));
}

int FleetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FleetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FleetTable::ColumnCount + 1;
}

QVariant FleetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() > kActionColumn)
        return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    if (column == kActionColumn)
        return actionData(row, role);
    switch (role) {
    case Qt::DisplayRole: return row.cells[column];
    case Qt::ToolTipRole:
        return row.cells[FleetTable::Warnings].isEmpty() ? QVariant() : row.cells[FleetTable::Warnings];
    case kSortRole: {
        bool number = false;
        const double value = isTemperatureColumn(column) ? row.cells[column].toDouble(&number) : 0.0;
        return number ? QVariant(value) : QVariant(row.cells[column]);
    }
    case Qt::BackgroundRole:
        if (isCalibrationColumn(column) && row.calibration == CalibrationDue::State::Overdue)
            return QBrush(kOverdue);
        if (isCalibrationColumn(column) && row.calibration == CalibrationDue::State::DueSoon)
            return QBrush(kDueSoon);
        if (column == FleetTable::Firmware && row.firmwareAge != 0)
            return QBrush(row.firmwareAge < 0 ? kDueSoon : kNewer);
        return {};
    case Qt::ForegroundRole: return column == FleetTable::Warnings ? QBrush(kWarning) : QVariant();
    default: return {};
    }
}

QVariant FleetModel::actionData(const Row& row, int role)
{
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case kSortRole: return row.action;
    case Qt::BackgroundRole: return row.actionFailed ? QBrush(kOverdue) : QVariant();
    default: return {};
    }
}

QVariant FleetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > kActionColumn)
        return {};
    if (section == kActionColumn)
        return tr("Last action");
    return QString::fromUtf8(FleetTable::title(FleetTable::Column(section)));
}

} // namespace z2e
