#pragma once
// A two-column table of named choices — a read-only name, then a drop-down — as the enclosure
// options and the board features show them.

#include <QString>

class QComboBox;
class QTableWidget;

namespace z2e {

/// Gives `table` the two columns `nameHeader` and `choiceHeader` and `rows` empty rows.
void setupChoiceTable(QTableWidget* table, const QString& nameHeader, const QString& choiceHeader, int rows);
/// Puts `name` into row `row` and returns the row's new, empty drop-down.
QComboBox* addChoiceRow(QTableWidget* table, int row, const QString& name);
/// The drop-down of row `row`; null when there is none.
QComboBox* choiceAt(const QTableWidget* table, int row);

} // namespace z2e
