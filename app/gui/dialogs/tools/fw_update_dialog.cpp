#include "gui/dialogs/tools/fw_update_dialog.h"
#include "gui/window/system_change_lock.h"

#include "ui_fw_update_dialog.h"

#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/tools/firmware_dialog_support.h"
#include "gui/dialogs/tools/snapshot_question.h"
#include "gui/dialogs/tools/tool_dialog_factory.h"
#include "gui/dialogs/tools/tool_read.h"

#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "tools/maintenance_journal.h"

#include <QCheckBox>

#include <algorithm>
#include <atomic>
#include <numeric>

namespace z2e {

CFWUpdateDialog::CFWUpdateDialog(const ToolTarget& target, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CFWUpdateDialog>()), m_target(target), m_journal(journalFor(target))
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setupFirmwareTable(m_ui->tableFirmware);
    m_ui->labelProblem->hide();
    connect(m_ui->btnUpdate, &QPushButton::clicked, this, &CFWUpdateDialog::hdl_Btn_Update);
    connect(m_ui->btnRetry, &QPushButton::clicked, this, &CFWUpdateDialog::hdl_Btn_Retry);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &CFWUpdateDialog::hdl_Btn_Close);
    connect(m_ui->chkKeepNewer, &QCheckBox::toggled, this, &CFWUpdateDialog::hdl_KeepNewer_Toggled);

    // No boards means no selection the tool works on, not every board.
    if (m_target.wrapper && !m_target.boards.empty()) {
        m_updater = std::make_unique<FirmwareUpdater>(*m_target.wrapper, m_journal.get());
        FirmwareUpdater& updater = *m_updater;
        const QorinNodeUtilWrapper* wrapper = m_target.wrapper.get();
        const std::vector<std::uint32_t> boards = m_target.boards;
        std::string words;
        const auto check = [&] {
            const std::int32_t checked = updater.check(boards, m_rows);
            if (checked != AppStatus::Ok)
                words = updater.message().empty() ? nodeResultText(checked, wrapper) : updater.message();
            return checked;
        };
        const std::int32_t status =
            readBehindProgress(m_target, "Firmware Update", "Checking the boards' firmware.", parent, check);
        if (status == AppStatus::Cancelled) {
            // Rows half read would offer updates of boards nobody looked at.
            m_rows.clear();
            m_ui->labelProblem->setText(readFailureText(status));
            m_ui->labelProblem->show();
        } else if (status != AppStatus::Ok) {
            m_ui->labelProblem->setText(
                QString("Firmware check failed: %1 %2").arg(status).arg(QString::fromStdString(words)));
            m_ui->labelProblem->show();
        }
        // Before "Update" the table says what it will do with each board.
        m_updater->plan(m_rows);
        // "Retry Failed" also picks up the boards whose last update (here, before) failed.
        if (m_journal)
            FirmwareUpdater::markFailedFromJournal(m_rows, *m_journal);
    }
    showFirmwareRows(m_ui->tableFirmware, m_rows);
    updateWidgets();
}

CFWUpdateDialog::~CFWUpdateDialog() = default;

std::int32_t CFWUpdateDialog::runPass(std::vector<FirmwareRow>& rows, const std::vector<std::size_t>& tableRows,
                                      bool retryFailedOnly)
{
    FirmwareUpdater& updater = *m_updater;
    // Each row as its board starts and ends, while the run goes on.
    updater.observeRows([this, tableRows](std::size_t index, const FirmwareRow& row) {
        const int at = static_cast<int>(tableRows.at(index));
        QMetaObject::invokeMethod(
            this, [this, at, row] { showFirmwareRow(m_ui->tableFirmware, at, row); }, Qt::QueuedConnection);
    });
    // The rows belong to the worker until the progress window has gone and it is joined.
    // On a network node Cancel ends the wait for the board being updated (the node itself goes
    // on) and no further board is started.
    std::atomic<bool> cancelled{false};
    const std::function<void()> cancel = cancelOf(m_target, cancelled);
    const std::int32_t status = CMiscUtils::runBehindProgress(
        "Firmware Update", "Performing Updates.", this,
        [&updater, &rows, retryFailedOnly, &cancelled](CInProgress& progress) {
            return updater.update(rows, retryFailedOnly, timedProgress(progress), cancelled);
        },
        true, cancel);
    updater.observeRows(nullptr);
    return status;
}

