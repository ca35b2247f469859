#include "gui/dialogs/tools/channel_modules_dialog.h"

#include "ui_channel_modules_dialog.h"

#include "gui/dialogs/auxiliary/misc_utils.h"

#include "core/demo_status.h"
#include "core/slot_node.h"
#include "tools/channel_module_choice.h"

namespace z2e {

CChannelModulesDialog::CChannelModulesDialog(SystemModel& system, DemoSystemEditor& editor, SlotNode& slot,
                                             QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::DialogPowerModules>()), m_system(system), m_editor(editor),
      m_slot(slot)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    connect(m_ui->btnApply, &QPushButton::clicked, this, &CChannelModulesDialog::save);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &QDialog::close);
    m_ui->labelBoard->setText(QString("%1 %2:   %3")
                                  .arg(QString::fromStdString(slot.name))
                                  .arg(slot.number)
                                  .arg(QString::fromStdString(slot.firstValue())));
    for (const std::string& module : ChannelModuleChoice::offered(slot))
        m_ui->comboModule->addItem(QString::fromStdString(module));
    m_opened = ChannelModuleChoice::current(slot);
    m_ui->comboModule->setCurrentIndex(m_ui->comboModule->findText(QString::fromStdString(m_opened)));
    m_ui->btnApply->setEnabled(m_ui->comboModule->count() > 0);
}

CChannelModulesDialog::~CChannelModulesDialog() = default;

void CChannelModulesDialog::save()
{
    const std::string chosen = m_ui->comboModule->currentText().toStdString();
    if (!chosen.empty() && chosen != m_opened) {
        std::string message;
        const std::int32_t status = ChannelModuleChoice::apply(m_system, m_editor, m_slot, chosen, message);
        if (status != DemoStatus::Ok) {
            CMiscUtils::notify(windowTitle(), QString::fromStdString(demoStatusText(status) + "\n" + message), this);
            return;
        }
        m_changed = true;
    }
    accept();
}

} // namespace z2e
