#include "gui/dialogs/auxiliary/dialog_versions.h"

#include "ui_dialog_versions.h"

#include "gui/dialogs/auxiliary/dialog_support.h"

namespace z2e {

DialogVersions::DialogVersions(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::DialogVersions>())
{
    m_ui->setupUi(this);
    setWindowIcon(QIcon(":/icons/res/settings.png"));
    removeContextHelpButton(this);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

DialogVersions::~DialogVersions() = default;

QTableWidget* DialogVersions::table() const
{
    return m_ui->tableVersions;
}

void DialogVersions::setRecords(const std::vector<SoftwareVersionRecord>& records)
{
    QTableWidget* table = m_ui->tableVersions;
    table->setRowCount(static_cast<int>(records.size()));
    for (std::size_t r = 0; r < records.size(); ++r) {
        const SoftwareVersionRecord& record = records[r];
        // The program's comment ends in a line break meant for a text block, not a cell.
        const QStringList cells{QString::fromStdString(record.description), QString::fromStdString(record.version),
                                displayText(QString::fromStdString(record.comment)).trimmed()};
        for (int c = 0; c < cells.size(); ++c) {
            auto* cell = new QTableWidgetItem(cells[c]);
            cell->setFlags(cell->flags() & ~Qt::ItemIsEditable);
            table->setItem(static_cast<int>(r), c, cell);
        }
        table->item(static_cast<int>(r), 0)->setToolTip(QString::fromStdString(record.fileName));
    }
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
}

} // namespace z2e
