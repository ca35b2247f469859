#include "gui/dialogs/network/net_actions_dialog.h"

#include "ui_net_actions_dialog.h"

namespace z2e {

CNetActionsDialog::CNetActionsDialog(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CNetActionsDialog>())
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(m_ui->btnChangeIp, &QPushButton::clicked, this, &CNetActionsDialog::hdl_ButtonClicked_ChangeIP);
    connect(m_ui->btnReboot, &QPushButton::clicked, this, &CNetActionsDialog::hdl_ButtonClicked_RebootSystem);
    connect(m_ui->btnRestart, &QPushButton::clicked, this, &CNetActionsDialog::hdl_ButtonClicked_RestartServer);
    connect(m_ui->btnRename, &QPushButton::clicked, this, &CNetActionsDialog::hdl_ButtonClicked_Rename);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &CNetActionsDialog::hdl_ButtonClicked_Cancel);
    // "Update Node" has no action yet: it stays, without a handler.
}

CNetActionsDialog::~CNetActionsDialog() = default;

void CNetActionsDialog::closeWith(int code)
{
    m_code = code;
    accept();
}

void CNetActionsDialog::hdl_ButtonClicked_ChangeIP()
{
    closeWith(ChangeIp);
}

void CNetActionsDialog::hdl_ButtonClicked_RebootSystem()
{
    closeWith(RebootSystem);
}

void CNetActionsDialog::hdl_ButtonClicked_RestartServer()
{
    closeWith(RestartServer);
}

void CNetActionsDialog::hdl_ButtonClicked_Rename()
{
    closeWith(Rename);
}

void CNetActionsDialog::hdl_ButtonClicked_Cancel()
{
    closeWith(Cancel);
}

} // namespace z2e
