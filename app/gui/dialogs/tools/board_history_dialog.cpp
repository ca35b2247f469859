#include "gui/dialogs/tools/board_history_dialog.h"

#include "ui_board_history_dialog.h"

#include "tools/maintenance_journal.h"

#include <QHeaderView>

namespace z2e {

CBoardHistoryDialog::CBoardHistoryDialog(const std::string& journalFolder, const std::string& serial,
                                         const QString& boardCaption, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CBoardHistoryDialog>())
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &CBoardHistoryDialog::hdl_BtnClicked_Close);
    m_ui->labelBoard->setText(QString("%1  (serial number %2)").arg(boardCaption, QString::fromStdString(serial)));

    const MaintenanceJournal journal(journalFolder, "");
    // An empty serial would list every board's history.
    const std::vector<std::string> lines = serial.empty() ? std::vector<std::string>() : journal.history(serial);

    QTableWidget* table = m_ui->tableHistory;
    const QStringList headers = {"Time", "Operation", "Result", "Status", "Node", "Firmware", "Duration"};
    table->setColumnCount(headers.size());
    table->setHorizontalHeaderLabels(headers);
    table->setRowCount(static_cast<int>(lines.size()));
    int row = 0;
    // The journal appends, so the file's last line is the newest.
    for (auto line = lines.rbegin(); line != lines.rend(); ++line, ++row) {
        using J = MaintenanceJournal;
        const auto text = [&](const char* key) { return QString::fromStdString(J::field(*line, key)); };
        QString firmware;
        if (!text("firmwareBefore").isEmpty() || !text("firmwareAfter").isEmpty())
            firmware = text("firmwareBefore") + QString::fromUtf8(" \u2192 ") + text("firmwareAfter");
        const QString cells[] = {text("time"),
                                 text("operation"),
                                 text("result"),
                                 text("status").trimmed(),
                                 text("node"),
                                 firmware,
                                 text("durationSeconds") + " s"};
        for (int column = 0; column < headers.size(); ++column)
            table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table->resizeColumnsToContents();
    table->setVisible(!lines.empty());
    m_ui->labelEmpty->setVisible(lines.empty());
}

CBoardHistoryDialog::~CBoardHistoryDialog() = default;

void CBoardHistoryDialog::hdl_BtnClicked_Close()
{
    accept();
}

} // namespace z2e
