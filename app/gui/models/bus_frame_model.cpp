#include "gui/models/bus_frame_model.h"

#include "tools/bus_frame_text.h"

#include <algorithm>

namespace z2e {

BusFrameModel::BusFrameModel(QObject* parent) : QAbstractTableModel(parent) {}

void BusFrameModel::setCapacity(std::size_t capacity)
{
    m_capacity = std::max<std::size_t>(capacity, 1);
    if (m_records.size() > m_capacity)
        dropOldest(m_records.size() - m_capacity);
}

void BusFrameModel::dropOldest(std::size_t count)
{
    if (count == 0)
        return;
    beginRemoveRows(QModelIndex(), 0, static_cast<int>(count) - 1);
    m_records.erase(m_records.begin(), m_records.begin() + static_cast<std::ptrdiff_t>(count));
    m_overwritten += count;
    endRemoveRows();
}

void BusFrameModel::append(std::vector<BusRecord> batch)
{
    if (batch.empty())
        return;
    // Only the newest capacity frames of a batch could stay.
    const std::size_t keep = std::min(batch.size(), m_capacity);
    const std::size_t skipped = batch.size() - keep;
    m_overwritten += skipped;
    const std::size_t total = m_records.size() + keep;
    if (total > m_capacity)
        dropOldest(total - m_capacity);
    const int first = static_cast<int>(m_records.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(keep) - 1);
    m_records.insert(m_records.end(), std::make_move_iterator(batch.begin() + static_cast<std::ptrdiff_t>(skipped)),
                     std::make_move_iterator(batch.end()));
    endInsertRows();
}

void BusFrameModel::clear()
{
    beginResetModel();
    m_records.clear();
    m_overwritten = 0;
    endResetModel();
}

int BusFrameModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_records.size());
}

int BusFrameModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BusFrameModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::TextAlignmentRole && index.column() <= Length)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const BusRecord& r = m_records[static_cast<std::size_t>(index.row())];
    const bool can = m_kind == BusKind::Can;
    switch (index.column()) {
    case Time: return QString::number(static_cast<double>(r.timestampUs) / 1e6, 'f', 6);
    case Channel: return r.channel;
    case Id: return can ? QString::number(r.id, 16).toUpper() : QString();
    case Flags: {
        QString flags;
        if (r.flags & BusRecord::kExtended)
            flags += "ext ";
        if (r.flags & BusRecord::kRemote)
            flags += "rtr ";
        if (r.flags & BusRecord::kErrorFrame)
            flags += "ERROR";
        return flags.trimmed();
    }
    case Length: return static_cast<int>(r.data.size());
    case Data: return QString::fromStdString(BusFrameText::hex(r.data));
    case Text: return QString::fromStdString(BusFrameText::printable(r.data));
    default: return {};
    }
}

QVariant BusFrameModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const kHeaders[] = {"Time (s)", "Channel", "Id (hex)", "Flags", "Length", "Data", "Text"};
    return section >= 0 && section < ColumnCount ? QString(kHeaders[section]) : QVariant();
}

} // namespace z2e
