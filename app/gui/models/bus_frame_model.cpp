#include "gui/models/bus_frame_model.h"

#include "tools/bus_frame_text.h"

#include <algorithm>

namespace z2e {

BusFrameModel::BusFrameModel(QObject* parent) : QAbstractTableModel(parent) {}

void BusFrameModel::setCapacity(std::size_t capacity)
{
    m_capacity = std::max<std::size_t>(capacity, 1);
    if (m_rows > m_capacity)
        dropOldest(m_rows - m_capacity);
    // A ring of another size holds its rows in order from its start again, and no more room.
    putHeadFirst();
    m_ring.resize(m_rows);
    m_ring.shrink_to_fit();
}

void BusFrameModel::putHeadFirst()
{
    std::rotate(m_ring.begin(), m_ring.begin() + static_cast<std::ptrdiff_t>(m_head), m_ring.end());
    m_head = 0;
}

std::deque<BusRecord> BusFrameModel::records() const
{
    std::deque<BusRecord> ordered;
    for (std::size_t row = 0; row < m_rows; ++row)
        ordered.push_back(record(row));
    return ordered;
}

void BusFrameModel::dropOldest(std::size_t count)
{
    if (count == 0)
        return;
    beginRemoveRows(QModelIndex(), 0, static_cast<int>(count) - 1);
    m_head = (m_head + count) % m_ring.size();
    m_rows -= count;
    m_overwritten += count;
    endRemoveRows();
}

void BusFrameModel::reserveRows(std::size_t count)
{
    if (m_ring.size() >= count)
        return;
    putHeadFirst();
    // Reserved whole, so that filling the ring moves no frame; pages are touched only as it fills.
    m_ring.reserve(m_capacity);
    m_ring.resize(count);
}

void BusFrameModel::append(const std::vector<BusRecord>& batch)
{
    if (batch.empty())
        return;
    // Only the newest capacity frames of a batch could stay.
    const std::size_t keep = std::min(batch.size(), m_capacity);
    const std::size_t skipped = batch.size() - keep;
    m_overwritten += skipped;
    if (m_rows + keep > m_capacity)
        dropOldest(m_rows + keep - m_capacity);
    reserveRows(m_rows + keep);
    const int first = static_cast<int>(m_rows);
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(keep) - 1);
    std::size_t place = m_head + m_rows;
    for (std::size_t i = 0; i < keep; ++i, ++place) {
        if (place >= m_ring.size())
            place -= m_ring.size();
        m_ring[place] = batch[skipped + i];
    }
    m_rows += keep;
    endInsertRows();
}

void BusFrameModel::clear()
{
    beginResetModel();
    std::vector<BusRecord>().swap(m_ring); // a large ring's memory goes back at once
    m_head = 0;
    m_rows = 0;
    m_overwritten = 0;
    endResetModel();
}

int BusFrameModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows);
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
    const BusRecord& r = record(static_cast<std::size_t>(index.row()));
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
