#pragma once
// The result list of the hardware tools: one top row per board ("Slot <n>:  <name>[: <status>]")
// with the detail rows of its result document below it.

#include "tools/board_test_procedure.h"

#include <QAbstractItemModel>

#include <vector>

namespace z2e {

class CTestViewModel : public QAbstractItemModel {
    Q_OBJECT

public:
    explicit CTestViewModel(QObject* parent = nullptr);

    /// Replaces every row.
    void setRows(std::vector<BoardTestRow> rows);
    const std::vector<BoardTestRow>& rows() const { return m_rows; }
    /// The board row of `index`, also for one of its detail rows; null for an invalid index.
    const BoardTestRow* boardRowAt(const QModelIndex& index) const;
    /// True for a verdict that says the board did not pass.
    static bool failing(const std::string& status);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    // A board row's internal id is 0, a detail row's is its board's row + 1.
    static constexpr quintptr kBoardRow = 0;

    std::vector<BoardTestRow> m_rows;
};

} // namespace z2e
