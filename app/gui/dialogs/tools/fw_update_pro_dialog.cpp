#include "gui/dialogs/tools/fw_update_pro_dialog.h"
#include "gui/window/system_change_lock.h"

#include "ui_fw_update_pro_dialog.h"

#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/tools/firmware_dialog_support.h"
#include "gui/dialogs/tools/fw_select_dialog.h"
#include "gui/dialogs/tools/snapshot_question.h"

#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "tools/maintenance_journal.h"

namespace z2e {

namespace {

const char* const kTitle = "Firmware Update PRO";

} // namespace

CFWUpdateProDialog::CFWUpdateProDialog(const ToolTarget& target, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CFWUpdateProDialog>()),
      m_target(target),
      m_journal(journalFor(target)),
      m_chooser(chooseFileWithDialog)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setupFirmwareTable(m_ui->tableFirmware);
    connect(m_ui->editFilename, &QLineEdit::textChanged, this, &CFWUpdateProDialog::hdl_Filename_Chnaged);
    connect(m_ui->btnAuto, &QPushButton::clicked, this, &CFWUpdateProDialog::hdl_Btn_Auto);
    connect(m_ui->btnSelect, &QPushButton::clicked, this, &CFWUpdateProDialog::hdl_Btn_List);
    connect(m_ui->btnBrowse, &QPushButton::clicked, this, &CFWUpdateProDialog::hdl_Btn_Browse);
    connect(m_ui->btnUpdate, &QPushButton::clicked, this, &CFWUpdateProDialog::hdl_Btn_Update);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &CFWUpdateProDialog::hdl_Btn_Close);

    if (m_target.wrapper && !m_target.boards.empty()) {
        m_updater = std::make_unique<FirmwareUpdater>(*m_target.wrapper, m_journal.get());
        m_updater->check({m_target.boards.front()}, m_rows);
    }
    showFirmwareRows(m_ui->tableFirmware, m_rows);
    updateWidgets();
}

CFWUpdateProDialog::~CFWUpdateProDialog() = default;

std::int32_t CFWUpdateProDialog::runUpdate()
{
    const std::string selection = m_ui->editFilename->text().toStdString();
    if (m_running || selection.empty() || m_rows.size() != 1)
        return AppStatus::FirmwareSkipped;
    const auto lock = SystemChangeLock::take(m_target, "updating firmware", kTitle, this);
    if (!lock)
        return AppStatus::Cancelled;
    m_running = true;
    updateWidgets();
    FirmwareUpdater& updater = *m_updater;
    FirmwareRow& row = m_rows.front();
    // The row belongs to the worker until the progress window has gone and it is joined.
    const auto pass = [&] {
        return CMiscUtils::runBehindProgress(
            kTitle, "Performing Updates.", this,
            [&updater, &row, selection](CInProgress& progress) {
                return updater.updateWith(row, selection, timedProgress(progress));
            },
            true);
    };
    std::int32_t status = pass();
    // A board whose EEPROMs cannot be saved first was sent nothing; the operator may go on.
    if (status == AppStatus::SnapshotFailed && m_journal && m_journal->snapshotsEnabled()) {
        showFirmwareRows(m_ui->tableFirmware, m_rows);
        if (continueWithoutSnapshot({row.snapshotProblem}, this)) {
            const SnapshotsOff off(m_journal.get());
            status = pass();
        }
    }
    m_running = false;
    showFirmwareRows(m_ui->tableFirmware, m_rows);
    updateWidgets();
    CMiscUtils::notify(kTitle, firmwareOutcomeText(status, updater), this);
    return status;
}

void CFWUpdateProDialog::hdl_Filename_Chnaged(const QString&)
{
    updateWidgets();
}

void CFWUpdateProDialog::hdl_Btn_Auto()
{
    if (m_rows.empty())
        return;
    std::string fileName;
    const std::int32_t result = m_updater->autoSelection(m_rows.front().board.index, fileName);
    if (!fileName.empty())
        m_ui->editFilename->setText(QString::fromStdString(fileName));
    else if (result >= 1)
        CMiscUtils::notify(kTitle,
                           QString("Firmware check failed: %1 %2")
                               .arg(result)
                               .arg(QString::fromStdString(nodeResultText(result, m_target.wrapper.get()))),
                           this);
}

void CFWUpdateProDialog::hdl_Btn_List()
{
    if (!m_updater)
        return;
    std::vector<std::string> files;
    const std::int32_t result = m_updater->listing(files);
    if (result != 0) {
        const std::string words = result == 3003 ? FirmwareUpdater::infoCodeText(result)
                                                 : nodeResultText(result, m_target.wrapper.get());
        CMiscUtils::notify("Firmware Select",
                           QString("Firmware listing failed: %1 %2").arg(result).arg(QString::fromStdString(words)),
                           this);
        return;
    }
    CFWSelectDialog select(files, this);
    if (select.exec() == QDialog::Accepted && !select.selectedFile().empty())
        m_ui->editFilename->setText(QString::fromStdString(select.selectedFile()));
}

void CFWUpdateProDialog::hdl_Btn_Browse()
{
    FileRequest request;
    request.title = "Select Firmware File";
    request.folder = QString::fromStdString(m_target.folder);
    request.filter = "Firmware Files (*.*)";
    const QString chosen = m_chooser(this, request);
    if (!chosen.isEmpty())
        m_ui->editFilename->setText(chosen);
}

void CFWUpdateProDialog::hdl_Btn_Update()
{
    runUpdate();
}

void CFWUpdateProDialog::hdl_Btn_Close()
{
    accept();
}

void CFWUpdateProDialog::updateWidgets()
{
    const bool board = m_rows.size() == 1 && !m_running;
    m_ui->btnAuto->setEnabled(board);
    m_ui->btnSelect->setEnabled(board);
    m_ui->btnBrowse->setEnabled(board);
    m_ui->editFilename->setEnabled(board);
    m_ui->btnUpdate->setEnabled(board && !m_ui->editFilename->text().isEmpty());
    m_ui->btnClose->setEnabled(!m_running);
}

} // namespace z2e
