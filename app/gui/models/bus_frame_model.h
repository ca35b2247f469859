#pragma once
// The Bus Test's live frame list: a ring of a chosen size, appended a batch at a time so that a
// busy bus costs one update of the view per batch, not one per frame. New frames take the
// places of the oldest, so a full ring allocates nothing. Cells are made only when the view
// asks for them, which it does for the rows in sight.

#include "tools/bus_monitor.h"

#include <QAbstractTableModel>

#include <deque>
#include <vector>

namespace z2e {

class BusFrameModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Time, Channel, Id, Flags, Length, Data, Text, ColumnCount };

    explicit BusFrameModel(QObject* parent = nullptr);

    void setKind(BusKind kind) { m_kind = kind; }
    BusKind kind() const { return m_kind; }
    /// Frames kept; a smaller ring drops the oldest at once.
    void setCapacity(std::size_t capacity);
    std::size_t capacity() const { return m_capacity; }
    /// Adds `batch` (oldest first) at the end; the oldest rows make room.
    void append(const std::vector<BusRecord>& batch);
    void clear();
    /// The frame of `row`, 0 being the oldest kept.
    const BusRecord& record(std::size_t row) const { return m_ring[(m_head + row) % m_ring.size()]; }
    /// Every frame kept, oldest first.
    std::deque<BusRecord> records() const;
    /// Frames the ring pushed out since the last clear().
    std::uint64_t overwritten() const { return m_overwritten; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void dropOldest(std::size_t count);
    /// Makes room for `count` rows in all, the oldest first in the ring again if it has to grow.
    void reserveRows(std::size_t count);
    /// Moves the rows so that row 0 is the ring's first place.
    void putHeadFirst();

    BusKind m_kind = BusKind::Can;
    std::size_t m_capacity = 1000;
    std::vector<BusRecord> m_ring; ///< grows up to m_capacity; row 0 at m_head
    std::size_t m_head = 0;
    std::size_t m_rows = 0;
    std::uint64_t m_overwritten = 0;
};

} // namespace z2e
