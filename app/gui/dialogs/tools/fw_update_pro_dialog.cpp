#include "gui/dialogs/tools/fw_update_pro_dialog.h"
#include "gui/window/system_change_lock.h"

#include "ui_fw_update_pro_dialog.h"

#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/tools/firmware_dialog_support.h"
#include "gui/dialogs/tools/fw_select_dialog.h"
#include "gui/dialogs/tools/snapshot_question.h"
#include "gui/dialogs/tools/tool_dialog_factory.h"
#include "gui/dialogs/tools/tool_read.h"

#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "tools/maintenance_journal.h"

namespace z2e {

namespace {

const char* const kTitle = "Firmware Update PRO";

} // namespace

CFWUpdateProDialog::CFWUpdateProDialog(const ToolTarget& target, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CFWUpdateProDialog>()), m_target(target),
      m_journal(journalFor(target)), m_chooser(chooseFileWithDialog)
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
        FirmwareUpdater& updater = *m_updater;
        const std::uint32_t board = m_target.boards.front();
        const std::int32_t read = readBehindProgress(m_target, kTitle, "Checking the board's firmware.", parent,
                                                     [&] { return updater.check({board}, m_rows); });
        // Without the board's row nothing can be chosen or updated; the note says why.
        if (read == AppStatus::Cancelled) {
            m_rows.clear();
            m_ui->labelNote->setText(readFailureText(read));
        }
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
    FirmwareUpdater& updater = *m_updater;
    const QorinNodeUtilWrapper* wrapper = m_target.wrapper.get();
    const std::uint32_t board = m_rows.front().board.index;
    std::string fileName;
    std::string words;
    const std::int32_t result = readBehindProgress(m_target, kTitle, "Looking up the latest firmware.", this, [&] {
        const std::int32_t found = updater.autoSelection(board, fileName);
        if (found >= 1)
            words = nodeResultText(found, wrapper);
        return found;
    });
    if (result == AppStatus::Cancelled)
        CMiscUtils::notify(kTitle, readFailureText(result), this);
    else if (!fileName.empty())
        m_ui->editFilename->setText(QString::fromStdString(fileName));
    else if (result >= 1)
        CMiscUtils::notify(
            kTitle, QString("Firmware check failed: %1 %2").arg(result).arg(QString::fromStdString(words)), this);
}

void CFWUpdateProDialog::hdl_Btn_List()
{
    if (!m_updater)
        return;
    FirmwareUpdater& updater = *m_updater;
    const QorinNodeUtilWrapper* wrapper = m_target.wrapper.get();
    std::vector<std::string> files;
    std::string words;
    const char* const title = "Firmware Select";
    const std::int32_t result = readBehindProgress(m_target, title, "Reading the firmware listing.", this, [&] {
        const std::int32_t listed = updater.listing(files);
        if (listed != 0)
            words = listed == 3003 ? FirmwareUpdater::infoCodeText(listed) : nodeResultText(listed, wrapper);
        return listed;
    });
    if (result != 0) {
        const QString text =
            result == AppStatus::Cancelled
                ? readFailureText(result)
                : QString("Firmware listing failed: %1 %2").arg(result).arg(QString::fromStdString(words));
        CMiscUtils::notify(title, text, this);
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

namespace {

// One board only: the file is chosen for that board's model.
const ToolDialogFactory kOpens(
    MenuEntry::FirmwareUpdatePro,
    [](const ToolTarget& target, const FileChooser& chooser, QWidget* parent) -> std::unique_ptr<QDialog> {
        if (target.boards.size() != 1)
            return nullptr;
        auto dialog = std::make_unique<CFWUpdateProDialog>(target, parent);
        dialog->setFileChooser(chooser);
        return dialog;
    },
    "firmware-pro");

} // namespace

} // namespace z2e
