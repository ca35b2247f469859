#include "gui/dialogs/tools/crossgrade_simple_dialog.h"

#include "ui_crossgrade_simple_dialog.h"

#include "gui/dialogs/tools/crossgrade_support.h"

#include "driver/command/app_status.h"

namespace z2e {

CCrossgradeSimpleDialog::CCrossgradeSimpleDialog(const ToolTarget& target, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CCrossgradeSimpleDialog>()), m_target(target)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_ui->labelBoard->setText(crossGradeBoardText(m_target));
    connect(m_ui->btnYes, &QPushButton::clicked, this, &CCrossgradeSimpleDialog::hdl_ButtonClicked_OK);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &CCrossgradeSimpleDialog::hdl_ButtonClicked_Cancel);
}

CCrossgradeSimpleDialog::~CCrossgradeSimpleDialog() = default;

std::int32_t CCrossgradeSimpleDialog::runCrossGrade()
{
    const std::int32_t status = z2e::runCrossGrade(m_target, std::string(), this);
    if (status == AppStatus::CrossGradeDone)
        accept();
    return status;
}

void CCrossgradeSimpleDialog::hdl_ButtonClicked_OK()
{
    runCrossGrade();
}

void CCrossgradeSimpleDialog::hdl_ButtonClicked_Cancel()
{
    reject();
}

} // namespace z2e
