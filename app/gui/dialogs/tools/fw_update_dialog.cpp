#include "gui/dialogs/tools/fw_update_dialog.h"
#include "gui/window/system_change_lock.h"

#include "ui_fw_update_dialog.h"

#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/tools/firmware_dialog_support.h"

#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "tools/maintenance_journal.h"

#include <algorithm>
#include <atomic>

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

    // No boards means no selection the tool works on, not every board.
    if (m_target.wrapper && !m_target.boards.empty()) {
        m_updater = std::make_unique<FirmwareUpdater>(*m_target.wrapper, m_journal.get());
        const std::int32_t status = m_updater->check(m_target.boards, m_rows);
        if (status != AppStatus::Ok) {
            const std::string words =
                m_updater->message().empty() ? nodeResultText(status, m_target.wrapper.get()) : m_updater->message();
            m_ui->labelProblem->setText(
                QString("Firmware check failed: %1 %2").arg(status).arg(QString::fromStdString(words)));
            m_ui->labelProblem->show();
        }
    }
    showFirmwareRows(m_ui->tableFirmware, m_rows);
    updateWidgets();
}

CFWUpdateDialog::~CFWUpdateDialog() = default;

std::int32_t CFWUpdateDialog::runUpdate(bool retryFailedOnly)
{
    if (m_running || !m_updater || m_rows.empty())
        return AppStatus::FirmwareSkipped;
    const auto lock = SystemChangeLock::take(m_target, "updating firmware", "Firmware Update", this);
    if (!lock)
        return AppStatus::Cancelled;
    m_running = true;
    updateWidgets();
    FirmwareUpdater& updater = *m_updater;
    std::vector<FirmwareRow>& rows = m_rows;
    // The rows belong to the worker until the progress window has gone and it is joined.
    // On a network node Cancel ends the wait for the board being updated (the node itself goes
    // on) and no further board is started.
    std::atomic<bool> cancelled{false};
    std::function<void()> cancel;
    if (m_target.interruptible)
        cancel = [this, &cancelled] {
            cancelled = true;
            m_target.wrapper->interrupt();
        };
    const std::int32_t status = CMiscUtils::runBehindProgress(
        "Firmware Update", "Performing Updates.", this,
        [&updater, &rows, retryFailedOnly, &cancelled](CInProgress& progress) {
            return updater.update(rows, retryFailedOnly, timedProgress(progress), cancelled);
        },
        true, cancel);
    m_running = false;
    showFirmwareRows(m_ui->tableFirmware, m_rows);
    updateWidgets();
    CMiscUtils::notify("Firmware Update", firmwareOutcomeText(status, updater), this);
    return status;
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

} // namespace z2e
