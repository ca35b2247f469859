#include "gui/dialogs/overview/sys_view_dialog.h"

#include "ui_sys_view_dialog.h"

#include "core/system_report.h"

namespace z2e {

CSysViewDialog::CSysViewDialog(QWidget* parent, const std::vector<RootNode::OverviewRow>& overview, bool extended)
    : QDialog(parent), m_ui(std::make_unique<Ui::DialogSysOverview>())
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &CSysViewDialog::hdl_ButtonClose);
    if (overview.empty())
        return;

    const std::vector<std::size_t>& columns = SystemReport::columns(extended);
    QTableWidget* table = m_ui->tableOverview;
    table->setColumnCount(static_cast<int>(columns.size()));
    table->setRowCount(static_cast<int>(overview.size() - 1));
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const int column = static_cast<int>(c);
        table->setHorizontalHeaderItem(column, new QTableWidgetItem(QString::fromStdString(overview[0][columns[c]])));
        for (std::size_t r = 1; r < overview.size(); ++r) {
            auto* cell = new QTableWidgetItem(QString::fromStdString(overview[r][columns[c]]));
            cell->setFlags(cell->flags() & ~Qt::ItemIsEditable);
            table->setItem(static_cast<int>(r - 1), column, cell);
        }
    }
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
}

CSysViewDialog::~CSysViewDialog() = default;

void CSysViewDialog::hdl_ButtonClose()
{
    accept();
}

} // namespace z2e
