#include "gui/dialogs/tools/enclosure_dialog.h"
#include "gui/window/system_change_lock.h"

#include "ui_enclosure_dialog.h"

#include "gui/dialogs/auxiliary/decision_dialog_yes_no.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/tools/choice_table.h"
#include "gui/dialogs/tools/firmware_dialog_support.h"
#include "gui/dialogs/tools/snapshot_question.h"
#include "gui/dialogs/tools/tool_read.h"

#include "core/application_status.h"
#include "driver/command/app_status.h"
#include "tools/maintenance_journal.h"
#include "uni/number_text.h"

#include <QComboBox>

namespace z2e {

namespace {

const char* const kTitle = "Enclosure Update";

} // namespace

CEnclosureDialog::CEnclosureDialog(const ToolTarget& target, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CEnclosureDialog>()), m_target(target), m_journal(journalFor(target))
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    connect(m_ui->btnUpdate, &QPushButton::clicked, this, &CEnclosureDialog::hdl_Btn_Update);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &CEnclosureDialog::hdl_Btn_Close);
    connect(m_ui->chkClearUserData, &QCheckBox::stateChanged, this, &CEnclosureDialog::hdl_Chk_Changed);

    m_readStatus = AppStatus::EnclosurePropertiesFailed;
    if (m_target.wrapper && m_target.enclosure >= 0) {
        QorinNodeUtilWrapper& wrapper = *m_target.wrapper;
        const auto enclosure = static_cast<std::uint32_t>(m_target.enclosure);
        m_readStatus = readBehindProgress(m_target, kTitle, "Reading the enclosure data.", parent, [&] {
            return EnclosureDataTool(wrapper, nullptr).read(enclosure, m_record);
        });
    }
    showRecord();
}

CEnclosureDialog::~CEnclosureDialog() = default;

void CEnclosureDialog::showRecord()
{
    const bool readable = m_readStatus == AppStatus::Ok;
    m_ui->labelEnclosure->setText(readable
                                      ? QString("%1 %2").arg(m_record.index).arg(QString::fromStdString(m_record.name))
                                      : readFailureText(m_readStatus));
    m_ui->spinType->setValue(m_record.type);
    m_ui->spinVersion->setValue(m_record.version);
    m_ui->editSerial->setText(QString::fromStdString(uni::text::hex8(m_record.serialNumber, true)));
    m_ui->editUserData->setText(QString::fromStdString(m_record.userData));
    m_ui->btnUpdate->setText(m_record.kind == EnclosureKind::NetworkNode ? "Write" : "Update");
    m_ui->btnUpdate->setEnabled(readable);

    QTableWidget* table = m_ui->tableOptions;
    setupChoiceTable(table, "Option", "Value", static_cast<int>(m_record.options.size()));
    for (std::size_t r = 0; r < m_record.options.size(); ++r) {
        const EnclosureOptionState& option = m_record.options[r];
        QComboBox* values = addChoiceRow(table, static_cast<int>(r), QString::fromStdString(option.name));
        bool listed = !option.value;
        for (const auto& [value, text] : option.offered) {
            values->addItem(QString::fromStdString(text), value);
            listed = listed || value == *option.value;
        }
        // A value the model does not list is still shown as the enclosure holds it.
        if (!listed)
            values->addItem(QString::number(*option.value), *option.value);
        values->addItem("None", QVariant());
        values->setCurrentIndex(option.value ? values->findData(*option.value) : values->count() - 1);
    }
    table->resizeColumnToContents(0);
}

EnclosureRecord CEnclosureDialog::entered() const
{
    EnclosureRecord record = m_record;
    record.type = m_ui->spinType->value();
    record.version = m_ui->spinVersion->value();
    // A single blank is what clears the stored text.
    record.userData = m_ui->chkClearUserData->isChecked() ? std::string(" ") : m_ui->editUserData->text().toStdString();
    for (std::size_t r = 0; r < record.options.size(); ++r) {
        const QComboBox* values = choiceAt(m_ui->tableOptions, static_cast<int>(r));
        const QVariant value = values ? values->currentData() : QVariant();
        if (value.isValid())
            record.options[r].value = value.toInt();
        else
            record.options[r].value.reset();
    }
    return record;
}

std::int32_t CEnclosureDialog::runUpdate()
{
    m_ui->btnClose->setText("Close");
    const std::string serial = m_ui->editSerial->text().toStdString();
    const EnclosureRecord record = entered();
    std::uint32_t number = 0;
    std::int32_t status = AppStatus::InvalidSerialNumber;
    if (m_readStatus != AppStatus::Ok)
        status = m_readStatus;
    else if (EnclosureDataTool::parseSerial(serial, number) && EnclosureDataTool::optionsValid(record)) {
        if (record.kind == EnclosureKind::NotWritable) {
            status = AppStatus::EnclosureNotWritable;
        } else {
            const auto lock = SystemChangeLock::take(m_target, "writing enclosure data", kTitle, this);
            if (!lock)
                return AppStatus::Cancelled;
            EnclosureDataTool tool(*m_target.wrapper, m_journal.get());
            status = runChangeBehindProgress(
                kTitle, "Writing data to enclosure.", this, m_journal.get(),
                [&tool, &record, &serial](CInProgress&) { return tool.write(record, serial); },
                [&tool] { return tool.message(); });
            m_nodeRestarts = m_nodeRestarts || status == AppStatus::EnclosureUpdatedNodeRestarts;
            if (!tool.message().empty()) {
                CMiscUtils::notify(kTitle,
                                   QString("%1\n%2").arg(QString::fromStdString(statusMessage(status)),
                                                         QString::fromStdString(tool.message())),
                                   this);
                return status;
            }
        }
    }
    CMiscUtils::notifyStatus(kTitle, status, this);
    return status;
}

void CEnclosureDialog::hdl_Btn_Update()
{
    runUpdate();
}

void CEnclosureDialog::hdl_Btn_Close()
{
    accept();
}

void CEnclosureDialog::hdl_Chk_Changed(int state)
{
    if (state != Qt::Checked)
        return;
    if (CMiscUtils::askYesNo("User Data", "This will delete ALL stored user data.\n\n\r Are you sure?", this) !=
        CDecisionDialogYesNo::Yes)
        m_ui->chkClearUserData->setChecked(false);
}

} // namespace z2e
