#include "gui/dialogs/tools/firmware_dialog_support.h"

#include "gui/dialogs/auxiliary/in_progress.h"

#include "core/application_status.h"
#include "driver/command/app_status.h"
#include "tools/maintenance_journal.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>
#include <cmath>

namespace z2e {

std::unique_ptr<MaintenanceJournal> journalFor(const ToolTarget& target)
{
    if (target.journalFolder.empty())
        return nullptr;
    auto journal = std::make_unique<MaintenanceJournal>(target.journalFolder, target.nodeText);
    journal->setSnapshotsEnabled(target.snapshots);
    return journal;
}

void setupFirmwareTable(QTableWidget* table)
{
    table->setColumnCount(6);
    table->setHorizontalHeaderLabels({"Board", "Installed", "Latest", "Status", "Result", "Info"});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->verticalHeader()->hide();
}

void showFirmwareRow(QTableWidget* table, int at, const FirmwareRow& row)
{
    const std::string cells[] = {row.board.label(),
                                 FirmwareRow::shown(row.installed),
                                 FirmwareRow::shown(row.latest),
                                 row.status,
                                 row.result,
                                 row.outcome == 0 ? FirmwareUpdater::planText(row) : row.info};
    for (int c = 0; c < 6; ++c) {
        auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        table->setItem(at, c, item);
    }
}

void showFirmwareRows(QTableWidget* table, const std::vector<FirmwareRow>& rows)
{
    table->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        showFirmwareRow(table, static_cast<int>(r), rows[r]);
    table->resizeColumnsToContents();
    // Every column whole (the plan and the outcome name versions), as far as the screen allows.
    const int wanted =
        table->horizontalHeader()->length() + table->verticalScrollBar()->sizeHint().width() + 2 * table->frameWidth();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int most = screen ? screen->availableGeometry().width() * 9 / 10 : wanted;
    table->setMinimumWidth(std::min(wanted, most));
}

ToolProgress timedProgress(CInProgress& progress)
{
    return [&progress](const std::string& text, double, double expectedSeconds) {
        if (text.empty()) {
            progress.stopT();
            return;
        }
        // The bar counts the seconds one board is expected to take.
        progress.stopT();
        progress.initProg(0, 0, std::max(1, static_cast<int>(std::lround(expectedSeconds))), text);
        progress.showProgBar();
        progress.startT();
    };
}

QString firmwareOutcomeText(std::int32_t status, const FirmwareUpdater& updater)
{
    if (status == AppStatus::FirmwareUpdated || status == AppStatus::FirmwareSkipped ||
        status == AppStatus::FirmwareUpdateFailed)
        return QString::fromStdString(FirmwareUpdater::statusText(status));
    if (updater.message().empty())
        return QString::fromStdString(statusMessage(status));
    if (status == AppStatus::JournalFailed)
        return QString::fromStdString("Firmware Update ran over every board as the table shows, but the journal is "
                                      "missing lines (" +
                                      std::to_string(status) + "):\n" + updater.message());
    const std::string text = "Firmware Update stopped (" + std::to_string(status) + "):\n" + updater.message();
    return QString::fromStdString(text);
}

} // namespace z2e