std::int32_t CFWUpdateDialog::runUpdate(bool retryFailedOnly)
{
    if (m_running || !m_updater || m_rows.empty())
        return AppStatus::FirmwareSkipped;
    const auto lock = SystemChangeLock::take(m_target, "updating firmware", "Firmware Update", this);
    if (!lock)
        return AppStatus::Cancelled;
    m_running = true;
    updateWidgets();
    m_updater->setKeepNewer(m_ui->chkKeepNewer->isChecked());
    std::vector<std::int32_t> before;
    for (const FirmwareRow& row : m_rows)
        before.push_back(row.outcome);
    std::vector<std::size_t> everyRow(m_rows.size());
    std::iota(everyRow.begin(), everyRow.end(), std::size_t{0});
    std::int32_t status = runPass(m_rows, everyRow, retryFailedOnly);

    // The boards whose EEPROMs could not be saved first were sent nothing; the operator may
    // update them without a snapshot (often they are the ones being repaired).
    std::vector<std::size_t> leftOut;
    std::vector<std::string> reasons;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].snapshotProblem.empty())
            continue;
        leftOut.push_back(i);
        reasons.push_back(m_rows[i].snapshotProblem);
    }
    const bool finished = status == AppStatus::FirmwareUpdated || status == AppStatus::FirmwareSkipped ||
                          status == AppStatus::FirmwareUpdateFailed;
    if (finished && !leftOut.empty() && m_journal && m_journal->snapshotsEnabled()) {
        showFirmwareRows(m_ui->tableFirmware, m_rows);
        if (continueWithoutSnapshot(reasons, this)) {
            std::vector<FirmwareRow> again;
            for (const std::size_t i : leftOut)
                again.push_back(m_rows[i]);
            const SnapshotsOff off(m_journal.get());
            const std::int32_t second = runPass(again, leftOut, false);
            for (std::size_t k = 0; k < leftOut.size(); ++k)
                m_rows[leftOut[k]] = again[k];
            status = second;
            if (second == AppStatus::FirmwareUpdated || second == AppStatus::FirmwareSkipped ||
                second == AppStatus::FirmwareUpdateFailed) {
                // The run's outcome over the boards it touched, both passes together.
                bool failed = false;
                bool updated = false;
                for (std::size_t i = 0; i < m_rows.size(); ++i) {
                    const bool touched = !retryFailedOnly || before[i] == AppStatus::FirmwareUpdateFailed;
                    failed = failed || (touched && m_rows[i].outcome == AppStatus::FirmwareUpdateFailed);
                    updated = updated || (touched && m_rows[i].outcome == AppStatus::FirmwareUpdated);
                }
                status = failed    ? AppStatus::FirmwareUpdateFailed
                         : updated ? AppStatus::FirmwareUpdated
                                   : AppStatus::FirmwareSkipped;
            }
        }
    }
    m_running = false;
    showFirmwareRows(m_ui->tableFirmware, m_rows);
    updateWidgets();
    CMiscUtils::notify("Firmware Update", firmwareOutcomeText(status, *m_updater), this);
    return status;
}

void CFWUpdateDialog::hdl_KeepNewer_Toggled()
{
    // The plan follows the check box at once; nothing is read from the boards for it.
    if (m_running)
        return;
    if (m_updater)
        m_updater->setKeepNewer(m_ui->chkKeepNewer->isChecked());
    for (FirmwareRow& row : m_rows) {
        if (row.outcome == 0)
            FirmwareUpdater::plan(row, m_ui->chkKeepNewer->isChecked());
    }
    showFirmwareRows(m_ui->tableFirmware, m_rows);
}

void CFWUpdateDialog::hdl_Btn_Update()
{
    runUpdate(false);
}

void CFWUpdateDialog::hdl_Btn_Retry()
{
    runUpdate(true);
}

void CFWUpdateDialog::hdl_Btn_Close()
{
    accept();
}

void CFWUpdateDialog::updateWidgets()
{
    const bool failed = std::any_of(m_rows.begin(), m_rows.end(), [](const FirmwareRow& row) {
        return row.outcome == AppStatus::FirmwareUpdateFailed;
    });
    m_ui->btnUpdate->setEnabled(!m_running && !m_rows.empty());
    m_ui->btnRetry->setEnabled(!m_running && failed);
    m_ui->btnClose->setEnabled(!m_running);
}

namespace {

const ToolDialogFactory kOpens(MenuEntry::FirmwareUpdate,
                               [](const ToolTarget& target, const FileChooser&,
                                  QWidget* parent) -> std::unique_ptr<QDialog> {
                                   return std::make_unique<CFWUpdateDialog>(target, parent);
                               });

} // namespace

} // namespace z2e
