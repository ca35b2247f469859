#include "gui/dialogs/tools/crossgrade_dialog.h"

#include "ui_crossgrade_dialog.h"

#include "gui/dialogs/tools/crossgrade_support.h"
#include "gui/dialogs/tools/tool_read.h"

#include "driver/command/app_status.h"
#include "tools/board_cross_grade.h"

#include <QHeaderView>

namespace z2e {

CCrossgradeDialog::CCrossgradeDialog(const ToolTarget& target, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CCrossgradeDialog>()), m_target(target)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    std::vector<BaseEepromEntry> entries;
    std::string baseId;
    std::int32_t read = AppStatus::NoSuchBoard;
    if (m_target.wrapper && !m_target.boards.empty()) {
        QorinNodeUtilWrapper& wrapper = *m_target.wrapper;
        const std::uint32_t board = m_target.boards.front();
        read = readBehindProgress(m_target, "Board Cross Grade", "Reading the board generations.", parent, [&] {
            BoardCrossGrade tool(wrapper, nullptr);
            baseId = tool.storedBaseId(board);
            return tool.entries(entries);
        });
    }
    if (read == AppStatus::Cancelled)
        entries.clear();
    m_ui->labelBoard->setText(read == AppStatus::Cancelled ? readFailureText(read)
                                                           : crossGradeBoardText(m_target, baseId));
    QTableWidget* table = m_ui->tableModels;
    table->setColumnCount(1);
    table->setHorizontalHeaderLabels({"Model Name"});
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setRowCount(static_cast<int>(entries.size()));
    for (std::size_t r = 0; r < entries.size(); ++r) {
        const BaseEepromEntry& entry = entries[r];
        // Two generations of one model differ only in their base version.
        auto* item =
            new QTableWidgetItem(QString("%1 (%2 V%3)")
                                     .arg(QString::fromStdString(entry.name), QString::fromStdString(entry.baseModel),
                                          QString::fromStdString(entry.baseVersion)));
        item->setData(Qt::UserRole, QString::fromStdString(entry.id));
        item->setToolTip(QString::fromStdString(entry.id + " " + entry.family));
        table->setItem(static_cast<int>(r), 0, item);
    }
    m_ui->btnGo->setEnabled(false);
    connect(table, &QTableWidget::itemSelectionChanged, this,
            [this] { m_ui->btnGo->setEnabled(!selectedId().empty()); });
    connect(m_ui->btnGo, &QPushButton::clicked, this, &CCrossgradeDialog::hdl_ButtonClicked_Go);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &CCrossgradeDialog::hdl_ButtonClicked_Cancel);
}

CCrossgradeDialog::~CCrossgradeDialog() = default;

std::string CCrossgradeDialog::selectedId() const
{
    const QList<QTableWidgetItem*> selected = m_ui->tableModels->selectedItems();
    return selected.isEmpty() ? std::string() : selected.front()->data(Qt::UserRole).toString().toStdString();
}

std::int32_t CCrossgradeDialog::runCrossGrade()
{
    const std::string id = selectedId();
    if (id.empty())
        return -1;
    const std::int32_t status = z2e::runCrossGrade(m_target, id, this);
    if (status == AppStatus::CrossGradeDone)
        accept();
    return status;
}

void CCrossgradeDialog::hdl_ButtonClicked_Go()
{
    runCrossGrade();
}

void CCrossgradeDialog::hdl_ButtonClicked_Cancel()
{
    reject();
}

} // namespace z2e
