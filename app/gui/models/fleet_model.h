#pragma once
// The Fleet tab's table: one row per board of every system read, the cells made once when the
// rows arrive (a sort asks each cell many times), calibration due and overdue coloured, firmware
// older or newer than the release marked.

#include "tools/fleet_board.h"
#include "tools/fleet_table.h"

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <vector>

namespace z2e {

class FleetModel : public QAbstractTableModel {
    Q_OBJECT

public:
    /// Numbers sort as numbers (temperatures), everything else as text.
    static constexpr int kSortRole = Qt::UserRole + 1;
    /// After the table's columns: the outcome of the last action run on the board.
    static constexpr int kActionColumn = FleetTable::ColumnCount;

    explicit FleetModel(QObject* parent = nullptr);

    /// The calibration interval and today's date the Due and Calibration cells follow.
    void setOptions(const FleetTable::Options& options);
    const FleetTable::Options& options() const { return m_options; }
    /// Adds the boards of one system at the end.
    void append(std::vector<FleetBoard> boards);
    void clear();
    const std::vector<FleetBoard>& boards() const { return m_boards; }
    /// Shows `text` in the Action column of the board `serial` (any case) of the system at
    /// `address` (empty: this computer), red when it did not succeed.
    void setAction(const std::string& address, const std::string& serial, const QString& text, bool succeeded);
    void clearActions();
    /// How many boards are in calibration state `state`, as their rows show it.
    int calibrationCount(CalibrationDue::State state) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row {
        std::array<QString, FleetTable::ColumnCount> cells;
        CalibrationDue::State calibration = CalibrationDue::State::Unknown;
        int firmwareAge = 0;
        QString action;
        bool actionFailed = false;
    };
    Row rowOf(const FleetBoard& board) const;
    static QVariant actionData(const Row& row, int role);

    FleetTable::Options m_options;
    std::vector<FleetBoard> m_boards;
    std::vector<Row> m_rows;
};

} // namespace z2e
