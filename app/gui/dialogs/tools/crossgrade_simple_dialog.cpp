#include "gui/dialogs/tools/crossgrade_simple_dialog.h"

#include "ui_crossgrade_simple_dialog.h"

#include "gui/dialogs/tools/crossgrade_support.h"
#include "gui/dialogs/tools/tool_read.h"

#include "driver/command/app_status.h"
#include "tools/board_cross_grade.h"

namespace z2e {

CCrossgradeSimpleDialog::CCrossgradeSimpleDialog(const ToolTarget& target, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CCrossgradeSimpleDialog>()), m_target(target)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    if (m_target.wrapper && !m_target.boards.empty()) {
        QorinNodeUtilWrapper& wrapper = *m_target.wrapper;
        const std::uint32_t board = m_target.boards.front();
        m_readStatus = readBehindProgress(m_target, "Board Cross Grade", "Reading the board generation.", parent, [&] {
            m_baseId = BoardCrossGrade(wrapper, nullptr).storedBaseId(board);
            return std::int32_t{AppStatus::Ok};
        });
    }
    m_ui->labelBoard->setText(m_readStatus == AppStatus::Cancelled ? readFailureText(m_readStatus)
                                                                   : crossGradeBoardText(m_target, m_baseId));
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
