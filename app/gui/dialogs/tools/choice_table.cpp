#include "gui/dialogs/tools/choice_table.h"

#include <QComboBox>
#include <QHeaderView>
#include <QTableWidget>

namespace z2e {

void setupChoiceTable(QTableWidget* table, const QString& nameHeader, const QString& choiceHeader, int rows)
{
    table->setColumnCount(2);
    table->setHorizontalHeaderLabels({nameHeader, choiceHeader});
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->hide();
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setRowCount(rows);
}

QComboBox* addChoiceRow(QTableWidget* table, int row, const QString& name)
{
    auto* item = new QTableWidgetItem(name);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    table->setItem(row, 0, item);
    auto* choice = new QComboBox(table);
    table->setCellWidget(row, 1, choice);
    return choice;
}

QComboBox* choiceAt(const QTableWidget* table, int row)
{
    return qobject_cast<QComboBox*>(table->cellWidget(row, 1));
}

} // namespace z2e
